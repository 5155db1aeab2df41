// The clipboard viewer chain and automatic capture: joining, change notices,
// passing them on and the chain's repair, as steps. What a notice means is
// the watch's to decide (clipwatch.h); the window asks the system for the
// facts and carries out the decision.
#include "mainwnd/keeperdlg.h"

#include "app/keeperapp.h"
#include "clips/clip.h"

namespace {

constexpr UINT_PTR kChainCheckTimer = 1;

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

void CKeeperDlg::LeaveViewerChain()
{
    const CClipboardWatch::Leaving leaving = m_watch.Leave();
    if (!leaving.bLeaveChain)
        return;
    if (leaving.bStopListening && Sys().RemoveClipboardFormatListener != nullptr)
        Sys().RemoveClipboardFormatListener(m_hWnd);
    if (leaving.bStopChainCheck)
        KillTimer(kChainCheckTimer);
    ::ChangeClipboardChain(m_hWnd, m_hNextViewer);
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
    if (nIDEvent != kChainCheckTimer) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    KillTimer(kChainCheckTimer);
    if (m_watch.ChainCheckDue())
        RejoinViewerChain();
}

void CKeeperDlg::RejoinViewerChain()
{
    // The window that heads the chain now, if any, would be sent the news
    // with a wait without end: one that does not answer is left for the
    // next change.
    const HWND hHead = ::GetClipboardViewer();
    if (hHead != nullptr && hHead != m_hWnd && ::IsWindow(hHead) && ::IsHungAppWindow(hHead))
        return;
    const HWND hNext = m_hNextViewer;
    ::ChangeClipboardChain(m_hWnd, hNext);
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
    ::SendMessageTimeoutA(m_hNextViewer, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                          CClipboardWatch::kPassOnTimeoutMs, &dwResult);
}

LRESULT CKeeperDlg::OnDrawClipboardLater(WPARAM, LPARAM)
{
    m_watch.LaterArrived();
    HandleOrDeferChange();
    return 0;
}

void CKeeperDlg::HandleOrDeferChange()
{
    switch (m_watch.NoticeArrives(IsClipboardOpenHere())) {
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
                             m_bSkipNextCapture, theKeeperApp.m_bAutoPaste != 0});
    if (!change.bNew)
        return;
    struct End {
        CClipboardWatch& watch;
        ~End() { watch.EndChange(); }
    } end{m_watch};

    if (change.bNameOwner) {
        CString strTitle;
        if (const HWND hTop = GetOwnerTitleWindow(); hTop != nullptr)
            strTitle = GetWindowTextOf(hTop);
        // No prefix without a name.
        if (strTitle.IsEmpty())
            SetStatusText(0, "");
        else
            SetOnClipboardText(strTitle);
        RedrawStatusBar();
    }
    if (change.capture == CClipboardWatch::Capture::Skip)
        m_bSkipNextCapture = false;
    else if (change.capture == CClipboardWatch::Capture::Take)
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
    m_bSkipNextCapture = true;
}

// Always named automatically; the option is left as it is.
void CKeeperDlg::OnPopupColler() { StoreClipboard(false, true); }
