// The framework's 8-bit string: text in UTF-8 (base/utf8.h, fw/conv.h),
// always zero-terminated. Pure code.
#pragma once

#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz != nullptr ? psz : "") {}
    CString(const char* p, int nLength) : m_str(p, nLength > 0 ? nLength : 0) {}

    CString& operator=(const char* psz)
    {
        m_str = psz != nullptr ? psz : "";
        return *this;
    }

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }

    CString& operator+=(const char* psz);
    CString& operator+=(const CString& s);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }

    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    int ReverseFind(char ch) const;

    void Format(const char* pszFormat, ...);

    // A writable buffer of at least nMinLength characters plus the terminator;
    // ReleaseBuffer takes the length from the terminator (or nNewLength).
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    std::string m_str;
};
