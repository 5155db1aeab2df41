// Drives a window from inside its own modal loop, as a user would: each step
// runs on a timer tick of the loop, so posted keys and commands go through
// the loop's own translation, and the loop must end by the script's doing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ModalScript {
public:
    using Step = std::function<void()>;

    // Adds a step; steps run one per tick, in order.
    ModalScript& Then(Step step);
    // Holds the next steps until ready() holds, asked once a tick (a dialog
    // is shown only once its loop first runs dry, for one).
    ModalScript& Await(std::function<bool()> ready);

    // Starts the ticks and calls runModal (which must run a modal loop on
    // this thread). If the loop is still running long after the last step,
    // the watchdog ends it through endModal and the script reports failure.
    // A script run from a step of another holds the other's steps back
    // until it has ended.
    bool Run(const std::function<void()>& runModal, const std::function<void()>& endModal);

    // Runs dlg.DoModal() with the script, its result in *pResult; the
    // watchdog ends the dialog with IDABORT.
    template <typename Dialog>
    bool RunModal(Dialog& dlg, INT_PTR* pResult = nullptr)
    {
        return Run(
            [&] {
                const INT_PTR nResult = dlg.DoModal();
                if (pResult != nullptr)
                    *pResult = nResult;
            },
            [&] { dlg.EndDialog(IDABORT); });
    }

    int StepsRun() const { return m_nNext; }
    // The timer message that runs the next step.
    static bool IsTick(const MSG& msg);

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    struct Entry {
        Step step;
        std::function<bool()> ready;  // for a wait
    };
    std::vector<Entry> m_steps;
    std::size_t m_nNext = 0;
    int m_nIdleTicks = 0;
    bool m_bWatchdogFired = false;
    std::function<void()> m_endModal;
};

// Saves a picture of a top-level window (frame included) under the
// screenshot folder, as <name>.bmp; scripts/test turns them into PNG files.
bool SaveWindowPicture(HWND hWnd, const std::string& name);

// Inside a step: lets this thread answer what other threads and processes
// send it (never its posted messages, the script's ticks among them) until
// done() holds or the time is up; false if it never held.
bool AnswerSentMessagesUntil(const std::function<bool()>& done, DWORD dwTimeoutMs = 10000);

// Processes the messages waiting on this thread. A script's tick is not among
// them: the next step waits for a modal loop, never runs inside a step.
void PumpMessages();
