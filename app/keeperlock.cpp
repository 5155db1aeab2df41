#include "app/keeperlock.h"

#include <sddl.h>

#include <string>

#include "mainwnd/keeperdlg.h"

namespace {

// How long a second start waits for the keeper's window: one that has just
// started takes a moment to show it.
constexpr DWORD kWaitForKeeperMs = 5000;
constexpr DWORD kPollMs = 100;
constexpr UINT kAskTimeoutMs = 2000;

// The user's SID as text, so that users who share a session (a program run
// as another user) each have a keeper; empty when it cannot be read.
std::wstring UserSid()
{
    std::wstring sid;
    HANDLE hToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return sid;
    DWORD cb = 0;
    ::GetTokenInformation(hToken, TokenUser, nullptr, 0, &cb);
    if (cb != 0) {
        std::string buffer(cb, '\0');
        if (::GetTokenInformation(hToken, TokenUser, buffer.data(), cb, &cb)) {
            LPWSTR pszSid = nullptr;
            if (::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &pszSid)) {
                sid = pszSid;
                ::LocalFree(pszSid);
            }
        }
    }
    ::CloseHandle(hToken);
    return sid;
}

}  // namespace

CKeeperLock::~CKeeperLock()
{
    if (m_hMutex != nullptr)
        ::CloseHandle(m_hMutex);
}

bool CKeeperLock::Acquire()
{
    // "Local\" is the namespace of this session.
    const std::wstring name = L"Local\\Trovelle keeper " + UserSid();
    m_hMutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    // No mutex (the name taken by an object of another kind, or of another
    // user): nothing tells of a keeper.
    if (m_hMutex == nullptr || ::GetLastError() != ERROR_ALREADY_EXISTS)
        return true;
    for (DWORD dwWaited = 0; dwWaited < kWaitForKeeperMs; dwWaited += kPollMs) {
        if (ShowRunningKeeper())
            return false;
        ::Sleep(kPollMs);
    }
    return true;
}

bool CKeeperLock::ShowRunningKeeper()
{
    // Every dialog titled as the keeper's main window, hidden ones too; only
    // the keeper answers the message as it does.
    for (HWND hWnd = nullptr; (hWnd = ::FindWindowExW(nullptr, hWnd, L"#32770", L"Trovelle")) != nullptr;) {
        DWORD dwProcessId = 0;
        ::GetWindowThreadProcessId(hWnd, &dwProcessId);
        if (dwProcessId == ::GetCurrentProcessId())
            continue;
        // The user started us just now: the keeper may take the foreground.
        ::AllowSetForegroundWindow(dwProcessId);
        DWORD_PTR dwAnswer = 0;
        if (::SendMessageTimeoutW(hWnd, CKeeperDlg::ShowKeeperMessage(), 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                  kAskTimeoutMs, &dwAnswer) != 0 &&
            dwAnswer == CKeeperDlg::kShownAnswer)
            return true;
    }
    return false;
}
