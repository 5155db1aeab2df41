// The main window's status bar: part 0 what is on the clipboard, part 1 the
// size of the selection, part 2 the total held.
#pragma once

#include "fw/afxwin.h"

class CInfoStatusBar : public CStatusBarCtrl {
public:
    CInfoStatusBar() = default;
};
