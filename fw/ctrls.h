// Wrappers of the edit, list view and status bar controls: each call is the
// control's message. A wrapper is bound to its control by DDX_Control,
// SubclassDlgItem or Create, or views a control that is not ours (CWndView).
// Every text goes in and comes out as UTF-8, and reaches the control as
// UTF-16, so that labels, headings and parts show any script.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "base/cstring.h"
#include "fw/imagelist.h"
#include "fw/wnd.h"

class CEdit : public CWnd {
public:
    void LimitText(int nChars = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars)); }
    // Selects, and scrolls the caret into view unless told not to.
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
};

class CListCtrl : public CWnd {
public:
    // Returns a view of the list that the control held before.
    CImageListHandle SetImageList(HIMAGELIST hImageList, int nImageList)
    {
        return CImageListHandle(reinterpret_cast<HIMAGELIST>(
            SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(nImageList), reinterpret_cast<LPARAM>(hImageList))));
    }
    int InsertColumn(int nCol, LPCSTR lpszHeading, int nFormat, int nWidth, int nSubItem);

    // An item with the fields nMask names (LVIF_TEXT, LVIF_IMAGE, LVIF_PARAM,
    // LVIF_STATE); its index, or -1.
    int InsertItem(UINT nMask, int nItem, LPCSTR lpszItem, UINT nState, UINT nStateMask, int nImage, LPARAM lParam);
    BOOL DeleteItem(int nItem) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nItem))); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int GetNextItem(int nItem, int nFlags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), MAKELPARAM(nFlags, 0)));
    }
    UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), static_cast<LPARAM>(nMask)));
    }
    // nItem -1: every item.
    BOOL SetItemState(int nItem, UINT nState, UINT nMask)
    {
        LVITEMW item{};
        item.state = nState;
        item.stateMask = nMask;
        return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
    }
    DWORD_PTR GetItemData(int nItem) const;
    // The whole text, however long.
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL SetItemText(int nItem, int nSubItem, LPCSTR lpszText);

    // The label editor, not ours: null when editing did not start.
    HWND EditLabel(int nItem) { return reinterpret_cast<HWND>(SendMessage(LVM_EDITLABELW, static_cast<WPARAM>(nItem))); }
    HWND GetEditControl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETEDITCONTROL)); }
};

class CStatusBarCtrl : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    BOOL SetParts(int nParts, int* pWidths)
    {
        return static_cast<BOOL>(SendMessage(SB_SETPARTS, static_cast<WPARAM>(nParts), reinterpret_cast<LPARAM>(pWidths)));
    }
    // nType: 0 or drawing flags such as SBT_NOBORDERS.
    BOOL SetText(LPCSTR lpszText, int nPane, int nType);
};
