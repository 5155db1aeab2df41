#include "fw/ctrls.h"

#include <string>

#include "fw/conv.h"

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    SendMessage(EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
    if (!bNoScroll)
        SendMessage(EM_SCROLLCARET);
}

int CListCtrl::InsertColumn(int nCol, LPCSTR lpszHeading, int nFormat, int nWidth, int nSubItem)
{
    const CA2W heading(lpszHeading);
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = nFormat;
    col.cx = nWidth;
    col.pszText = const_cast<LPWSTR>(static_cast<LPCWSTR>(heading));
    col.iSubItem = nSubItem;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::InsertItem(UINT nMask, int nItem, LPCSTR lpszItem, UINT nState, UINT nStateMask, int nImage,
                          LPARAM lParam)
{
    const CA2W text(lpszItem);
    LVITEMW item{};
    item.mask = nMask;
    item.iItem = nItem;
    item.state = nState;
    item.stateMask = nStateMask;
    item.pszText = const_cast<LPWSTR>(static_cast<LPCWSTR>(text));
    item.iImage = nImage;
    item.lParam = lParam;
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<DWORD_PTR>(item.lParam);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    // The control copies what fits and does not tell the full length: grow
    // the buffer until the text leaves room to spare.
    for (int nLen = 256;; nLen *= 2) {
        std::wstring text(static_cast<std::size_t>(nLen), L'\0');
        LVITEMW item{};
        item.iSubItem = nSubItem;
        item.cchTextMax = nLen;
        item.pszText = text.data();
        const int nCopied =
            static_cast<int>(SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
        if (nCopied < nLen - 1)
            return CW2A(text.c_str(), nCopied > 0 ? nCopied : 0);
    }
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCSTR lpszText)
{
    const CA2W text(lpszText);
    LVITEMW item{};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<LPWSTR>(static_cast<LPCWSTR>(text));
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

BOOL CStatusBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::Create(STATUSCLASSNAMEA, nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CStatusBarCtrl::SetText(LPCSTR lpszText, int nPane, int nType)
{
    return static_cast<BOOL>(SendMessage(SB_SETTEXTW, static_cast<WPARAM>(nPane | nType),
                                         reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(CA2W(lpszText)))));
}
