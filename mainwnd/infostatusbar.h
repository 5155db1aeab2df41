// The main window's status bar: part 0 what is on the clipboard, part 1 the
// size of the selection, part 2 the total held. A right double click on it
// lists the formats now on the clipboard.
#pragma once

#include "fw/afxwin.h"

class CInfoStatusBar : public CStatusBarCtrl {
public:
    CInfoStatusBar() = default;
    ~CInfoStatusBar() override;

protected:
    void OnRButtonDblClk(UINT nFlags, CPoint point);

    DECLARE_MESSAGE_MAP()
};
