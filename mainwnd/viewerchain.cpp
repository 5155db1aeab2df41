// The clipboard viewer chain and automatic capture: joining, change notices,
// passing them on and the chain's repair, as steps. What a notice means is
// the watch's to decide (clipwatch.h); the window asks the system for the
// facts and carries out the decision.
#include "mainwnd/keeperdlg.h"

#include "app/keeperapp.h"
#include "clips/clip.h"
#include "res/texts.h"

namespace {

constexpr UINT_PTR kChainCheckTimer = 1;
constexpr UINT_PTR kCaptureRetryTimer = 2;
// How long the window waits for its removal from the chain: when it rejoins
// (the rejoining is left for the next change if the removal takes longer),
// and when it leaves at quit or at the session's end.
constexpr DWORD kRejoinWaitMs = 500;
constexpr DWORD kLeaveWaitMs = 1000;

struct Removal {
    HWND hWnd;
    HWND hNext;
};

DWORD WINAPI RemoveFromChain(void* pv)
{
    const Removal removal = *static_cast<Removal*>(pv);
    delete static_cast<Removal*>(pv);
    Sys().ChangeClipboardChain(removal.hWnd, removal.hNext);
    return 0;
}

// Ends the change the watch began, on every way out of its handling.
struct ChangeEnd {
    CClipboardWatch& watch;
    ~ChangeEnd() { watch.EndChange(); }
};

}  // namespace

void CKeeperDlg::JoinViewerChain()
{
    // The first change notice arrives from inside this call, before the
    // result is stored.
    m_hNextViewer = ::SetClipboardViewer(m_hWnd);
    // Told of every change by the system itself too: a viewer ahead of us
    // that ends without leaving the chain stops its notices for good.
    m_watch.Joined(Sys().AddClipboardFormatListener != nullptr && Sys().AddClipboardFormatListener(m_hWnd) != FALSE);
}

void CKeeperDlg::LeaveViewerChain(const CClipboardWatch::Leaving& leaving)
{
    if (leaving.bStopListening && Sys().RemoveClipboardFormatListener != nullptr)
        Sys().RemoveClipboardFormatListener(m_hWnd);
    if (leaving.bStopChainCheck)
        KillTimer(kChainCheckTimer);
    KillTimer(kCaptureRetryTimer);
    // The system knows only the head: a viewer that ends still in the chain
    // cuts off every viewer after it. So the window leaves, but waits for
    // the viewers ahead of it only so long.
    LeaveChainWithin(kLeaveWaitMs);
}

bool CKeeperDlg::LeaveChainWithin(DWORD dwWaitMs)
{
    // ChangeClipboardChain tells the head viewer, which passes the news on
    // down the chain, each viewer waiting for the next one's answer without
    // end: one busy viewer ahead of us would hold the window for as long.
    // The call is made from a thread of its own (neither Windows nor Wine
    // ties it to the window's thread), and the window answers what is sent
    // to it meanwhile, viewers of its own thread included.
    // One removal at a time: one that outlasted an earlier wait is still
    // under way, and a second started beside it could end before it, let
    // the window rejoin, and be followed by the late one taking the window
    // out again. A later wait waits for the one under way.
    if (m_hRemoval == nullptr) {
        auto* pRemoval = new Removal{m_hWnd, m_hNextViewer};
        m_hRemoval = ::CreateThread(nullptr, 0, RemoveFromChain, pRemoval, 0, nullptr);
        if (m_hRemoval == nullptr) {
            delete pRemoval;
            Sys().ChangeClipboardChain(m_hWnd, m_hNextViewer);
            return true;
        }
    }
    const HANDLE hRemoval = m_hRemoval;
    ++m_nRemovalWaits;
    const DWORD dwStart = ::GetTickCount();
    DWORD dwWait = 0;
    for (DWORD dwSpent = 0; dwSpent < dwWaitMs; dwSpent = ::GetTickCount() - dwStart) {
        dwWait = ::MsgWaitForMultipleObjects(1, &hRemoval, FALSE, dwWaitMs - dwSpent, QS_SENDMESSAGE);
        if (dwWait != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    --m_nRemovalWaits;
    const bool bDone = ::WaitForSingleObject(hRemoval, 0) == WAIT_OBJECT_0;
    // A wait inside this one (the session's end, sent meanwhile) waited on
    // the same handle: the outermost wait closes it.
    if (bDone && m_nRemovalWaits == 0) {
        ::CloseHandle(hRemoval);
        m_hRemoval = nullptr;
    }
    return bDone;
}

void CKeeperDlg::OnDrawClipboard()
{
    m_watch.ChainNotice(::GetClipboardSequenceNumber());
    HandleOrDeferChange();
    if (m_watch.BeginPassingOn(CClipboardWatch::Passing::Notice)) {
        ForwardToNextViewer(WM_DRAWCLIPBOARD, 0, 0);
        m_watch.EndPassingOn(CClipboardWatch::Passing::Notice);
    }
}

void CKeeperDlg::OnClipboardUpdate()
{
    if (m_watch.ListenerNotice(::GetClipboardSequenceNumber()))
        m_watch.ChainCheckStarted(SetTimer(kChainCheckTimer, CClipboardWatch::kChainGraceMs, nullptr) != 0);
    HandleOrDeferChange();
}

void CKeeperDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kChainCheckTimer) {
        KillTimer(kChainCheckTimer);
        if (m_watch.ChainCheckDue())
            RejoinViewerChain();
    } else if (nIDEvent == kCaptureRetryTimer) {
        KillTimer(kCaptureRetryTimer);
        if (m_watch.RetryDue()) {
            const ChangeEnd end{m_watch};
            StoreClipboard(true, true);
        }
    } else {
        CDialog::OnTimer(nIDEvent);
    }
}

