#include "base/sysapi.h"

#include <shellapi.h>

SysApi& Sys()
{
    static SysApi api = {
        ::OpenClipboard,      ::CloseClipboard,   ::EmptyClipboard,
        ::EnumClipboardFormats, ::GetClipboardData, ::SetClipboardData,
        ::GetClipboardFormatNameA, ::GetOpenClipboardWindow,
        ::GlobalAlloc,        ::GlobalFree,       ::GlobalLock,
        ::GlobalUnlock,       ::GlobalSize,       ::VirtualAlloc,
        ::VirtualFree,        ::HeapAlloc,
        ::GetEnhMetaFileBits, ::SetEnhMetaFileBits,
        ::RegOpenKeyExA,      ::RegCreateKeyExA,  ::RegQueryValueExA,
        ::RegSetValueExA,     ::RegCloseKey,
        ::GetTickCount,
        ::MessageBoxA,        ::ShellExecuteA,
        ::Shell_NotifyIconA,  ::TrackPopupMenuEx,
    };
    return api;
}
