// Other programs in their own processes, as the tests start and watch them:
// the program itself, sources of clipboard data, installers; their windows,
// their command lines, their end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/modal_driver.h"

// A path of the build tree (a Unix path) as a Windows program names it.
std::string WindowsPath(const std::string& unixPath);

// Lets this thread answer messages, sent and posted, for a while or until
// done() holds; false if it never did.
template <typename Pred>
bool PumpUntil(Pred done, DWORD dwTimeoutMs = 10000)
{
    const DWORD dwStart = GetTickCount();
    while (!done()) {
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

// A visible top-level window of that class belonging to the process; with a
// title, only a window of that title.
HWND FindProcessWindow(DWORD dwProcessId, const char* pszClass, const char* pszTitle = nullptr);

// The processes running now, as the system lists them.
struct ProcessEntry {
    DWORD dwId;
    DWORD dwParentId;
    std::wstring exeName;  // file name only
};
std::vector<ProcessEntry> RunningProcesses();

// The command line a running process was given, read from its own memory;
// empty when it cannot be read.
std::wstring ProcessCommandLine(DWORD dwProcessId);

// A program started by a test; ended by force if it still runs when the
// object goes.
class ChildProcess {
public:
    // With a desktop name, the program opens its windows on that desktop
    // (under Wine, a virtual desktop of its own, sized from the registry).
    explicit ChildProcess(const std::wstring& commandLine, const wchar_t* pszDesktop = nullptr);
    // A command line in the ANSI code page.
    explicit ChildProcess(const std::string& commandLine, const wchar_t* pszDesktop = nullptr);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pi.hProcess != nullptr; }
    DWORD Id() const { return m_pi.dwProcessId; }
    HANDLE Handle() const { return m_pi.hProcess; }
    bool Running() const;
    // Waits, answering messages meanwhile; false if it still runs.
    bool WaitForExit(DWORD dwTimeoutMs);
    // The exit code, or STILL_ACTIVE.
    DWORD ExitCode() const;

private:
    PROCESS_INFORMATION m_pi = {};
};

// A manual-reset event with a name of its own, for another process to open.
class NamedEvent {
public:
    NamedEvent();
    ~NamedEvent() { CloseHandle(m_h); }
    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;
    const std::string& name() const { return m_name; }
    HANDLE handle() const { return m_h; }
    bool IsSet() const { return WaitForSingleObject(m_h, 0) == WAIT_OBJECT_0; }

private:
    std::string m_name;
    HANDLE m_h = nullptr;
};
