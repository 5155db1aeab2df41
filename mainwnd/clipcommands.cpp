// The clip commands: Coller (the one road into the store), Copier, Couper,
// Supprimer and Renommer, the list's clicks and label editing, and the
// preview of a clip.
#include "mainwnd/keeperdlg.h"

#include "app/keeperapp.h"
#include "clips/clip.h"
#include "clips/clipkind.h"
#include "dialogs/namedlg.h"
#include "dialogs/previewdlg.h"
#include "mainwnd/sizetext.h"
#include "res/texts.h"

void CKeeperDlg::OnEditionColler() { StoreClipboard(false, theKeeperApp.m_bAutoName != 0); }

HWND CKeeperDlg::GetOwnerTitleWindow(HWND hOwner)
{
    HWND hWnd = hOwner;
    if (hWnd == nullptr)
        return nullptr;
    // GetParent gives the parent of a child window and the owner of a pop-up.
    while (const HWND hParent = ::GetParent(hWnd))
        hWnd = hParent;
    return hWnd;
}

void CKeeperDlg::StoreClipboard(bool bAutomatic, bool bAutoName)
{
    if (!bAutoName && !ReadyForDialog())
        return;
    CClip* pClip = new CClip;
    CClip::CaptureInfo info;
    // An automatic capture leaves a private copy alone; the user's own
    // Coller takes what the user asks for.
    if (!pClip->CaptureFromClipboard(m_hWnd, &info, bAutomatic)) {
        delete pClip;
        if (bAutomatic)
            RetryCapture(info.outcome == CClip::Outcome::Held);
        return;
    }
    const DWORD dwSequence = info.dwSequence;
    const CClipboardWatch::Window hOwner = WatchId(info.hOwner);
    if (bAutomatic &&
        m_watch.JudgeAutomaticCapture(
            dwSequence, hOwner, Sys().GetTickCount(),
            [&](const CClipList::Node& last) { return pClip->HasSameRecords(*last.pClip); },
            [&](const CClipList::Node& last) { return pClip->IsRemainderOf(*last.pClip); }) !=
            CClipboardWatch::Verdict::Keep) {
        delete pClip;
        return;
    }
    if (pClip->m_strName.IsEmpty())
        pClip->m_strName = ClipKindLabel(CK_OTHER);
    m_watch.CaptureRead(dwSequence);

    CNameDlg dlgName;
    CString strName;
    if (bAutoName) {
        // The window that owned these very bytes, read at once.
        if (const HWND hTop = GetOwnerTitleWindow(info.hOwner); hTop != nullptr)
            strName = GetWindowTextOf(hTop);
    } else {
        dlgName.m_strName = "";
        // A dialog that could not be shown counts as OK with an empty field.
        if (dlgName.DoModal() == IDCANCEL) {
            delete pClip;
            return;
        }
        strName = dlgName.m_strName;
    }

    // Read only now: an automatic capture may have run inside the dialog.
    // An empty name from the dialog gets the same name as automatic naming,
    // so that no item is left without a label.
    if (strName.IsEmpty())
        strName.Format(Texts::kNumberedName, pClip->m_strName.GetString(), m_nClipCount + 1);
    pClip->m_strName = strName;

    CClipList::Node* pNode = theKeeperApp.m_listClips.AddTail(pClip);
    if (pNode == nullptr) {
        delete pClip;
        return;
    }
    // Never below the item count: the new item goes last.
    if (m_wndClipList.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, m_nClipCount, pClip->m_strName, 0, 0,
                                 pClip->m_nKind, reinterpret_cast<LPARAM>(pNode)) == -1) {
        // A clip that cannot be shown could never be reached again.
        theKeeperApp.m_listClips.RemoveAt(pNode);
        delete pClip;
        return;
    }
    ++m_nClipCount;
    theKeeperApp.m_dwTotalBytes += pClip->m_dwTotalSize;
    m_watch.CaptureStored(dwSequence, pNode, hOwner, Sys().GetTickCount(), bAutomatic);

    SetStatusText(2, FormatTotalText(theKeeperApp.m_dwTotalBytes));
    RedrawStatusBar();
}

