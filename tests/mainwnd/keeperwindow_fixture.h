// Base fixture of the tests that run the real main window: every option off,
// no registry key and an empty clipboard at start and end, and the window
// run from inside its own modal loop.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/keeperapp.h"
#include "clips/clip.h"
#include "mainwnd/keeperdlg.h"
#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/modal_driver.h"

// Item i of a list view: its image and its data.
inline LVITEMA ItemOf(HWND hList, int i)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM | LVIF_IMAGE;
    item.iItem = i;
    SendMessageA(hList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item;
}

// The clip that item i of the clip list stands for.
inline CClip* ClipOf(HWND hList, int i)
{
    auto* pNode = reinterpret_cast<CClipList::Node*>(ItemOf(hList, i).lParam);
    return pNode != nullptr ? pNode->pClip : nullptr;
}

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
