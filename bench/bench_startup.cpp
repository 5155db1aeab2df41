// Start-up time: from starting the process to its main window being visible,
// for trovelle.exe and for the least dialog program, started the same way in
// the same Wine session, alternately. Prints the ratio; asserts nothing.
#include <windows.h>

#include "clock.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Starts the program, waits for its visible dialog with the given caption,
// closes it and waits for the process to end. Returns the time to visible.
double TimeToWindow(const std::string& exe, const char* caption)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + exe + "\"";
    const double t0 = Now();
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    // Wait without polling until the program first waits for input (its
    // window is up by then), so that the launcher does not compete with it.
    WaitForInputIdle(pi.hProcess, 20000);
    HWND hWnd = nullptr;
    double t = -1;
    for (int i = 0; i < 4000 && t < 0; ++i) {
        hWnd = FindWindowA("#32770", caption);
        if (hWnd != nullptr && IsWindowVisible(hWnd)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hWnd, &pid);
            if (pid == pi.dwProcessId)
                t = Now() - t0;
        }
        if (t < 0)
            Sleep(5);
    }
    if (hWnd != nullptr)
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
    WaitForSingleObject(pi.hProcess, 20000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return t;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_startup trovelle.exe mindlg.exe mindlg6.exe\n");
        return 2;
    }
    const int rounds = 11;
    std::vector<double> ours, base, base6;
    TimeToWindow(argv[1], "Trovelle");  // first runs warm the file cache
    TimeToWindow(argv[2], "Minimal");
    TimeToWindow(argv[3], "Minimal");
    for (int i = 0; i < rounds; ++i) {
        ours.push_back(TimeToWindow(argv[1], "Trovelle"));
        base.push_back(TimeToWindow(argv[2], "Minimal"));
        base6.push_back(TimeToWindow(argv[3], "Minimal"));
    }
    for (const auto* v : {&ours, &base, &base6}) {
        if (*std::min_element(v->begin(), v->end()) < 0) {
            std::printf("start-up: a window never showed\n");
            return 1;
        }
    }
    const double a = Median(ours), b = Median(base), b6 = Median(base6);
    std::printf("start-up to visible window, median of %d:\n", rounds);
    std::printf("  trovelle %.1f ms; minimal dialog %.1f ms, ratio %.2f\n", a * 1e3, b * 1e3, a / b);
    std::printf("  minimal dialog with common controls 6 %.1f ms, ratio %.2f\n", b6 * 1e3, a / b6);
    return 0;
}