int CKeeperDlg::FirstSelectedItem() const
{
    // Asking the list from the start walks every item before the selected
    // one; the hint is checked instead, and the walk is left for the rare
    // selections it does not answer.
    if (m_nSelectedHint >= 0 && m_wndClipList.GetSelectedCount() == 1 &&
        (m_wndClipList.GetItemState(m_nSelectedHint, LVIS_SELECTED) & LVIS_SELECTED) != 0)
        return m_nSelectedHint;
    return m_wndClipList.GetNextItem(-1, LVNI_SELECTED);
}

void CKeeperDlg::OnItemChangedClipList(NMLISTVIEW* pInfo, LRESULT* pResult)
{
    if ((pInfo->uChanged & LVIF_STATE) != 0 && (pInfo->uNewState & LVIS_SELECTED) != 0 &&
        (pInfo->uOldState & LVIS_SELECTED) == 0)
        m_nSelectedHint = pInfo->iItem;  // -1 when every item changed: no hint
    *pResult = 0;
}

CClipList::Node* CKeeperDlg::NodeOfItem(int nItem) const
{
    auto* pNode = reinterpret_cast<CClipList::Node*>(m_wndClipList.GetItemData(nItem));
    return pNode != nullptr && pNode->pClip != nullptr ? pNode : nullptr;
}

bool CKeeperDlg::RestoreItem(int nItem, CClipList::Node* pNode)
{
    // Set before the restore: the change notices it causes arrive inside it.
    m_bRestoring = true;
    const bool bRestored = pNode->pClip->RestoreToClipboard(m_hWnd);
    // Whatever we wrote, also in part, is ours and no change to capture.
    if (::GetClipboardOwner() == m_hWnd)
        m_watch.Restored(::GetClipboardSequenceNumber());
    if (!bRestored) {
        m_bRestoring = false;
        return false;
    }
    // Written after the restore, so it replaces what the notice wrote.
    SetOnClipboardText(m_wndClipList.GetItemText(nItem, 0));
    RedrawStatusBar();
    return true;
}

void CKeeperDlg::RemoveItem(int nItem, CClipList::Node* pNode)
{
    m_watch.ClipRemoved(pNode);
    theKeeperApp.m_dwTotalBytes -= pNode->pClip->m_dwTotalSize;
    delete pNode->pClip;
    pNode->pClip = nullptr;
    theKeeperApp.m_listClips.RemoveAt(pNode);
    m_wndClipList.DeleteItem(nItem);
}

void CKeeperDlg::OnEditionCopier()
{
    const int nItem = FirstSelectedItem();
    CClipList::Node* pNode = nItem != -1 ? NodeOfItem(nItem) : nullptr;
    if (pNode == nullptr)
        return;
    RestoreItem(nItem, pNode);
    m_bRestoring = false;
}

void CKeeperDlg::OnEditionCouper()
{
    // The first selected clip only, also when several are selected.
    const int nItem = FirstSelectedItem();
    CClipList::Node* pNode = nItem != -1 ? NodeOfItem(nItem) : nullptr;
    if (pNode == nullptr || !RestoreItem(nItem, pNode))
        return;  // a failed restore keeps the clip
    RemoveItem(nItem, pNode);
    SetStatusText(2, FormatTotalText(theKeeperApp.m_dwTotalBytes));
    SetStatusText(1, "");
    RedrawStatusBar();
    m_bRestoring = false;
}

void CKeeperDlg::OnEditionSupprimer()
{
    int nItem = FirstSelectedItem();
    if (nItem == -1)
        return;
    // Counted, so that no search runs past the last selected item.
    for (UINT nLeft = m_wndClipList.GetSelectedCount(); nItem != -1 && nLeft > 0; --nLeft) {
        if (CClipList::Node* pNode = NodeOfItem(nItem))
            RemoveItem(nItem, pNode);
        else
            m_wndClipList.DeleteItem(nItem);
        // Lowest index first, as asking from the start would give: the next
        // selected item now sits at nItem or later, so the search goes on
        // from there and the whole deletion stays linear.
        if (nLeft > 1)
            nItem = m_wndClipList.GetNextItem(nItem - 1, LVNI_SELECTED);
    }
    SetStatusText(1, "");
    SetStatusText(2, FormatTotalText(theKeeperApp.m_dwTotalBytes));
    RedrawStatusBar();
}

