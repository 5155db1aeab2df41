#include "tests/support/process.h"

#include <cstdio>

std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

ChildProcess::ChildProcess(const std::string& commandLine)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = commandLine;
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
        m_pi = {};
}

ChildProcess::~ChildProcess()
{
    if (!Started())
        return;
    if (!HasEnded())
        TerminateProcess(m_pi.hProcess, 99);
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
}

DWORD ChildProcess::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    if (Started())
        GetExitCodeProcess(m_pi.hProcess, &dwCode);
    return dwCode;
}

NamedEvent::NamedEvent()
{
    static LONG nNext = 0;
    char sz[64];
    std::snprintf(sz, sizeof sz, "TrovelleTest.%lu.%ld", GetCurrentProcessId(), InterlockedIncrement(&nNext));
    m_name = sz;
    m_h = CreateEventA(nullptr, TRUE, FALSE, sz);
}
