// The system calls whose failures the program handles, reached through one
// table so that a test can make a single call fail and still run the real
// code path around it. In the program the table holds the Win32 functions
// themselves and is never changed.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "base/cstring.h"

struct SysApi {
    // Clipboard
    BOOL(WINAPI* OpenClipboard)(HWND);
    BOOL(WINAPI* CloseClipboard)();
    BOOL(WINAPI* EmptyClipboard)();
    UINT(WINAPI* EnumClipboardFormats)(UINT);
    HANDLE(WINAPI* GetClipboardData)(UINT);
    HANDLE(WINAPI* SetClipboardData)(UINT, HANDLE);
    int(WINAPI* GetClipboardFormatNameW)(UINT, LPWSTR, int);
    HWND(WINAPI* GetOpenClipboardWindow)();
    BOOL(WINAPI* IsClipboardFormatAvailable)(UINT);
    // Clipboard format listeners. Resolved at run time: null on systems
    // without them.
    BOOL(WINAPI* AddClipboardFormatListener)(HWND);
    BOOL(WINAPI* RemoveClipboardFormatListener)(HWND);
    // Leaving the viewer chain waits on the viewers ahead of us.
    BOOL(WINAPI* ChangeClipboardChain)(HWND, HWND);

    // Memory
    HGLOBAL(WINAPI* GlobalAlloc)(UINT, SIZE_T);
    HGLOBAL(WINAPI* GlobalFree)(HGLOBAL);
    LPVOID(WINAPI* GlobalLock)(HGLOBAL);
    BOOL(WINAPI* GlobalUnlock)(HGLOBAL);
    SIZE_T(WINAPI* GlobalSize)(HGLOBAL);
    LPVOID(WINAPI* VirtualAlloc)(LPVOID, SIZE_T, DWORD, DWORD);
    BOOL(WINAPI* VirtualFree)(LPVOID, SIZE_T, DWORD);
    LPVOID(WINAPI* HeapAlloc)(HANDLE, DWORD, SIZE_T);

    // Enhanced metafiles travel as handles, not memory blocks.
    UINT(WINAPI* GetEnhMetaFileBits)(HENHMETAFILE, UINT, LPBYTE);
    HENHMETAFILE(WINAPI* SetEnhMetaFileBits)(UINT, const BYTE*);

    // Registry
    LSTATUS(WINAPI* RegOpenKeyExA)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
    LSTATUS(WINAPI* RegCreateKeyExA)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM,
                                     LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD);
    LSTATUS(WINAPI* RegQueryValueExA)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
    LSTATUS(WINAPI* RegSetValueExA)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);
    LSTATUS(WINAPI* RegCloseKey)(HKEY);

    // Where DLLs are looked for. Resolved at run time: null on systems
    // without them.
    BOOL(WINAPI* SetDefaultDllDirectories)(DWORD);
    BOOL(WINAPI* SetDllDirectoryW)(LPCWSTR);

    // Time, for rules that look at how close two events are.
    DWORD(WINAPI* GetTickCount)();

    // User interface
    int(WINAPI* MessageBoxW)(HWND, LPCWSTR, LPCWSTR, UINT);
    HINSTANCE(WINAPI* ShellExecuteW)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

    // Display scale. Resolved at run time: null on systems without them.
    UINT(WINAPI* GetDpiForWindow)(HWND);
    int(WINAPI* GetSystemMetricsForDpi)(int, UINT);

    // Notification area: a menu that waits for the user, and the shell's icon.
    BOOL(WINAPI* Shell_NotifyIconW)(DWORD, PNOTIFYICONDATAW);
    BOOL(WINAPI* TrackPopupMenuEx)(HMENU, UINT, int, int, HWND, LPTPMPARAMS);
};

// The table in use. Tests change single entries and put them back.
SysApi& Sys();

// A registered clipboard format's name in UTF-8, of at most nMaxChars
// characters, through Sys(); empty for a format without one.
CString SysClipboardFormatName(UINT nFormat, int nMaxChars);