void CKeeperDlg::OnEditionRenommer()
{
    const int nItem = FirstSelectedItem();
    if (nItem != -1)
        m_wndClipList.EditLabel(nItem);
}

void CKeeperDlg::OnEditionToutSelectionner()
{
    m_wndClipList.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    // As a click after a selection: Suppr then deletes what the size counts.
    ShowSelectionSize();
}

void CKeeperDlg::OnClickClipList(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    ShowSelectionSize();
}

void CKeeperDlg::ShowSelectionSize()
{
    int nItem = FirstSelectedItem();
    if (nItem == -1) {
        SetStatusText(1, "");
        RedrawStatusBar();
        return;
    }
    // 64-bit: a selection above 2 GiB must not turn negative.
    unsigned long long nBytes = 0;
    for (UINT nLeft = m_wndClipList.GetSelectedCount(); nItem != -1 && nLeft > 0; --nLeft) {
        if (const CClipList::Node* pNode = NodeOfItem(nItem))
            nBytes += pNode->pClip->m_dwTotalSize;
        nItem = nLeft > 1 ? m_wndClipList.GetNextItem(nItem, LVNI_SELECTED) : -1;
    }
    SetStatusText(1, FormatSelectionText(nBytes));
    RedrawStatusBar();
}

void CKeeperDlg::OnDblClkClipList(NMHDR*, LRESULT* pResult)
{
    // A double click on the background has cleared the selection.
    if (!HasSelection())
        OnEditionColler();
    else
        OnEditionCopier();
    *pResult = 0;
}

// Enter in the list: the keyboard's double click on the selected clip.
void CKeeperDlg::OnReturnClipList(NMHDR*, LRESULT* pResult)
{
    if (HasSelection())
        OnEditionCopier();
    *pResult = 0;
}

void CKeeperDlg::OnBeginLabelEditClipList(NMHDR*, LRESULT* pResult)
{
    // The same limit as the naming dialog's field.
    CWndView<CEdit> edit(m_wndClipList.GetEditControl());
    edit.LimitText(CNameDlg::kMaxChars);
    m_bEditingLabel = true;
    *pResult = 0;
}

void CKeeperDlg::OnEndLabelEditClipList(NMLVDISPINFOW* pInfo, LRESULT* pResult)
{
    *pResult = FALSE;
    // Cancelled (no item or no text) or emptied: the label stays.
    if (pInfo->item.iItem != -1 && pInfo->item.pszText != nullptr && pInfo->item.pszText[0] != L'\0') {
        if (CClipList::Node* pNode = NodeOfItem(pInfo->item.iItem)) {
            pNode->pClip->m_strName = CW2A(pInfo->item.pszText);
            *pResult = TRUE;
        }
    }
    m_bEditingLabel = false;
}

void CKeeperDlg::OnRClickClipList(NMHDR*, LRESULT* pResult)
{
    // Nonzero: the list sends no WM_CONTEXTMENU of its own after the click,
    // so that one preview opens, wherever the mouse stands.
    *pResult = TRUE;
    PreviewFirstSelectedClip();
}

void CKeeperDlg::OnContextMenu(HWND hWnd, CPoint point)
{
    // From the list, after a mouse's right click has been answered, only the
    // keyboard (the context-menu key, Shift+F10) or a program acting for a
    // person asks for the list's menu: the preview is what it offers. Any
    // other (the caption, the window's icon) gets the window menu.
    if (hWnd != nullptr && hWnd == m_wndClipList.m_hWnd)
        PreviewFirstSelectedClip();
    else
        CDialog::OnContextMenu(hWnd, point);
}

void CKeeperDlg::PreviewFirstSelectedClip()
{
    const int nItem = FirstSelectedItem();
    const CClipList::Node* pNode = nItem != -1 ? NodeOfItem(nItem) : nullptr;
    if (pNode == nullptr)
        return;

    const CClipFormat* pFormat = CPreviewDlg::RecordToShow(pNode->pClip->m_pFirstFormat);
    if (pFormat == nullptr || !ReadyForDialog())
        return;

    CPreviewDlg dlg;
    dlg.SetRecord(*pFormat);
    dlg.DoModal();
}
