// Another program that copies: the source process of the tests that need the
// clipboard's owner in a process of its own (see clipsource.h for its
// commands). Plain Win32, no test framework.
#include "tests/support/clipsource.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

HGLOBAL Global(const std::vector<BYTE>& bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (h != nullptr) {
        std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
        GlobalUnlock(h);
    }
    return h;
}

// Waits for the event while the window procedures still run: a capture in
// another process may be waiting for us to render.
bool WaitPumping(HANDLE hEvent, DWORD dwTimeoutMs = 120000)
{
    const DWORD dwStart = GetTickCount();
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(1, &hEvent, FALSE, 50, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0)
            return true;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return false;
    }
}

HWND MakeWindow(WNDPROC proc, const char* pszTitle)
{
    static std::map<WNDPROC, ATOM> classes;
    if (classes.find(proc) == classes.end()) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        char szName[64];
        std::snprintf(szName, sizeof szName, "TrovelleClipSource%zu", classes.size());
        wc.lpszClassName = szName;
        classes[proc] = RegisterClassA(&wc);
    }
    return CreateWindowA(reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(classes[proc])), pszTitle,
                         WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// --- nested --------------------------------------------------------------

HWND g_hMain = nullptr;
UINT g_cfDelayed = 0;
int g_nRenders = 0;

LRESULT CALLBACK NestedProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_RENDERFORMAT && static_cast<UINT>(wParam) == g_cfDelayed) {
        // The notice comes while the capture waits for this very format.
        if (g_nRenders++ == 0)
            SendMessageA(g_hMain, WM_DRAWCLIPBOARD, 0, 0);
        SetClipboardData(g_cfDelayed, Global(nested::Bytes(1)));
        return 0;
    }
    if (msg == WM_RENDERALLFORMATS)
        return 0;
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

int Nested(HWND hMain, HANDLE hReady, HANDLE hQuit)
{
    g_hMain = hMain;
    g_cfDelayed = RegisterClipboardFormatA(nested::kDelayedFormat);
    const HWND hWnd = MakeWindow(NestedProc, "Source imbriquee");
    if (!OpenClipboard(hWnd))
        return -1;
    EmptyClipboard();
    SetClipboardData(RegisterClipboardFormatA(nested::kFirstFormat), Global(nested::Bytes(0)));
    SetClipboardData(g_cfDelayed, nullptr);
    SetClipboardData(RegisterClipboardFormatA(nested::kLastFormat), Global(nested::Bytes(2)));
    CloseClipboard();
    SetEvent(hReady);
    WaitPumping(hQuit);
    DestroyWindow(hWnd);
    return g_nRenders;
}

// --- storm ---------------------------------------------------------------

UINT g_cfTag = 0, g_cfData = 0, g_cfStormDelayed = 0;
std::map<int, int> g_requests;  // change -> render requests
std::map<HWND, int> g_owned;     // window -> the change it made last

LRESULT CALLBACK StormProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_RENDERFORMAT && static_cast<UINT>(wParam) == g_cfStormDelayed) {
        const auto it = g_owned.find(hWnd);
        if (it != g_owned.end()) {
            ++g_requests[it->second];
            if (storm::DelayedOf(it->second) == storm::Delayed::Rendered)
                SetClipboardData(g_cfStormDelayed, Global(storm::DelayedData(it->second)));
        }
        return 0;
    }
    if (msg == WM_RENDERALLFORMATS)
        return 0;  // a source that goes renders nothing more
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

bool MakeChange(HWND hWnd, int k)
{
    // As fast as the clipboard allows: whoever holds it open is waited for.
    for (int tries = 0; !OpenClipboard(hWnd); ++tries) {
        if (tries > 100000)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(0);
    }
    EmptyClipboard();
    g_owned[hWnd] = k;
    SetClipboardData(g_cfTag, Global(storm::Tag(k)));
    SetClipboardData(g_cfData, Global(storm::Data(k)));
    if (storm::DelayedOf(k) != storm::Delayed::None)
        SetClipboardData(g_cfStormDelayed, nullptr);
    CloseClipboard();
    return true;
}

int Storm(int nFirst, int nCount, HANDLE hMine, HANDLE hOther, HANDLE hFinished, HANDLE hQuit, const char* pszLog)
{
    g_cfTag = RegisterClipboardFormatA(storm::kTagFormat);
    g_cfData = RegisterClipboardFormatA(storm::kDataFormat);
    g_cfStormDelayed = RegisterClipboardFormatA(storm::kDelayedFormat);
    HWND hWnd = nullptr;
    int nMade = 0;
    for (int k = nFirst; k < nCount; k += 2) {
        if (!WaitPumping(hMine))
            return -1;
        ResetEvent(hMine);
        if (hWnd == nullptr)
            hWnd = MakeWindow(StormProc, nFirst == 0 ? "Source paire" : "Source impaire");
        if (!MakeChange(hWnd, k))
            return -2;
        ++nMade;
        if (storm::DestroyedAfter(k)) {
            DestroyWindow(hWnd);
            hWnd = nullptr;
        }
        SetEvent(hOther);
    }
    SetEvent(hFinished);
    // Still the owner of the last change, perhaps, with a format to render.
    WaitPumping(hQuit, INFINITE);
    if (FILE* f = std::fopen(pszLog, "w")) {
        for (const auto& [k, n] : g_requests)
            std::fprintf(f, "%d %d\n", k, n);
        std::fclose(f);
    }
    if (hWnd != nullptr)
        DestroyWindow(hWnd);
    return nMade;
}

// --- viewer --------------------------------------------------------------

HWND g_hNextViewer = nullptr;

LRESULT CALLBACK ViewerProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DRAWCLIPBOARD:
        if (g_hNextViewer != nullptr)
            SendMessageA(g_hNextViewer, msg, wParam, lParam);
        return 0;
    case WM_CHANGECBCHAIN:
        if (reinterpret_cast<HWND>(wParam) == g_hNextViewer)
            g_hNextViewer = reinterpret_cast<HWND>(lParam);
        else if (g_hNextViewer != nullptr)
            SendMessageA(g_hNextViewer, msg, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

int Viewer(HANDLE hReady)
{
    const HWND hWnd = MakeWindow(ViewerProc, "Visionneuse");
    g_hNextViewer = SetClipboardViewer(hWnd);
    SetEvent(hReady);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

HANDLE Event(const char* pszName) { return OpenEventA(EVENT_ALL_ACCESS, FALSE, pszName); }

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "nested") == 0) {
        const auto hMain = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoull(argv[2], nullptr, 10)));
        return Nested(hMain, Event(argv[3]), Event(argv[4]));
    }
    if (argc == 3 && std::strcmp(argv[1], "viewer") == 0)
        return Viewer(Event(argv[2]));
    if (argc == 9 && std::strcmp(argv[1], "storm") == 0)
        return Storm(std::atoi(argv[2]), std::atoi(argv[3]), Event(argv[4]), Event(argv[5]), Event(argv[6]),
                     Event(argv[7]), argv[8]);
    std::fprintf(stderr, "clipsource: unknown command\n");
    return -100;
}
