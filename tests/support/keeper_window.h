// The real main window for the window tests: every option off, no settings
// key, no clip and an empty clipboard at start and end; the window run from
// inside its own modal loop; and the helpers that read its clip list and put
// clips in it.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "clips/clip.h"
#include "mainwnd/keeperdlg.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/modal_driver.h"

// Item i of a list view: its image and its data.
LVITEMA ItemOf(HWND hList, int i);
// The clip that item i of the clip list stands for.
CClip* ClipOf(HWND hList, int i);

// One format record of a clip a test makes itself.
struct Record {
    UINT id;
    Bytes bytes;
};
// Stores a clip with these records and shows it as the clip list's last item.
int InsertClip(HWND hList, const std::vector<Record>& records, bool bSelect);
// The notice a right click on the clip list sends the main window.
void PostRightClick(HWND hMain);

class KeeperWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    enum class Closing {
        AtTheEnd,     // a last step closes the window as a user would
        ByTheScript,  // the script's own steps end the loop
    };
    // Runs the window with the script, its result in `result`; true when
    // every step ran and the watchdog did not have to end the loop.
    bool RunMainWindow(ModalScript& script, Closing closing = Closing::AtTheEnd);

    void Command(UINT id) { SendMessageA(Wnd(), WM_COMMAND, id, 0); }
    // The window's state as the tests read it (two flags some tests set).
    int ClipCount() const { return dlg.m_nClipCount; }
    bool Restoring() const { return dlg.m_bRestoring; }
    bool& EditingLabel() { return dlg.m_bEditingLabel; }
    bool SkipNextCapture() const { return dlg.m_watch.SkipsNextChange(); }
    HWND NextViewer() const { return dlg.m_hNextViewer; }
    // What the window does once the chain has stayed silent past its grace time.
    void RejoinChain() { dlg.RejoinViewerChain(); }
    HICON Icon() const { return dlg.m_hIcon; }
    HACCEL Accelerators() const { return dlg.m_hAccel; }
    UINT Dpi() const { return dlg.m_nDpi; }
    bool NoticeWaiting() const { return dlg.m_watch.IsWaiting(); }
    HWND Wnd() const { return dlg.m_hWnd; }
    HWND List() const;
    HWND Status() const;

    TestWindow source{"Bloc-notes de test"};
    TestWindow reader{"Lecteur"};
    CKeeperDlg dlg;
    INT_PTR result = 0;
};
