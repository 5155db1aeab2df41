#include "tests/support/clipboard_viewer.h"

#include "tests/support/modal_driver.h"

namespace {

constexpr UINT kPassLater = WM_APP + 7;

void AnswerSentMessages()
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// Waits for a handle while this thread still answers what is sent to it.
void WaitAnswering(HANDLE h)
{
    while (MsgWaitForMultipleObjects(1, &h, FALSE, 5000, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1)
        AnswerSentMessages();
}

}  // namespace

ClipboardViewer::ClipboardViewer(Thread thread, Passing passing) : m_passing(passing)
{
    if (thread == Thread::This) {
        Join();
        return;
    }
    m_hReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hThread = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    WaitAnswering(m_hReady);
}

void ClipboardViewer::Leave()
{
    if (m_hThread != nullptr) {
        PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        WaitAnswering(m_hThread);  // the departure notice is sent to this thread
        CloseHandle(m_hThread);
        CloseHandle(m_hReady);
        m_hThread = nullptr;
    } else if (m_hWnd != nullptr) {
        Quit();
    }
}

bool ClipboardViewer::WaitPassedOn(int n) const
{
    AnswerSentMessagesUntil([&] { return m_nPassedOn >= n; }, 5000);
    return m_nPassedOn == n;
}

void ClipboardViewer::Join()
{
    static const ATOM atom = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TrovelleTestViewer";
        return RegisterClassA(&wc);
    }();
    (void)atom;
    m_hWnd = CreateWindowA("TrovelleTestViewer", "viewer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), this);
    m_hNext = SetClipboardViewer(m_hWnd);
}

void ClipboardViewer::Quit()
{
    ChangeClipboardChain(m_hWnd, m_hNext);
    DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void ClipboardViewer::PassOn() const
{
    if (m_hNext != nullptr)
        SendMessageA(m_hNext, WM_DRAWCLIPBOARD, 0, 0);
}

DWORD WINAPI ClipboardViewer::ThreadMain(void* pv)
{
    auto* self = static_cast<ClipboardViewer*>(pv);
    self->Join();
    SetEvent(self->m_hReady);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

LRESULT CALLBACK ClipboardViewer::Proc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(h, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<ClipboardViewer*>(GetWindowLongPtrA(h, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcA(h, msg, wParam, lParam);
    switch (msg) {
    case WM_DRAWCLIPBOARD: {
        WaitForSingleObject(self->m_hAnswer, INFINITE);
        const int n = self->m_nDraws++;
        // By turns: at once; later only; at once and later again.
        const bool bByTurns = self->m_passing == Passing::AtOnceLateOrTwice;
        if (!bByTurns || n % 3 != 1)
            self->PassOn();
        if (bByTurns && n % 3 != 0)
            PostMessageA(h, kPassLater, 0, 0);
        ++self->m_nPassedOn;
        return 0;
    }
    case kPassLater:
        ++self->m_nPassedLate;
        self->PassOn();
        return 0;
    case WM_CHANGECBCHAIN:
        if (reinterpret_cast<HWND>(wParam) == self->m_hNext) {
            self->m_hNext = reinterpret_cast<HWND>(lParam);
        } else {
            self->m_departures.emplace_back(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
            if (self->m_hNext != nullptr)
                SendMessageA(self->m_hNext, msg, wParam, lParam);
        }
        return 0;
    case WM_CLOSE:
        self->Quit();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(h, msg, wParam, lParam);
}
