// Other programs that a test starts: the program itself, or a source of
// clipboard data in a process of its own. Whatever is still running when the
// object goes is ended.
#pragma once

#include <windows.h>

#include <string>

// A path of the build tree (a Unix path) as a Windows program names it.
std::string WindowsPath(const std::string& unixPath);

class ChildProcess {
public:
    explicit ChildProcess(const std::string& commandLine);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pi.hProcess != nullptr; }
    DWORD Id() const { return m_pi.dwProcessId; }
    HANDLE Handle() const { return m_pi.hProcess; }
    bool HasEnded() const { return WaitForSingleObject(m_pi.hProcess, 0) == WAIT_OBJECT_0; }
    // Its exit code once it has ended, or STILL_ACTIVE.
    DWORD ExitCode() const;

private:
    PROCESS_INFORMATION m_pi{};
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
