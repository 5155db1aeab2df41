// The clipboard viewer chain and automatic capture: change notices, the rules
// that tell a new copy from a notice that brings none, and the chain's repair.
#include "mainwnd/keeperdlg.h"

#include "app/keeperapp.h"
#include "clips/clip.h"

namespace {

// A viewer after us that does not answer within this time is passed by: a
// wait without end would stop every posted message here, input and quit
// included.
constexpr UINT kForwardTimeoutMs = 3000;
// The chain brings a change a little after the listener does at most: a
// viewer ahead of us that passes notices on late does so from its message
// loop, within moments even on a busy machine.
constexpr UINT kChainGraceMs = 2000;
constexpr UINT_PTR kChainCheckTimer = 1;

}  // namespace

void CKeeperDlg::JoinViewerChain()
{
    // The first change notice arrives from inside this call, before the
    // result is stored.
    m_hNextViewer = ::SetClipboardViewer(m_hWnd);
    m_bInChain = true;
    // Told of every change by the system itself too: a viewer ahead of us
    // that ends without leaving the chain stops its notices for good.
    m_bListening = Sys().AddClipboardFormatListener != nullptr && Sys().AddClipboardFormatListener(m_hWnd) != FALSE;
}

void CKeeperDlg::LeaveViewerChain()
{
    if (!m_bInChain)
        return;
    m_bInChain = false;
    if (m_bListening && Sys().RemoveClipboardFormatListener != nullptr)
        Sys().RemoveClipboardFormatListener(m_hWnd);
    m_bListening = false;
    if (m_bAwaitingDraw) {
        KillTimer(kChainCheckTimer);
        m_bAwaitingDraw = false;
    }
    ::ChangeClipboardChain(m_hWnd, m_hNextViewer);
}

void CKeeperDlg::OnDrawClipboard()
{
    // The chain reaches us.
    m_dwDrawSequence = ::GetClipboardSequenceNumber();
    m_bAwaitingDraw = false;
    HandleOrDeferChange();
    // Every change notice goes on down the chain, at once; one that comes
    // back to us through a chain that loops is not sent round again.
    if (!m_bForwardingDraw) {
        m_bForwardingDraw = true;
        ForwardToNextViewer(WM_DRAWCLIPBOARD, 0, 0);
        m_bForwardingDraw = false;
    }
}

void CKeeperDlg::OnClipboardUpdate()
{
    // A change the chain has not brought (yet). Whether it never comes is
    // told by the time: see kChainGraceMs.
    if (m_bInChain && !m_bAwaitingDraw && ::GetClipboardSequenceNumber() != m_dwDrawSequence) {
        m_bAwaitingDraw = SetTimer(kChainCheckTimer, kChainGraceMs, nullptr) != 0;
    }
    HandleOrDeferChange();
}

void CKeeperDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kChainCheckTimer) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    KillTimer(kChainCheckTimer);
    if (!m_bAwaitingDraw)
        return;
    m_bAwaitingDraw = false;
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
    // The notice of joining brings no change: it finds the sequence number
    // already noticed, and goes on to the viewers after us.
    const HWND hPrevious = ::SetClipboardViewer(m_hWnd);
    // A head that has gone leaves the chain after us as it was.
    m_hNextViewer = hPrevious != nullptr && hPrevious != m_hWnd && ::IsWindow(hPrevious) ? hPrevious : hNext;
}

void CKeeperDlg::ForwardToNextViewer(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_hNextViewer == nullptr || m_hNextViewer == m_hWnd)
        return;
    DWORD_PTR dwResult = 0;
    ::SendMessageTimeoutA(m_hNextViewer, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kForwardTimeoutMs,
                          &dwResult);
}

LRESULT CKeeperDlg::OnDrawClipboardLater(WPARAM, LPARAM)
{
    m_bDrawPending = false;
    HandleOrDeferChange();
    return 0;
}

