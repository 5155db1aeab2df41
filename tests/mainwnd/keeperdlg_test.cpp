// The real main window under Wine, driven from inside its modal loop by the
// messages a user's actions produce; results read from the controls.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/keeperapp.h"
#include "clips/clipkind.h"
#include "mainwnd/keeperdlg.h"
#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/clipboard_viewer.h"
#include "tests/support/controls.h"
#include "tests/support/keeper_window.h"
#include "tests/support/modal_driver.h"

namespace {

std::string ClassOf(HWND h)
{
    char sz[64] = {};
    GetClassNameA(h, sz, sizeof sz);
    return sz;
}

std::vector<int> StatusEdges(HWND hStatus)
{
    int edges[8] = {};
    const int n = static_cast<int>(SendMessageA(hStatus, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)));
    return std::vector<int>(edges, edges + n);
}

RECT ClientRectOf(HWND h)
{
    RECT rc;
    GetClientRect(h, &rc);
    return rc;
}

// The child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND hChild)
{
    RECT rc;
    GetWindowRect(hChild, &rc);
    MapWindowPoints(nullptr, GetParent(hChild), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Gives the window a client area of the given width (and height).
void SetClientSize(HWND h, int cx, int cy)
{
    RECT rcWindow, rcClient;
    GetWindowRect(h, &rcWindow);
    GetClientRect(h, &rcClient);
    const int dx = (rcWindow.right - rcWindow.left) - rcClient.right;
    const int dy = (rcWindow.bottom - rcWindow.top) - rcClient.bottom;
    SetWindowPos(h, nullptr, 0, 0, cx + dx, cy + dy, SWP_NOMOVE | SWP_NOZORDER);
}

int AddItem(HWND hList, const char* pszText, bool bSelect, int nImage = CK_TEXT)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = ListView_GetItemCount(hList);
    item.pszText = const_cast<char*>(pszText);
    item.iImage = nImage;
    const int i = static_cast<int>(SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (bSelect)
        ListView_SetItemState(hList, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return i;
}

UINT MenuState(HWND hWnd, UINT id)
{
    HMENU hMenu = GetMenu(hWnd);
    SendMessageA(hWnd, WM_INITMENU, reinterpret_cast<WPARAM>(hMenu), 0);
    return GetMenuState(hMenu, id, MF_BYCOMMAND);
}

bool Grayed(HWND hWnd, UINT id) { return (MenuState(hWnd, id) & MF_GRAYED) != 0; }
bool Checked(HWND hWnd, UINT id) { return (MenuState(hWnd, id) & MF_CHECKED) != 0; }

// Holds Ctrl down in this thread's keyboard state, as TranslateAccelerator
// reads it.
class CtrlDown {
public:
    CtrlDown()
    {
        GetKeyboardState(m_saved);
        BYTE keys[256];
        std::memcpy(keys, m_saved, sizeof keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
        SetKeyboardState(keys);
    }
    ~CtrlDown() { SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256];
};

class MainWindow : public KeeperWindowTest {};

TEST_F(MainWindow, ShowsTheIconListTheStatusBarAndTheMenu)
{
    ModalScript script;
    script.Then([&] {
              EXPECT_EQ(WindowText(Wnd()), "Trovelle");
              EXPECT_NE(GetWindowLongPtrA(Wnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
              EXPECT_NE(SendMessageA(Wnd(), WM_GETICON, ICON_BIG, 0), 0);
              EXPECT_NE(SendMessageA(Wnd(), WM_GETICON, ICON_SMALL, 0), 0);

              ASSERT_NE(List(), nullptr);
              EXPECT_EQ(ClassOf(List()), "SysListView32");
              const LONG_PTR style = GetWindowLongPtrA(List(), GWL_STYLE);
              EXPECT_EQ(style & LVS_TYPEMASK, LVS_ICON);
              EXPECT_NE(style & LVS_AUTOARRANGE, 0);
              EXPECT_NE(style & LVS_EDITLABELS, 0);
              EXPECT_EQ(style & (LVS_SINGLESEL | LVS_SHAREIMAGELISTS | LVS_SORTASCENDING | LVS_SORTDESCENDING), 0);

              HIMAGELIST hImages = ListView_GetImageList(List(), LVSIL_NORMAL);
              ASSERT_NE(hImages, nullptr);
              EXPECT_EQ(ImageList_GetImageCount(hImages), 14);
              int cx = 0, cy = 0;
              ImageList_GetIconSize(hImages, &cx, &cy);
              EXPECT_EQ(cx, 32);
              EXPECT_EQ(cy, 32);

              ASSERT_NE(Status(), nullptr);
              EXPECT_EQ(ClassOf(Status()), "msctls_statusbar32");
              EXPECT_NE(GetWindowLongPtrA(Status(), GWL_STYLE) & SBARS_SIZEGRIP, 0);
              EXPECT_EQ(StatusEdges(Status()).size(), 3u);
              EXPECT_EQ(StatusText(Status(), 2), "Total : 0.0 Ko");
              EXPECT_EQ(StatusText(Status(), 1), "");

              HMENU hMenu = GetMenu(Wnd());
              ASSERT_NE(hMenu, nullptr);
              EXPECT_EQ(GetMenuItemCount(hMenu), 4);
              EXPECT_EQ(SendMessageA(Wnd(), WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(Icon()));
              EXPECT_EQ(ClipCount(), 0);
              EXPECT_FALSE(EditingLabel());
              EXPECT_NE(Accelerators(), nullptr);
          })
        .Then([&] { SaveWindowPicture(Wnd(), "main_window"); })
        .Then([&] {
            // One icon of each kind, as clips of every kind would show.
            for (int k = 0; k < CK_COUNT; ++k)
                AddItem(List(), ClipKindLabel(k), false, k);
            SetClientSize(Wnd(), 560, 330);
            UpdateWindow(Wnd());
        })
        .Then([&] { SaveWindowPicture(Wnd(), "main_window_kinds"); });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(MainWindow, StatusPartsFollowTheClientWidth)
{
    int edges[3];
    CKeeperDlg::StatusPartEdges(150, edges);
    EXPECT_EQ(std::vector<int>(edges, edges + 3), (std::vector<int>{0, 50, -1}));
    CKeeperDlg::StatusPartEdges(80, edges);
    EXPECT_EQ(std::vector<int>(edges, edges + 3), (std::vector<int>{0, -20, -1}));
    CKeeperDlg::StatusPartEdges(600, edges);
    EXPECT_EQ(std::vector<int>(edges, edges + 3), (std::vector<int>{400, 500, -1}));

    // And the real window, after a repaint at each width.
    std::vector<int> at150, at600;
    int width150 = 0;
    ModalScript script;
    script.Then([&] { SetClientSize(Wnd(), 150, 200); })
        .Then([&] {
            width150 = ClientRectOf(Wnd()).right;
            at150 = StatusEdges(Status());
            SetClientSize(Wnd(), 600, 200);
        })
        .Then([&] { at600 = StatusEdges(Status()); });
    EXPECT_TRUE(RunMainWindow(script));
    ASSERT_EQ(width150, 150);
    EXPECT_EQ(at150, (std::vector<int>{0, 50, -1}));
    EXPECT_EQ(at600, (std::vector<int>{400, 500, -1}));
}

TEST_F(MainWindow, ListFillsTheClientAreaAboveTheStatusBarAfterResize)
{
    ModalScript script;
    for (SIZE size : {SIZE{500, 400}, SIZE{260, 180}, SIZE{700, 520}}) {
        script.Then([&, size] { SetClientSize(Wnd(), size.cx, size.cy); })
            .Then([&, size] {
                const RECT client = ClientRectOf(Wnd());
                ASSERT_EQ(client.right, size.cx);
                const RECT status = ChildRect(Status());
                const RECT list = ChildRect(List());
                EXPECT_EQ(status.bottom, client.bottom);
                EXPECT_EQ(status.right - status.left, client.right);
                EXPECT_EQ(list.left, 0);
                EXPECT_EQ(list.top, 0);
                EXPECT_EQ(list.right, client.right);
                EXPECT_EQ(list.bottom, client.bottom - (status.bottom - status.top));
            });
    }
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(MainWindow, MenuItemsFollowTheSelectionAndTheOptions)
{
    ModalScript script;
    script
        .Then([&] {
            for (UINT id : {ID_EDITION_COPIER, ID_EDITION_COUPER, ID_EDITION_SUPPRIMER, ID_EDITION_RENOMMER})
                EXPECT_TRUE(Grayed(Wnd(), id)) << id;
            EXPECT_FALSE(Grayed(Wnd(), ID_EDITION_COLLER));
            for (UINT id : {ID_OPTIONS_NOMMAGEAUTOMATIQUE, ID_OPTIONS_COLLAGEAUTOMATIQUE, ID_OPTIONS_ICONE,
                            ID_OPTIONS_CACHER})
                EXPECT_FALSE(Checked(Wnd(), id)) << id;
            EXPECT_TRUE(Grayed(Wnd(), ID_OPTIONS_CACHER));
            EXPECT_FALSE(Grayed(Wnd(), ID_AIDE_AIDE));
            EXPECT_FALSE(Grayed(Wnd(), ID_FICHIER_QUITTER));

            AddItem(List(), "Texte 1", false);
            for (UINT id : {ID_EDITION_COPIER, ID_EDITION_COUPER, ID_EDITION_SUPPRIMER, ID_EDITION_RENOMMER})
                EXPECT_TRUE(Grayed(Wnd(), id)) << "an item that is not selected " << id;
            AddItem(List(), "Texte 2", true);
            for (UINT id : {ID_EDITION_COPIER, ID_EDITION_COUPER, ID_EDITION_SUPPRIMER, ID_EDITION_RENOMMER,
                            ID_EDITION_COLLER})
                EXPECT_FALSE(Grayed(Wnd(), id)) << id;

            // Hide stays grayed without the tray icon, but shows its check.
            theKeeperApp.m_bAutoName = 1;
            theKeeperApp.m_bHideWhenMinimized = 1;
            theKeeperApp.m_bAutoPaste = 1;
            EXPECT_TRUE(Checked(Wnd(), ID_OPTIONS_NOMMAGEAUTOMATIQUE));
            EXPECT_TRUE(Checked(Wnd(), ID_OPTIONS_COLLAGEAUTOMATIQUE));
            EXPECT_FALSE(Checked(Wnd(), ID_OPTIONS_ICONE));
            EXPECT_TRUE(Grayed(Wnd(), ID_OPTIONS_CACHER));
            EXPECT_TRUE(Checked(Wnd(), ID_OPTIONS_CACHER));

            theKeeperApp.m_bTaskIcon = 1;
            EXPECT_TRUE(Checked(Wnd(), ID_OPTIONS_ICONE));
            EXPECT_FALSE(Grayed(Wnd(), ID_OPTIONS_CACHER));
            theKeeperApp.m_bTaskIcon = 0;
        })
        .Then([&] {
            // The option commands flip the options; Auto Paste also skips
            // the next change.
            EXPECT_FALSE(SkipNextCapture());
            SendMessageA(Wnd(), WM_COMMAND, ID_OPTIONS_NOMMAGEAUTOMATIQUE, 0);
            EXPECT_EQ(theKeeperApp.m_bAutoName, 0);
            SendMessageA(Wnd(), WM_COMMAND, ID_OPTIONS_COLLAGEAUTOMATIQUE, 0);
            EXPECT_EQ(theKeeperApp.m_bAutoPaste, 0);
            EXPECT_TRUE(SkipNextCapture());
            SendMessageA(Wnd(), WM_COMMAND, ID_OPTIONS_CACHER, 0);
            EXPECT_EQ(theKeeperApp.m_bHideWhenMinimized, 0);
            EXPECT_FALSE(Checked(Wnd(), ID_OPTIONS_NOMMAGEAUTOMATIQUE));
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(MainWindow, AcceleratorsAreOffWhileALabelIsEdited)
{
    theKeeperApp.m_bAutoName = 1;  // Ctrl+V outside editing captures without asking a name
    ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("coll\xe9")}}));
    HWND hEdit = nullptr;
    std::string whileEditing, outsideEditing;
    int nClipsWhileEditing = -1, nClipsOutsideEditing = -1;
    std::optional<CtrlDown> ctrl;  // held until the posted keys have gone through
    ModalScript script;
    script
        .Then([&] {
            AddItem(List(), "Texte 1", true);
            SetFocus(List());
            hEdit = ListView_EditLabel(List(), 0);
            ASSERT_NE(hEdit, nullptr);
            EditingLabel() = true;
        })
        .Then([&] {
            ctrl.emplace();
            PostKey(hEdit, 'V');
        })
        .Then([&] {
            ctrl.reset();
            whileEditing = WindowText(hEdit);
            nClipsWhileEditing = theKeeperApp.m_listClips.GetCount();
            // Now as if editing had ended: Ctrl+V is the capture accelerator.
            EditingLabel() = false;
            SetWindowTextA(hEdit, "abc");
            SendMessageA(hEdit, EM_SETSEL, 0, -1);
            ctrl.emplace();
            PostKey(hEdit, 'V');
        })
        .Then([&] {
            ctrl.reset();
            outsideEditing = WindowText(hEdit);
            nClipsOutsideEditing = theKeeperApp.m_listClips.GetCount();
            SendMessageA(hEdit, WM_KEYDOWN, VK_ESCAPE, 0);  // cancel the edit
        });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_EQ(whileEditing, "coll\xe9");
    EXPECT_EQ(nClipsWhileEditing, 0);
    // Outside editing the accelerator takes Ctrl+V: a capture, not a paste.
    EXPECT_EQ(outsideEditing, "abc");
    EXPECT_EQ(nClipsOutsideEditing, 1);
}

TEST_F(MainWindow, EnterAndEscapeInTheListDoNotCloseTheWindow)
{
    bool bStillOpen = false;
    ModalScript script;
    script.Then([&] {
              AddItem(List(), "Texte 1", true);
              SetFocus(List());
              PostKey(List(), VK_RETURN);
              PostKey(List(), VK_ESCAPE);
          })
        .Then([] {})
        .Then([&] {
            bStillOpen = IsWindow(Wnd()) && IsWindowVisible(Wnd());
            PostMessageA(Wnd(), WM_COMMAND, ID_FICHIER_QUITTER, 0);
        });
    EXPECT_TRUE(RunMainWindow(script, Closing::ByTheScript));
    EXPECT_TRUE(bStillOpen);
    EXPECT_EQ(result, IDCANCEL);
}

struct QuitWay {
    const char* name;
    UINT msg;
    WPARAM wParam;
};

TEST_F(MainWindow, EveryWayOfQuittingEndsTheModalLoop)
{
    const QuitWay ways[] = {
        {"Fichier > Quitter", WM_COMMAND, ID_FICHIER_QUITTER},
        {"close box", WM_SYSCOMMAND, SC_CLOSE},
        {"WM_CLOSE", WM_CLOSE, 0},
    };
    for (const QuitWay& way : ways) {
        CKeeperDlg window;
        INT_PTR r = 0;
        ModalScript script;
        script.Then([&] { PostMessageA(window.m_hWnd, way.msg, way.wParam, 0); });
        EXPECT_TRUE(script.RunModal(window, &r)) << way.name;
        EXPECT_EQ(r, IDCANCEL) << way.name;
        EXPECT_EQ(window.m_hWnd, nullptr) << way.name;
    }
}

TEST_F(MainWindow, AboutBoxRunsOverTheMainWindow)
{
    HWND hAbout = nullptr;
    ModalScript script;
    script.Then([&] { PostMessageA(Wnd(), WM_COMMAND, IDM_ABOUTBOX, 0); })
        .Then([&] {
            hAbout = FindWindowA("#32770", "A propos de Trovelle");
            ASSERT_NE(hAbout, nullptr);
            EXPECT_FALSE(IsWindowEnabled(Wnd()));
        })
        // A template without WS_VISIBLE shows once its loop first goes idle,
        // which timer ticks may come before.
        .Await([&] { return IsWindowVisible(hAbout) != FALSE; })
        .Then([&] { SaveWindowPicture(hAbout, "about_box"); })
        .Then([&] { PostMessageA(hAbout, WM_COMMAND, IDOK, 0); })
        .Then([&] {
            EXPECT_FALSE(IsWindow(hAbout));
            EXPECT_TRUE(IsWindowEnabled(Wnd()));
        });
    EXPECT_TRUE(RunMainWindow(script));
}

struct ShellCall {
    HWND hWnd;
    std::wstring op, file, params, directory;
    INT nShow;
    int nCalls = 0;
};
ShellCall g_shell;

HINSTANCE WINAPI RecordShellExecute(HWND h, LPCWSTR op, LPCWSTR file, LPCWSTR params, LPCWSTR dir, INT show)
{
    g_shell = {h, op ? op : L"", file ? file : L"", params ? params : L"", dir ? dir : L"", show, g_shell.nCalls + 1};
    return reinterpret_cast<HINSTANCE>(42);
}

TEST_F(MainWindow, HelpOpensReadmeBesideTheProgramInTheTextEditor)
{
    g_shell = {};
    SysOverride<decltype(SysApi::ShellExecuteW)> shell(&SysApi::ShellExecuteW, RecordShellExecute);
    HWND hMain = nullptr;
    ModalScript script;
    script.Then([&] {
        hMain = Wnd();
        SendMessageA(Wnd(), WM_COMMAND, ID_AIDE_AIDE, 0);
    });
    EXPECT_TRUE(RunMainWindow(script));

    wchar_t szExe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    std::wstring folder(szExe);
    folder = folder.substr(0, folder.rfind(L'\\'));
    wchar_t szWindows[MAX_PATH] = {};
    GetWindowsDirectoryW(szWindows, MAX_PATH);
    EXPECT_EQ(g_shell.nCalls, 1);
    EXPECT_EQ(g_shell.hWnd, hMain);
    EXPECT_EQ(g_shell.op, L"open");
    // The system's editor by its full path, never a "notepad.exe" found first
    // in the program's folder or the current one.
    EXPECT_EQ(g_shell.file, std::wstring(szWindows) + L"\\notepad.exe");
    EXPECT_EQ(g_shell.params, L"\"" + folder + L"\\readme.txt\"");
    EXPECT_EQ(g_shell.directory, folder);
    EXPECT_EQ(g_shell.nShow, SW_SHOWNORMAL);
}

TEST_F(MainWindow, JoinsTheViewerChainPassesNoticesOnAndLeavesIt)
{
    ClipboardViewer viewer;  // joined before the main window
    int drawsBefore = 0, drawsWhileOpen = 0;
    ModalScript script;
    script.Then([&] {
              EXPECT_EQ(NextViewer(), viewer.hwnd());
              drawsBefore = viewer.Draws();
              source.Offer({{CF_TEXT, TextBytes("un")}});
          })
        .Then([&] { drawsWhileOpen = viewer.Draws() - drawsBefore; });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_GE(drawsWhileOpen, 1);  // forwarded by the main window

    // Gone from the chain: the viewer is first again and still hears changes.
    drawsBefore = viewer.Draws();
    source.Offer({{CF_TEXT, TextBytes("deux")}});
    PumpMessages();
    EXPECT_GE(viewer.Draws() - drawsBefore, 1);
}

}  // namespace
