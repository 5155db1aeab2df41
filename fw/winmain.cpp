// The program's entry point, kept apart so that tests link the framework
// without it.
#include <windows.h>

#include <commctrl.h>

#include "fw/winapp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return -1;
    pApp->m_hInstance = hInstance;

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);

    if (!pApp->InitInstance())
        return pApp->ExitInstance();
    return pApp->Run();
}
