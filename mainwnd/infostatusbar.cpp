#include "mainwnd/infostatusbar.h"

#include "dialogs/formatlistdlg.h"

CInfoStatusBar::~CInfoStatusBar() = default;

BEGIN_MESSAGE_MAP(CInfoStatusBar, CStatusBarCtrl)
    ON_WM_RBUTTONDBLCLK()
END_MESSAGE_MAP()

void CInfoStatusBar::OnRButtonDblClk(UINT nFlags, CPoint point)
{
    {
        // No parent: the dialog is owned by the main window.
        CFormatListDlg dlg;
        dlg.DoModal();
    }
    // The control's own handling (its notice to the parent) comes after.
    CStatusBarCtrl::OnRButtonDblClk(nFlags, point);
}
