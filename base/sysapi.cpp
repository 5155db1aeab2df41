#include "base/sysapi.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "base/utf8.h"

namespace {

// A function of a system module that older systems lack, or null.
template <typename Fn>
Fn SystemFunction(const char* pszModule, const char* pszName)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA(pszModule), pszName)));
}
template <typename Fn>
Fn User32Function(const char* pszName)
{
    return SystemFunction<Fn>("user32.dll", pszName);
}

}  // namespace

SysApi& Sys()
{
    static SysApi api = {
        ::OpenClipboard,      ::CloseClipboard,   ::EmptyClipboard,
        ::EnumClipboardFormats, ::GetClipboardData, ::SetClipboardData,
        ::GetClipboardFormatNameW, ::GetOpenClipboardWindow, ::IsClipboardFormatAvailable,
        User32Function<BOOL(WINAPI*)(HWND)>("AddClipboardFormatListener"),
        User32Function<BOOL(WINAPI*)(HWND)>("RemoveClipboardFormatListener"),
        ::ChangeClipboardChain,
        ::GlobalAlloc,        ::GlobalFree,       ::GlobalLock,
        ::GlobalUnlock,       ::GlobalSize,       ::VirtualAlloc,
        ::VirtualFree,        ::HeapAlloc,
        ::GetEnhMetaFileBits, ::SetEnhMetaFileBits,
        ::RegOpenKeyExA,      ::RegCreateKeyExA,  ::RegQueryValueExA,
        ::RegSetValueExA,     ::RegCloseKey,
        SystemFunction<BOOL(WINAPI*)(DWORD)>("kernel32.dll", "SetDefaultDllDirectories"),
        SystemFunction<BOOL(WINAPI*)(LPCWSTR)>("kernel32.dll", "SetDllDirectoryW"),
        ::GetTickCount,
        ::MessageBoxW,        ::ShellExecuteW,
        User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow"),
        User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi"),
        ::Shell_NotifyIconW,  ::TrackPopupMenuEx,
    };
    return api;
}

CString SysClipboardFormatName(UINT nFormat, int nMaxChars)
{
    std::wstring name(static_cast<std::size_t>(nMaxChars) + 1, L'\0');
    int nLen = Sys().GetClipboardFormatNameW(nFormat, name.data(), nMaxChars + 1);
    // Some systems report a name that does not fit as no name at all, yet
    // fill the buffer with its beginning: a long name is cut, not lost.
    if (nLen <= 0)
        nLen = static_cast<int>(std::wcslen(name.c_str()));
    const std::string utf8 = Utf8FromUtf16(reinterpret_cast<const char16_t*>(name.c_str()),
                                           static_cast<std::size_t>(std::min(nLen, nMaxChars)));
    return CString(utf8.data(), static_cast<int>(utf8.size()));
}
