#include "tests/support/process.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>

namespace {

struct FindData {
    DWORD dwProcessId;
    const char* pszClass;
    const char* pszTitle;
    HWND hFound;
};

BOOL CALLBACK FindProc(HWND h, LPARAM lParam)
{
    auto* pData = reinterpret_cast<FindData*>(lParam);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(h, &dwPid);
    char szClass[64] = {}, szTitle[256] = {};
    GetClassNameA(h, szClass, sizeof szClass);
    GetWindowTextA(h, szTitle, sizeof szTitle);
    if (dwPid == pData->dwProcessId && IsWindowVisible(h) && std::string(szClass) == pData->pszClass &&
        (pData->pszTitle == nullptr || std::string(szTitle) == pData->pszTitle)) {
        pData->hFound = h;
        return FALSE;
    }
    return TRUE;
}

using NtQueryInformationProcessFn = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

}  // namespace

std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

HWND FindProcessWindow(DWORD dwProcessId, const char* pszClass, const char* pszTitle)
{
    FindData data{dwProcessId, pszClass, pszTitle, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&data));
    return data.hFound;
}

std::vector<ProcessEntry> RunningProcesses()
{
    std::vector<ProcessEntry> list;
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnap == INVALID_HANDLE_VALUE)
        return list;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(hSnap, &entry); ok; ok = Process32NextW(hSnap, &entry))
        list.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    CloseHandle(hSnap);
    return list;
}

std::wstring ProcessCommandLine(DWORD dwProcessId)
{
    // The process's own block of parameters: PEB, then its parameters, then
    // the command line's characters.
    auto query = reinterpret_cast<NtQueryInformationProcessFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwProcessId);
    if (query == nullptr || hProcess == nullptr) {
        if (hProcess != nullptr)
            CloseHandle(hProcess);
        return {};
    }
    std::wstring line;
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb = {};
    RTL_USER_PROCESS_PARAMETERS params = {};
    if (query(hProcess, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
        ReadProcessMemory(hProcess, basic.PebBaseAddress, &peb, sizeof peb, nullptr) &&
        ReadProcessMemory(hProcess, peb.ProcessParameters, &params, sizeof params, nullptr)) {
        line.resize(params.CommandLine.Length / sizeof(wchar_t));
        if (!ReadProcessMemory(hProcess, params.CommandLine.Buffer, line.data(), params.CommandLine.Length, nullptr))
            line.clear();
    }
    CloseHandle(hProcess);
    return line;
}

ChildProcess::ChildProcess(const std::wstring& commandLine, const wchar_t* pszDesktop)
{
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::wstring desktop = pszDesktop != nullptr ? pszDesktop : L"";
    if (pszDesktop != nullptr)
        si.lpDesktop = desktop.data();
    std::wstring cmd = commandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
        m_pi = {};
}

ChildProcess::ChildProcess(const std::string& commandLine, const wchar_t* pszDesktop)
    : ChildProcess([&] {
          std::wstring wide(commandLine.size(), L'\0');
          wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, commandLine.data(),
                                                                   static_cast<int>(commandLine.size()), wide.data(),
                                                                   static_cast<int>(wide.size()))));
          return wide;
      }(), pszDesktop)
{
}

ChildProcess::~ChildProcess()
{
    if (!Started())
        return;
    if (Running()) {
        TerminateProcess(m_pi.hProcess, 99);
        WaitForSingleObject(m_pi.hProcess, 5000);
    }
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
}

bool ChildProcess::Running() const { return Started() && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }

bool ChildProcess::WaitForExit(DWORD dwTimeoutMs)
{
    return Started() && PumpUntil([&] { return !Running(); }, dwTimeoutMs);
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
