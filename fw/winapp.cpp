#include "fw/winapp.h"

#include "base/sysapi.h"
#include "fw/conv.h"
#include "fw/wnd.h"

namespace {
CWinApp* g_pApp = nullptr;
}  // namespace

CWinApp::CWinApp(LPCSTR lpszAppName)
{
    g_pApp = this;
    // WinMain sets it again; tests that have no WinMain get the same value.
    m_hInstance = ::GetModuleHandleW(nullptr);
    if (lpszAppName != nullptr) {
        m_strAppName = lpszAppName;
    } else {
        CString strName = AfxGetModuleFileName(nullptr);
        strName = strName.Mid(strName.ReverseFind('\\') + 1);
        const int nDot = strName.ReverseFind('.');
        m_strAppName = nDot >= 0 ? strName.Left(nDot) : strName;
    }
    m_pszAppName = m_strAppName;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_nExitCode; }

int CWinApp::Run()
{
    MSG msg;
    BOOL bGot;
    for (;;) {
        bGot = ::GetMessageW(&msg, nullptr, 0, 0);
        if (bGot <= 0)
            break;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_nExitCode = bGot == 0 ? static_cast<int>(msg.wParam) : -1;
    return ExitInstance();
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    return CWnd::WalkPreTranslateTree(m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr, pMsg);
}

CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd() { return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() { return g_pApp != nullptr ? g_pApp->m_hInstance : ::GetModuleHandleW(nullptr); }

HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT)
{
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            nType |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            nType |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }
    const CA2W caption(g_pApp != nullptr ? g_pApp->m_pszAppName : nullptr);
    return Sys().MessageBoxW(CWnd::GetSafeOwner_(nullptr), CA2W(lpszText),
                             g_pApp != nullptr ? static_cast<LPCWSTR>(caption) : nullptr, nType);
}
