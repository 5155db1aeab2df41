#include "fw/wnd.h"

#include <cstddef>
#include <cstdint>

#include "base/sysapi.h"

#include "fw/ddx.h"
#include "fw/conv.h"
#include "fw/dialog.h"
#include "fw/winapp.h"

namespace {
// Controls may use GWLP_USERDATA themselves; a property is ours alone.
const wchar_t kWndProp[] = L"Trovelle.CWnd";

// The screen's DPI, which the system's own metrics are for.
UINT ScreenDpi()
{
    const HDC hDC = ::GetDC(nullptr);
    const int nDpi = hDC != nullptr ? ::GetDeviceCaps(hDC, LOGPIXELSX) : 0;
    if (hDC != nullptr)
        ::ReleaseDC(nullptr, hDC);
    return nDpi > 0 ? static_cast<UINT>(nDpi) : 96;
}

// The text's characters up to its terminator, read a region at a time.
template <class Ch>
bool IsTextWithin(const Ch* psz, std::size_t nMaxChars)
{
    if (psz == nullptr)
        return true;
    for (std::size_t n = 0; n <= nMaxChars; ++n) {
        if (!AfxIsReadable(psz + n, sizeof(Ch)))
            return false;
        if (psz[n] == 0)
            return true;
    }
    return false;
}

// The message being handled on this thread by one of our windows, and
// whether it was sent from another thread: kept for the messages nested
// inside it, which were not.
thread_local DWORD t_dwEnclosingSend = ISMEX_NOSEND;
}  // namespace

bool AfxIsReadable(const void* p, std::size_t cb)
{
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    const auto nStart = reinterpret_cast<std::uintptr_t>(p);
    if (nStart == 0 || nStart > UINTPTR_MAX - cb)
        return false;
    // A block may straddle regions of different protection.
    for (std::uintptr_t n = nStart; n < nStart + cb;) {
        MEMORY_BASIC_INFORMATION mbi{};
        if (::VirtualQuery(reinterpret_cast<const void*>(n), &mbi, sizeof mbi) == 0 || mbi.State != MEM_COMMIT ||
            (mbi.Protect & kReadable) == 0 || (mbi.Protect & PAGE_GUARD) != 0)
            return false;
        n = reinterpret_cast<std::uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
    }
    return true;
}

bool AfxIsTextWithin(const char* psz, std::size_t nMaxChars) { return IsTextWithin(psz, nMaxChars); }

bool AfxIsTextWithin(const wchar_t* psz, std::size_t nMaxChars) { return IsTextWithin(psz, nMaxChars); }

