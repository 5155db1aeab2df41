#include "base/sysapi.h"

#include <shellapi.h>

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
