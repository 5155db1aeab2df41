// Keeps Wine's desktop process up for a whole test session (see
// session_hold_desktop in scripts/lib/session.sh): a program with one hidden
// window that runs until the session's wineserver ends it. Its argument is a
// file to create once the window exists.
#include <windows.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = hInstance;
    wc.lpszClassName = "TrovelleDesktopHold";
    RegisterClassA(&wc);
    if (CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr, hInstance, nullptr) ==
        nullptr)
        return 1;
    if (lpCmdLine != nullptr && *lpCmdLine != '\0') {
        const HANDLE hReady = CreateFileA(lpCmdLine, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (hReady != INVALID_HANDLE_VALUE)
            CloseHandle(hReady);
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