void CKeeperDlg::HandleOrDeferChange()
{
    if (IsClipboardOpenHere() || m_bInClipboardChange) {
        // Sent from inside one of our own clipboard operations: by a source
        // that renders a format for us, or a viewer ahead of us passing a
        // notice on late. A capture now would open the clipboard again and
        // close it under the operation, so it waits until that is over.
        // The same holds inside the handling of another notice, which asks
        // the owner's title across processes and so lets notices in: the
        // outer one would then capture the same change a second time.
        if (!m_bDrawPending)
            m_bDrawPending = PostMessage(WM_DRAWCLIPBOARDLATER, 0, 0) != FALSE;
    } else {
        OnClipboardChange();
    }
}

void CKeeperDlg::OnClipboardChange()
{
    const DWORD dwSequence = ::GetClipboardSequenceNumber();
    // One change comes both down the chain and from the listener, and a
    // viewer may pass a notice on without a change: what was noticed at
    // this sequence number has been handled. (No number at all, 0, tells
    // nothing.)
    if (dwSequence != 0 && m_bNoticed && dwSequence == m_dwNoticedSequence)
        return;
    m_bNoticed = true;
    m_dwNoticedSequence = dwSequence;

    m_bInClipboardChange = true;
    struct Done {
        bool& b;
        ~Done() { b = false; }
    } done{m_bInClipboardChange};
    // The notice of a restore of ours that comes late, through a viewer ahead
    // of us, once the restore has named its clip in part 0.
    const bool bLateOwnWrite = !m_bRestoring && m_dwOwnWriteSequence != 0 && dwSequence == m_dwOwnWriteSequence &&
                               ::GetClipboardOwner() == m_hWnd;
    if (!bLateOwnWrite) {
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

    if (theKeeperApp.m_bAutoPaste != 0) {
        // A restore of our own is no new content; a skip covers one change.
        if (m_bSkipNextCapture || m_bRestoring || bLateOwnWrite) {
            m_bSkipNextCapture = false;
            m_pLastCapture = nullptr;
        } else if (dwSequence == m_dwSeenSequence) {
            // The clipboard just captured, noticed again: a viewer that joins
            // the chain may pass a notice on without a change.
        } else {
            // A private copy is refused by the capture itself.
            StoreClipboard(true, true);
        }
    }
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
    if (hWndRemove == m_hNextViewer) {
        // We are never our own successor: the chain would loop.
        if (hWndAfter != m_hWnd)
            m_hNextViewer = hWndAfter;
    } else if (!m_bForwardingChainChange) {
        // A departure that comes back to us while we pass it on goes no
        // further.
        m_bForwardingChainChange = true;
        ForwardToNextViewer(WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(hWndRemove),
                            reinterpret_cast<LPARAM>(hWndAfter));
        m_bForwardingChainChange = false;
    }
}

void CKeeperDlg::OnOptionsCollage()
{
    Toggle(theKeeperApp.m_bAutoPaste);
    m_bSkipNextCapture = true;
}

// Always named automatically; the option is left as it is.
void CKeeperDlg::OnPopupColler() { StoreClipboard(false, true); }

bool CKeeperDlg::IsLeftOverOfLastCapture(const CClip& clip, HWND hOwner) const
{
    // When its owner is destroyed the system drops the formats it never
    // rendered and announces the change: the same copy, fewer formats.
    return m_pLastCapture != nullptr && hOwner == nullptr && m_hLastCaptureOwner != nullptr &&
           clip.IsRemainderOf(*m_pLastCapture->pClip);
}

bool CKeeperDlg::IsRepeatOfLastCapture(const CClip& clip, HWND hOwner) const
{
    // Narrow on purpose: the same window, at once, the same bytes. A user
    // who copies the same thing again later gets a clip for it.
    constexpr DWORD kRepeatWindowMs = 250;
    return m_pLastCapture != nullptr && m_bLastCaptureAutomatic && hOwner != nullptr &&
           hOwner == m_hLastCaptureOwner && Sys().GetTickCount() - m_dwLastCaptureTick <= kRepeatWindowMs &&
           clip.HasSameRecords(*m_pLastCapture->pClip);
}