void CKeeperDlg::RetryCapture(bool bHeld)
{
    const CClipboardWatch::Retry retry = m_watch.CaptureFailed(bHeld, Sys().GetTickCount());
    if (retry.nAfterMs != 0) {
        SetTimer(kCaptureRetryTimer, retry.nAfterMs, nullptr);
    } else if (retry.bLost) {
        SetStatusText(0, Texts::kCopyLost);
        RedrawStatusBar();
    }
}

void CKeeperDlg::RejoinViewerChain()
{
    // Taken out of the chain first, so that it is never in it twice. A
    // head viewer busy for longer leaves the rejoining to the next change.
    if (!LeaveChainWithin(kRejoinWaitMs))
        return;
    // The session may have ended during the wait: the window has left for
    // good, and a dead viewer would cut off those after it.
    if (!m_watch.InChain())
        return;
    const HWND hNext = m_hNextViewer;
    // The notice of joining brings no change: it finds the change handled
    // already, and goes on to the viewers after us.
    const HWND hPrevious = ::SetClipboardViewer(m_hWnd);
    // A head that has gone leaves the chain after us as it was.
    m_hNextViewer = hPrevious != nullptr && hPrevious != m_hWnd && ::IsWindow(hPrevious) ? hPrevious : hNext;
}

void CKeeperDlg::ForwardToNextViewer(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_hNextViewer == nullptr || m_hNextViewer == m_hWnd)
        return;
    DWORD_PTR dwResult = 0;
    ::SendMessageTimeoutW(m_hNextViewer, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                          CClipboardWatch::kPassOnTimeoutMs, &dwResult);
}

LRESULT CKeeperDlg::OnDrawClipboardLater(WPARAM, LPARAM)
{
    HandleOrDeferChange(true);
    return 0;
}

void CKeeperDlg::HandleOrDeferChange(bool bPostedBack)
{
    switch (m_watch.NoticeArrives(IsClipboardOpenHere(), bPostedBack)) {
    case CClipboardWatch::Arrival::Now:
        OnClipboardChange();
        break;
    case CClipboardWatch::Arrival::Later:
        m_watch.LaterPosted(PostMessage(WM_DRAWCLIPBOARDLATER, 0, 0) != FALSE);
        break;
    case CClipboardWatch::Arrival::AlreadyWaiting:
        break;
    }
}

void CKeeperDlg::OnClipboardChange()
{
    const CClipboardWatch::Change change =
        m_watch.BeginChange({::GetClipboardSequenceNumber(), ::GetClipboardOwner() == m_hWnd, m_bRestoring,
                             theKeeperApp.m_bAutoPaste != 0});
    if (!change.bNew)
        return;
    const ChangeEnd end{m_watch};

    if (change.bNameOwner) {
        CString strTitle;
        if (const HWND hTop = GetOwnerTitleWindow(::GetClipboardOwner()); hTop != nullptr)
            strTitle = GetWindowTextOf(hTop);
        // No prefix without a name.
        if (strTitle.IsEmpty())
            SetStatusText(0, "");
        else
            SetOnClipboardText(strTitle);
        RedrawStatusBar();
    }
    if (change.capture == CClipboardWatch::Capture::Take)
        StoreClipboard(true, true);  // a private copy is refused by the capture itself
}

// The clipboard we own, after a restore, is being emptied.
void CKeeperDlg::OnDestroyClipboard()
{
    SetStatusText(0, "");
    RedrawStatusBar();
    CDialog::OnDestroyClipboard();
}

void CKeeperDlg::OnChangeCbChain(HWND hWndRemove, HWND hWndAfter)
{
    switch (CClipboardWatch::ViewerLeaves(WatchId(hWndRemove), WatchId(hWndAfter), WatchId(m_hNextViewer),
                                         WatchId(m_hWnd))) {
    case CClipboardWatch::Departure::Relink:
        m_hNextViewer = hWndAfter;
        break;
    case CClipboardWatch::Departure::PassOn:
        if (m_watch.BeginPassingOn(CClipboardWatch::Passing::Departure)) {
            ForwardToNextViewer(WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(hWndRemove),
                                reinterpret_cast<LPARAM>(hWndAfter));
            m_watch.EndPassingOn(CClipboardWatch::Passing::Departure);
        }
        break;
    case CClipboardWatch::Departure::Nothing:
        break;
    }
}

void CKeeperDlg::OnOptionsCollage()
{
    Toggle(theKeeperApp.m_bAutoPaste);
    m_watch.AutoPasteSwitched();
}

// Always named automatically; the option is left as it is.
void CKeeperDlg::OnPopupColler() { StoreClipboard(false, true); }
