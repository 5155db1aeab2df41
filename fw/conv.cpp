#include "fw/conv.h"

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
