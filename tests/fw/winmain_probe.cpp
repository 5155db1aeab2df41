// A program made of the framework's WinMain and an application whose exit
// code tells what WinMain did. "fail": InitInstance returns FALSE and
// ExitInstance ends the program (41 when the instance handle was set first).
// "run": Run's loop ends at a WM_QUIT of 20, plus 7 from ExitInstance.
#include <cstring>

#include "fw/afxwin.h"

namespace {

class CProbeApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        m_bInitialised = m_hInstance == GetModuleHandleA(nullptr);
        m_bRun = std::strstr(GetCommandLineA(), " run") != nullptr;
        if (m_bRun)
            PostQuitMessage(20);
        return m_bRun;
    }
    int ExitInstance() override
    {
        if (m_bRun)
            return CWinApp::ExitInstance() + 7;
        return m_bInitialised ? 41 : 40;
    }

private:
    bool m_bInitialised = false;
    bool m_bRun = false;
};

CProbeApp theProbeApp;

}  // namespace
