// Base fixture of the tests that run the real main window: every option off,
// no registry key and an empty clipboard at start and end, and the window
// run from inside its own modal loop.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "app/keeperapp.h"
#include "mainwnd/keeperdlg.h"
#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/modal_driver.h"

class KeeperWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Bramwick Software");
        theKeeperApp.m_bAutoName = theKeeperApp.m_bAutoPaste = 0;
        theKeeperApp.m_bTaskIcon = theKeeperApp.m_bHideWhenMinimized = 0;
        theKeeperApp.m_dwTotalBytes = 0;
        ASSERT_TRUE(EmptyTheClipboard(reader.hwnd()));
    }
    void TearDown() override
    {
        theKeeperApp.DeleteAllClips();
        theKeeperApp.m_listClips.RemoveAll();
        theKeeperApp.m_dwTotalBytes = 0;
        theKeeperApp.m_bAutoName = theKeeperApp.m_bAutoPaste = 0;
        EmptyTheClipboard(reader.hwnd());
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Bramwick Software");
    }

    // Runs the window with the script, closed at the end as a user would.
    bool RunMainWindow(ModalScript& script)
    {
        script.Then([&] { PostMessageA(Wnd(), WM_CLOSE, 0, 0); });
        return script.Run([&] { dlg.DoModal(); }, [&] { dlg.EndDialog(IDABORT); });
    }

    void Command(UINT id) { SendMessageA(Wnd(), WM_COMMAND, id, 0); }
    HWND Wnd() const { return dlg.m_hWnd; }
    HWND List() const { return GetDlgItem(dlg.m_hWnd, IDC_CLIPLIST); }
    HWND Status() const { return GetDlgItem(dlg.m_hWnd, IDC_STATUSBAR); }

    TestWindow reader{"Lecteur"};
    CKeeperDlg dlg;
};
