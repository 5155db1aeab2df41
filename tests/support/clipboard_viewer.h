// A clipboard viewer as another program would be one: it joins the chain,
// counts the change notices, passes them on and keeps its link to the next
// viewer right as others leave.
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>
#include <vector>

class ClipboardViewer {
public:
    // On this thread, or on a thread of its own: what it passes on then
    // reaches a viewer on the test's thread later, from its message loop.
    enum class Thread { This, OwnThread };
    // Passes every notice on at once, or by turns at once, only later from
    // its message loop, and both ways, as careless viewers do.
    enum class Passing { AtOnce, AtOnceLateOrTwice };

    explicit ClipboardViewer(Thread thread = Thread::This, Passing passing = Passing::AtOnce);
    ~ClipboardViewer()
    {
        Answer();
        Leave();
        CloseHandle(m_hAnswer);
    }
    ClipboardViewer(const ClipboardViewer&) = delete;
    ClipboardViewer& operator=(const ClipboardViewer&) = delete;

    // Leaves the chain (once) and destroys the window.
    void Leave();
    // On a thread of its own: stops answering at the next notice, as a
    // program that hangs, until told to answer again.
    void Hang() { ResetEvent(m_hAnswer); }
    void Answer() { SetEvent(m_hAnswer); }

    HWND hwnd() const { return m_hWnd; }
    HWND next() const { return m_hNext; }
    // Sends a notice down the chain with no change, as some viewers do to
    // refresh the others once they have joined.
    void Refresh() const { SendMessageA(m_hNext, WM_DRAWCLIPBOARD, 0, 0); }
    // Notices received.
    int Draws() const { return m_nDraws; }
    // Notices handled to the end, passing on at once included.
    int PassedOn() const { return m_nPassedOn; }
    // Notices passed on later, from the message loop.
    int PassedLate() const { return m_nPassedLate; }
    // Lets this thread answer what is sent to it until the viewer on its own
    // thread has passed on n notices in all. Only sent messages are taken:
    // a script's own ticks must not run inside a step.
    bool WaitPassedOn(int n) const;
    // The departures passed on to this viewer: (leaving, its next).
    std::vector<std::pair<HWND, HWND>> Departures() const { return m_departures; }

private:
    void Join();
    void Quit();
    void PassOn() const;
    static DWORD WINAPI ThreadMain(void* pv);
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);

    Passing m_passing;
    HWND m_hWnd = nullptr;
    HWND m_hNext = nullptr;
    HANDLE m_hThread = nullptr;
    HANDLE m_hReady = nullptr;
    HANDLE m_hAnswer = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    std::atomic<int> m_nDraws{0};
    std::atomic<int> m_nPassedOn{0};
    std::atomic<int> m_nPassedLate{0};
    std::vector<std::pair<HWND, HWND>> m_departures;
};
