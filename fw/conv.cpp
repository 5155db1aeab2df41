#include "fw/conv.h"

#include <cwchar>
#include <string>

#include "base/sysapi.h"

CString CW2A(LPCWSTR psz, int nLength)
{
    if (psz == nullptr || nLength == 0)
        return {};
    const int nBytes = ::WideCharToMultiByte(CP_UTF8, 0, psz, nLength, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0)
        return {};
    CString str;
    ::WideCharToMultiByte(CP_UTF8, 0, psz, nLength, str.GetBuffer(nBytes), nBytes, nullptr, nullptr);
    str.ReleaseBuffer(nLength < 0 ? nBytes - 1 : nBytes);
    return str;
}

CString AfxUtf8FromAnsi(std::string_view text)
{
    const CA2W wide(text, CP_ACP);
    return CW2A(wide.String().c_str(), static_cast<int>(wide.String().size()));
}

CString AfxGetClipboardFormatName(UINT nFormat, int nMaxChars)
{
    std::wstring name(static_cast<std::size_t>(nMaxChars) + 1, L'\0');
    int nLen = Sys().GetClipboardFormatNameW(nFormat, name.data(), nMaxChars + 1);
    // Some systems report a name that does not fit as no name at all, yet
    // fill the buffer with its beginning: a long name is cut, not lost.
    if (nLen <= 0)
        nLen = static_cast<int>(std::wcslen(name.c_str()));
    return CW2A(name.c_str(), nLen > nMaxChars ? nMaxChars : nLen);
}
