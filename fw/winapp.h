// CWinApp: the one application object, and the global functions that reach
// it. WinMain (fw/winmain.cpp) sets m_hInstance, prepares the common
// controls and runs InitInstance, then Run or, when InitInstance returns
// FALSE, ExitInstance.
#pragma once

#include <windows.h>

#include "base/cstring.h"
#include "fw/msgmap.h"

class CWnd;

// The framework's standard help command.
#define ID_HELP 0xE146

class CWinApp : public CCmdTarget {
public:
    // Without a name, the application is named after its executable file,
    // without the folder and the extension (UTF-8, like every text here).
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPCSTR m_pszAppName = nullptr;

    virtual BOOL InitInstance();
    // Returns the exit code: that of the WM_QUIT which ended Run, else 0.
    virtual int ExitInstance();
    // The message loop: ends at WM_QUIT with ExitInstance().
    virtual int Run();
    // Offers each message of Run to our windows from its target up to the
    // main window.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Both have nothing left to do on today's systems.
    BOOL Enable3dControls() { return TRUE; }
    void OnHelp() {}

private:
    CString m_strAppName;
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
inline void AfxEnableControlContainer() {}

// A message box owned by the main window (or the dialog running over it),
// with the application's name as its caption, through Sys().MessageBoxW.
// A box given no icon gets the usual one for its buttons. The text is UTF-8.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