CWnd::~CWnd()
{
    if (CWinApp* pApp = AfxGetApp(); pApp != nullptr && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
    if (m_hWnd != nullptr) {
        const HWND hWnd = m_hWnd;
        ::DestroyWindow(hWnd);
        if (m_hWnd != nullptr)
            Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    if (auto* pWnd = static_cast<CWnd*>(::GetPropW(hWnd, kWndProp)))
        return pWnd;
    // DWLP_USER means something only in a dialog of our own procedure.
    if (::GetClassLongPtrW(hWnd, GCW_ATOM) == reinterpret_cast<ULONG_PTR>(WC_DIALOG) &&
        ::GetWindowLongPtrW(hWnd, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(&CDialog::DialogProc))
        return reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    return nullptr;
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (m_hWnd != nullptr || hWndNew == nullptr)
        return FALSE;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach()
{
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        if (m_pfnSuper != nullptr)
            return UnsubclassWindow();
        ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    }
    const HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (m_hWnd != nullptr || hWnd == nullptr || FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    if (!::SetPropW(hWnd, kWndProp, this))
        return FALSE;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WndProc)));
    if (m_pfnSuper == nullptr) {
        ::RemovePropW(hWnd, kWndProp);
        return FALSE;
    }
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::UnsubclassWindow()
{
    const HWND hWnd = m_hWnd;
    if (hWnd == nullptr || m_pfnSuper == nullptr)
        return nullptr;
    // Whoever subclassed the window after us calls our procedure: we cannot
    // leave his chain.
    if (::GetWindowLongPtrW(hWnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&CWnd::WndProc))
        return nullptr;
    ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    ::RemovePropW(hWnd, kWndProp);
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID)
{
    if (m_hWnd != nullptr)
        return FALSE;
    const CA2W windowName(lpszWindowName);
    const HWND hWnd = ::CreateWindowExW(0, CA2W(lpszClassName),
                                        lpszWindowName != nullptr ? static_cast<LPCWSTR>(windowName) : nullptr,
                                        dwStyle | WS_CHILD, rect.left, rect.top,
                                        rect.right - rect.left, rect.bottom - rect.top,
                                        pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), AfxGetInstanceHandle(),
                                        nullptr);
    if (hWnd == nullptr)
        return FALSE;
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    const HWND hWnd = m_hWnd;
    const BOOL bResult = ::DestroyWindow(hWnd);
    // A window that is not subclassed sends us no WM_NCDESTROY.
    if (m_hWnd == hWnd && !::IsWindow(hWnd))
        m_hWnd = nullptr;
    return bResult;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, HRGN hrgnUpdate, UINT flags)
{
    return ::RedrawWindow(m_hWnd, lpRectUpdate, hrgnUpdate, flags);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

CString CWnd::GetWindowTextOf(HWND hWnd)
{
    const int nLen = ::GetWindowTextLengthW(hWnd);
    if (nLen <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(nLen) + 1, L'\0');
    const int nCopied = ::GetWindowTextW(hWnd, text.data(), nLen + 1);
    return CW2A(text.c_str(), nCopied > 0 ? nCopied : 0);
}

CString CWnd::GetClassNameOf(HWND hWnd)
{
    wchar_t szClass[257];  // a class name has at most 256 characters
    const int nLen = ::GetClassNameW(hWnd, szClass, 257);
    return CW2A(szClass, nLen > 0 ? nLen : 0);
}

void CWnd::SetWindowText(LPCSTR lpszString) { ::SetWindowTextW(m_hWnd, CA2W(lpszString)); }

UINT CWnd::GetDpi() const
{
    if (Sys().GetDpiForWindow != nullptr && m_hWnd != nullptr) {
        if (const UINT nDpi = Sys().GetDpiForWindow(m_hWnd))
            return nDpi;
    }
    return ScreenDpi();
}

int CWnd::GetSystemMetricsForDpi(int nIndex, UINT nDpi)
{
    if (Sys().GetSystemMetricsForDpi != nullptr)
        return Sys().GetSystemMetricsForDpi(nIndex, nDpi);
    return ::MulDiv(::GetSystemMetrics(nIndex), static_cast<int>(nDpi), static_cast<int>(ScreenDpi()));
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;  // the user has been told
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}

LRESULT CWnd::Default() { return DefWindowProc(m_msgCur.message, m_msgCur.wParam, m_msgCur.lParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

HWND CWnd::GetSafeOwner_(HWND hParent)
{
    HWND hWnd = hParent;
    if (hWnd == nullptr) {
        if (CWnd* pMain = AfxGetMainWnd())
            hWnd = pMain->m_hWnd;
        if (hWnd == nullptr)
            hWnd = ::GetActiveWindow();
    }
    // A pop-up cannot be owned by a child window.
    while (hWnd != nullptr && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    // A dialog opened from a dialog is owned by it, not by the main window.
    if (hParent == nullptr && hWnd != nullptr)
        hWnd = ::GetLastActivePopup(hWnd);
    return hWnd;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // Menu and accelerator commands that no window handles go to the
    // application (its ID_HELP, for one).
    if (message == WM_COMMAND && lParam == 0 && HIWORD(wParam) <= 1) {
        if (CWinApp* pApp = AfxGetApp())
            return pApp->OnWndMsg(message, wParam, lParam, pResult);
    }
    return FALSE;
}

BOOL CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_NOTIFY && !IsNotifyHeard(lParam))
        return FALSE;
    const MSG saved = m_msgCur;
    const bool bSavedSent = m_bCurSentHere;
    m_msgCur = MSG{m_hWnd, message, wParam, lParam, 0, {}};
    // Sent from another thread, and not by way of an outer message of ours
    // that was: a message that our own handling of another sent one passes
    // on finds the same state as it (or one replied to already).
    const DWORD dwSend = ::InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_REPLIED);
    m_bCurSentHere = dwSend == ISMEX_SEND && t_dwEnclosingSend != ISMEX_SEND;
    const DWORD dwSavedEnclosing = t_dwEnclosingSend;
    t_dwEnclosingSend = dwSend;
    BOOL bHandled = FALSE;
    // No exception may cross a window procedure: the system's frames between
    // here and the message loop cannot unwind, and the program would end with
    // everything it holds. A handler that throws has handled its message.
    try {
        bHandled = OnWndMsg(message, wParam, lParam, pResult);
    } catch (...) {
        *pResult = 0;
        bHandled = TRUE;
    }
    t_dwEnclosingSend = dwSavedEnclosing;
    m_msgCur = saved;
    m_bCurSentHere = bSavedSent;
    return bHandled;
}

void CWnd::ReplyToSender(LRESULT lResult)
{
    if (m_bCurSentHere) {
        ::ReplyMessage(lResult);
        m_bCurSentHere = false;
    }
}

bool CWnd::IsNotifyHeard(LPARAM lParam) const
{
    // A notification is handled when its header is ours to read and names a
    // window of this thread that is this one, inside it, or owned by it or
    // by its top-level window (a tooltip, another pop-up of ours): so our
    // own windows are always heard, also while they notify us from inside a
    // message another program sent (a screen reader's, a macro tool's), and
    // a header pointing anywhere else is left to the default processing.
    const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    if (!AfxIsReadable(pHeader, sizeof *pHeader))
        return false;
    const HWND hFrom = pHeader->hwndFrom;
    if (hFrom == nullptr || ::GetWindowThreadProcessId(hFrom, nullptr) != ::GetCurrentThreadId())
        return false;
    if (hFrom == m_hWnd || ::IsChild(m_hWnd, hFrom))
        return true;
    const HWND hOwner = ::GetWindow(hFrom, GW_OWNER);
    return hOwner != nullptr && (hOwner == m_hWnd || hOwner == ::GetAncestor(m_hWnd, GA_ROOT));
}

bool CWnd::IsNotifyFrom(LPARAM lParam, UINT nCode, UINT_PTR nID, std::size_t cbStruct) const
{
    // The header was read already (IsNotifyHeard).
    const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    if (pHeader->code != nCode || pHeader->idFrom != nID)
        return false;
    // A control is known by its window, so that another window's control of
    // the same id (an owned dialog's) is not taken for ours; a pop-up of ours
    // (a tooltip) is no control and is known by its id where none has it.
    const HWND hControl = ::GetDlgItem(m_hWnd, static_cast<int>(nID));
    const bool bFrom = hControl != nullptr
                           ? pHeader->hwndFrom == hControl
                           : (::GetWindowLongPtrW(pHeader->hwndFrom, GWL_STYLE) & WS_CHILD) == 0;
    return bFrom && AfxIsReadable(pHeader, cbStruct);
}

LRESULT CALLBACK CWnd::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* pWnd = static_cast<CWnd*>(::GetPropW(hWnd, kWndProp));
    if (pWnd == nullptr)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    LRESULT lResult = 0;
    if (!pWnd->Dispatch(message, wParam, lParam, &lResult))
        lResult = pWnd->DefWindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::RemovePropW(hWnd, kWndProp);
        pWnd->m_pfnSuper = nullptr;
        pWnd->m_hWnd = nullptr;
    }
    return lResult;
}
