// One keeper per user session. The first Trovelle of a session holds a named
// mutex in the session's namespace; a second start finds it, asks the running
// keeper to show its window, and ends without touching the clipboard chain,
// the registry or the notification area. Another user's session has a name of
// its own.
#pragma once

#include <windows.h>

class CKeeperLock {
public:
    CKeeperLock() = default;
    ~CKeeperLock();
    CKeeperLock(const CKeeperLock&) = delete;
    CKeeperLock& operator=(const CKeeperLock&) = delete;

    // True when this process is to be the session's keeper: none runs, or
    // whatever holds the name shows no keeper window that answers within a
    // few seconds (a keeper still starting is waited for), so that no
    // program can keep Trovelle from starting by taking the name. False once
    // the running keeper has been asked to show itself.
    bool Acquire();

private:
    // Asks the keeper's main window, wherever it runs in this session, to
    // show itself; true when one answered.
    static bool ShowRunningKeeper();

    HANDLE m_hMutex = nullptr;
};
