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

namespace {

// A path the system writes into a buffer and whose length it returns: the
// length needed, counting the NUL, where the buffer is too short.
template <typename Get>
CString SystemPath(Get get)
{
    std::wstring path(MAX_PATH, L'\0');
    UINT n = get(path.data(), static_cast<UINT>(path.size()));
    if (n >= path.size()) {
        path.assign(n, L'\0');
        n = get(path.data(), static_cast<UINT>(path.size()));
    }
    return n > 0 && n < path.size() ? CW2A(path.c_str(), static_cast<int>(n)) : CString();
}

}  // namespace

CString AfxGetModuleFileName(HMODULE hModule)
{
    // A path cut short comes back the buffer's full length: try longer ones,
    // up to the longest path the system takes.
    for (std::size_t nSize = MAX_PATH; nSize <= 32768; nSize *= 2) {
        std::wstring path(nSize, L'\0');
        const DWORD n = ::GetModuleFileNameW(hModule, path.data(), static_cast<DWORD>(nSize));
        if (n == 0)
            return {};
        if (n < nSize)
            return CW2A(path.c_str(), static_cast<int>(n));
    }
    return {};
}

CString AfxGetWindowsDirectory()
{
    return SystemPath([](LPWSTR p, UINT n) { return ::GetWindowsDirectoryW(p, n); });
}

CString AfxGetSystemDirectory()
{
    return SystemPath([](LPWSTR p, UINT n) { return ::GetSystemDirectoryW(p, n); });
}

bool AfxFileExists(LPCSTR lpszPath) { return ::GetFileAttributesW(CA2W(lpszPath)) != INVALID_FILE_ATTRIBUTES; }

HINSTANCE AfxShellOpen(HWND hWnd, LPCSTR lpszProgram, LPCSTR lpszParameters, LPCSTR lpszDirectory)
{
    return Sys().ShellExecuteW(hWnd, L"open", CA2W(lpszProgram), CA2W(lpszParameters), CA2W(lpszDirectory),
                               SW_SHOWNORMAL);
}
