#include "base/cstring.h"

#include <cstdio>
#include <cstring>

CString& CString::operator+=(const char* psz)
{
    if (psz != nullptr)
        m_str += psz;
    return *this;
}

CString& CString::operator+=(const CString& s)
{
    m_str += s.m_str;
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, const char* b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return CString(m_str.substr(0, static_cast<std::size_t>(nCount)).c_str());
}

CString CString::Mid(int nFirst) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (static_cast<std::size_t>(nFirst) >= m_str.size())
        return CString();
    CString r;
    r.m_str = m_str.substr(static_cast<std::size_t>(nFirst));
    return r;
}

int CString::ReverseFind(char ch) const
{
    const std::size_t i = m_str.rfind(ch);
    return i == std::string::npos ? -1 : static_cast<int>(i);
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int n = std::vsnprintf(nullptr, 0, pszFormat, args);
    va_end(args);
    if (n < 0) {
        m_str.clear();
        return;
    }
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    va_start(args, pszFormat);
    std::vsnprintf(out.data(), out.size(), pszFormat, args);
    va_end(args);
    out.resize(static_cast<std::size_t>(n));
    m_str.swap(out);
}

char* CString::GetBuffer(int nMinLength)
{
    if (nMinLength > 0 && static_cast<std::size_t>(nMinLength) > m_str.size())
        m_str.resize(static_cast<std::size_t>(nMinLength));
    return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(std::strlen(m_str.c_str()));
    if (static_cast<std::size_t>(nNewLength) <= m_str.size())
        m_str.resize(static_cast<std::size_t>(nNewLength));
}
