// The clipboard viewer chain and automatic capture: change notices, the rules
// that tell a new copy from a notice that brings none, and the chain's repair.
#include "mainwnd/keeperdlg.h"

#include <cstring>

#include "app/keeperapp.h"
#include "clips/clip.h"
#include "res/texts.h"

void CKeeperDlg::OnDrawClipboard()
{
    HandleOrDeferChange();
    // Every change notice goes on down the chain, at once.
    if (m_hNextViewer != nullptr)
        ::SendMessageA(m_hNextViewer, WM_DRAWCLIPBOARD, 0, 0);
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
    m_bInClipboardChange = true;
    struct Done {
        bool& b;
        ~Done() { b = false; }
    } done{m_bInClipboardChange};
    const DWORD dwSequence = ::GetClipboardSequenceNumber();
    // The notice of a restore of ours that comes late, through a viewer ahead
    // of us, once the restore has named its clip in part 0.
    const bool bLateOwnWrite = !m_bRestoring && m_dwOwnWriteSequence != 0 && dwSequence == m_dwOwnWriteSequence &&
                               ::GetClipboardOwner() == m_hWnd;
    if (!bLateOwnWrite) {
        CString strText;
        if (const HWND hTop = GetOwnerTitleWindow(); hTop != nullptr) {
            const CString strTitle = GetWindowTextOf(hTop);
            // No prefix without a name.
            if (!strTitle.IsEmpty())
                strText = Texts::kOnClipboard + strTitle;
        }
        SetStatusText(0, strText);
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
        } else if (IsExcludedFromCapture(m_hWnd)) {
            m_pLastCapture = nullptr;
        } else {
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
    if (hWndRemove == m_hNextViewer)
        m_hNextViewer = hWndAfter;
    else if (m_hNextViewer != nullptr)
        ::SendMessageA(m_hNextViewer, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(hWndRemove),
                       reinterpret_cast<LPARAM>(hWndAfter));
}

void CKeeperDlg::OnOptionsCollage()
{
    Toggle(theKeeperApp.m_bAutoPaste);
    m_bSkipNextCapture = true;
}

// Always named automatically; the option is left as it is.
void CKeeperDlg::OnPopupColler() { StoreClipboard(false, true); }

bool CKeeperDlg::IsExcludedFromCapture(HWND hWnd)
{
    static const UINT cfExclude = ::RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing");
    static const UINT cfIgnore = ::RegisterClipboardFormatA("Clipboard Viewer Ignore");
    static const UINT cfHistory = ::RegisterClipboardFormatA("CanIncludeInClipboardHistory");
    // These two mark a clipboard by their presence alone; asking needs no open.
    if (Sys().IsClipboardFormatAvailable(cfExclude) || Sys().IsClipboardFormatAvailable(cfIgnore))
        return true;
    if (!Sys().IsClipboardFormatAvailable(cfHistory))
        return false;
    // Only a DWORD 0 keeps it out of the history. A clipboard that cannot be
    // opened to tell is left alone: the capture would take it unseen.
    if (!Sys().OpenClipboard(hWnd))
        return true;
    bool bExcluded = false;
    if (const HANDLE hData = Sys().GetClipboardData(cfHistory); hData != nullptr) {
        if (Sys().GlobalSize(hData) >= sizeof(DWORD)) {
            if (const void* pData = Sys().GlobalLock(hData); pData != nullptr) {
                DWORD dwValue = 0;
                std::memcpy(&dwValue, pData, sizeof dwValue);
                bExcluded = dwValue == 0;
                Sys().GlobalUnlock(hData);
            }
        }
    }
    Sys().CloseClipboard();
    return bExcluded;
}

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
