#include "mainwnd/infostatusbar.h"

#include "res/resource.h"

CInfoStatusBar::~CInfoStatusBar() = default;

BEGIN_MESSAGE_MAP(CInfoStatusBar, CStatusBarCtrl)
    ON_WM_RBUTTONDBLCLK()
END_MESSAGE_MAP()

void CInfoStatusBar::OnRButtonDblClk(UINT nFlags, CPoint point)
{
    // The window's own command opens the format list, as its menu does.
    ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(ID_EDITION_FORMATS, 0), 0);
    // The control's own handling (its notice to the parent) comes after.
    CStatusBarCtrl::OnRButtonDblClk(nFlags, point);
}
