// A text in a given code page as UTF-16, for the wide calls (ATL's name).
// The 8-bit calls read bytes in the system's ANSI code page; texts in any
// other code page must be converted by the one they were written in.
#pragma once

#include <windows.h>

#include <string>

class CA2W {
public:
    CA2W(LPCSTR psz, UINT nCodePage)
    {
        if (psz == nullptr)
            return;
        const int nLength = ::MultiByteToWideChar(nCodePage, 0, psz, -1, nullptr, 0);
        if (nLength <= 1)
            return;
        m_str.resize(static_cast<std::size_t>(nLength));
        ::MultiByteToWideChar(nCodePage, 0, psz, -1, m_str.data(), nLength);
        m_str.resize(static_cast<std::size_t>(nLength - 1));  // the terminator is the string's own
    }

    operator LPCWSTR() const { return m_str.c_str(); }
    const std::wstring& String() const { return m_str; }

private:
    std::wstring m_str;
};
