#include "fw/dialog.h"

#include "fw/winapp.h"

namespace {
// The messages whose result a dialog procedure returns itself; every other
// result goes through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON ||
           message == WM_INITDIALOG;
}
}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog()
{
    if (m_hWnd != nullptr)
        CWnd::DestroyWindow();
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog()
{
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    if (m_hWnd != nullptr)
        return FALSE;
    m_nIDTemplate = nIDTemplate;
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    return ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate),
                                m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr, DialogProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CDialog::DoModal()
{
    const HWND hWndOwner = GetSafeOwner_(m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr);
    const bool bEnableOwner = hWndOwner != nullptr && ::IsWindowEnabled(hWndOwner);
    if (bEnableOwner)
        ::EnableWindow(hWndOwner, FALSE);

    m_nModalResult = -1;
    m_bModal = true;
    m_bContinueModal = true;
    const HWND hWnd = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), hWndOwner,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
    if (hWnd == nullptr)
        m_nModalResult = -1;
    else if (m_bContinueModal)
        RunModalLoop();
    m_bContinueModal = false;

    // The owner is enabled before the dialog is hidden, so that activation
    // goes back to it and not to another program's window.
    if (bEnableOwner)
        ::EnableWindow(hWndOwner, TRUE);
    if (m_hWnd != nullptr) {
        const bool bWasActive = ::GetActiveWindow() == m_hWnd;
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (hWndOwner != nullptr && (bWasActive || ::GetActiveWindow() == m_hWnd))
            ::SetActiveWindow(hWndOwner);
    }
    DestroyWindow();
    m_bModal = false;
    return m_nModalResult;
}

void CDialog::RunModalLoop()
{
    // A template without WS_VISIBLE is shown once the queue first runs dry,
    // after the messages that creation left.
    bool bShowOnIdle = (GetStyle() & WS_VISIBLE) == 0;
    MSG msg;
    while (m_bContinueModal) {
        if (bShowOnIdle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            bShowOnIdle = false;
            ShowWindow(SW_SHOWNORMAL);
            ::UpdateWindow(m_hWnd);
            continue;
        }
        const BOOL bGot = ::GetMessageW(&msg, nullptr, 0, 0);
        if (bGot <= 0) {
            // Every loop up to the application's must end too.
            if (bGot == 0)
                ::PostQuitMessage(static_cast<int>(msg.wParam));
            m_nModalResult = -1;
            break;
        }
        if (!WalkPreTranslateTree(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    if (m_bModal) {
        if (m_bContinueModal) {
            m_bContinueModal = false;
            // Wakes the loop if it waits in GetMessage.
            if (m_hWnd != nullptr)
                ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
        }
    } else if (m_hWnd != nullptr) {
        ::EndDialog(m_hWnd, nResult);  // a modeless dialog is hidden
    }
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    const UINT message = pMsg->message;
    const bool bInput =
        (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
    return bInput && m_hWnd != nullptr && ::IsDialogMessageW(m_hWnd, pMsg);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_hWnd == nullptr)
        return 0;
    m_bPassToDefault = true;
    m_nPassMessage = message;
    const LRESULT lResult = ::DefDlgProcW(m_hWnd, message, wParam, lParam);
    m_bPassToDefault = false;
    return lResult;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        // Once per window: the one CreateDialogParam sends. Another (any
        // program can send one) would replace the object with its lParam and
        // run the set-up again.
        if (::GetWindowLongPtrW(hWnd, DWLP_USER) != 0 || lParam == 0)
            return FALSE;
        ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hWnd;
    }
    auto* pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    if (pDlg == nullptr)
        return FALSE;
    // DefDlgProc always asks us first: this is Default() asking for the
    // system's processing of the message being handled.
    if (pDlg->m_bPassToDefault && pDlg->m_nPassMessage == message) {
        pDlg->m_bPassToDefault = false;
        return FALSE;
    }

    LRESULT lResult = 0;
    const BOOL bHandled = pDlg->Dispatch(message, wParam, lParam, &lResult);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        pDlg->m_hWnd = nullptr;
        pDlg->m_bContinueModal = false;  // destroyed from elsewhere: the loop must not wait for it
        return FALSE;
    }
    if (!bHandled)
        return FALSE;
    if (ReturnsResultDirectly(message))
        return static_cast<INT_PTR>(lResult);
    ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}
