// The notification-area icon of the real main window under Wine: the icon's
// record as the shell receives it, the button presses on it in every state of
// the window, its menu, hiding on minimise, and the marks by which a source
// keeps its clipboard out of automatic capture.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/keeperapp.h"
#include "mainwnd/keeperdlg.h"
#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/controls.h"
#include "tests/support/keeper_window.h"
#include "tests/support/modal_driver.h"

namespace {

// What the shell was asked, as it would read it: cbSize bytes of the record.
struct NotifyCall {
    DWORD dwMessage;
    NOTIFYICONDATAW nid;
    BOOL bShellResult;  // the real call's result under Wine
};
std::vector<NotifyCall> g_notifyCalls;

BOOL WINAPI RecordNotify(DWORD dwMessage, PNOTIFYICONDATAW pnid)
{
    NotifyCall call{dwMessage, {}, FALSE};
    std::memcpy(&call.nid, pnid, std::min<std::size_t>(pnid->cbSize, sizeof call.nid));
    call.bShellResult = ::Shell_NotifyIconW(dwMessage, pnid);
    g_notifyCalls.push_back(call);
    return call.bShellResult;
}

// A menu as the user would see it, and the item the test's "user" picks.
struct MenuItem {
    UINT id;  // 0 for the separator
    bool bSeparator;
    std::string text;
    bool operator==(const MenuItem&) const = default;
};
void PrintTo(const MenuItem& m, std::ostream* os) { *os << m.id << (m.bSeparator ? " ---" : " ") << m.text; }

struct MenuCall {
    std::vector<MenuItem> items;
    UINT nFlags;
    HWND hOwner;
    bool bHasExclusion;
};
std::vector<MenuCall> g_menuCalls;
UINT g_nMenuChoice = 0;  // 0: the menu is dismissed

BOOL WINAPI FakeTrackPopupMenuEx(HMENU hMenu, UINT nFlags, int, int, HWND hOwner, LPTPMPARAMS pParams)
{
    MenuCall call{{}, nFlags, hOwner, pParams != nullptr};
    for (int i = 0; i < GetMenuItemCount(hMenu); ++i) {
        char sz[128] = {};
        GetMenuStringA(hMenu, i, sz, sizeof sz, MF_BYPOSITION);
        const bool bSeparator = (GetMenuState(hMenu, i, MF_BYPOSITION) & MF_SEPARATOR) != 0;
        call.items.push_back({bSeparator ? 0u : GetMenuItemID(hMenu, i), bSeparator, sz});
    }
    g_menuCalls.push_back(call);
    // The real menu posts the chosen command to its owner once it closes.
    if (g_nMenuChoice != 0)
        PostMessageA(hOwner, WM_COMMAND, g_nMenuChoice, 0);
    return g_nMenuChoice != 0;
}

enum class Shown { Normal, Minimised, MinimisedHidden, Hidden };

const char* ToText(Shown s)
{
    switch (s) {
    case Shown::Normal: return "shown";
    case Shown::Minimised: return "minimised";
    case Shown::MinimisedHidden: return "minimised and hidden";
    case Shown::Hidden: return "hidden";
    }
    return "?";
}
void PrintTo(Shown s, std::ostream* os) { *os << ToText(s); }

Shown StateOf(HWND h)
{
    const bool bIconic = IsIconic(h) != FALSE, bVisible = IsWindowVisible(h) != FALSE;
    if (bIconic)
        return bVisible ? Shown::Minimised : Shown::MinimisedHidden;
    return bVisible ? Shown::Normal : Shown::Hidden;
}

class Tray : public KeeperWindowTest {
protected:
    void SetUp() override
    {
        KeeperWindowTest::SetUp();
        g_notifyCalls.clear();
        g_menuCalls.clear();
        g_nMenuChoice = 0;
    }

    LRESULT Press(UINT nMouseMessage, WPARAM wParam = 1)
    {
        return SendMessageA(Wnd(), WM_TRAYNOTIFY, wParam, nMouseMessage);
    }
    // A right press whose menu the "user" answers with nChoice (0: dismissed).
    void RightPressChoosing(UINT nChoice)
    {
        g_nMenuChoice = nChoice;
        Press(WM_RBUTTONDOWN);
    }
    std::string LastMenuFirstItem() const
    {
        return g_menuCalls.empty() || g_menuCalls.back().items.empty() ? "" : g_menuCalls.back().items[0].text;
    }

    SysOverride<decltype(SysApi::Shell_NotifyIconW)> notify{&SysApi::Shell_NotifyIconW, RecordNotify};
    SysOverride<decltype(SysApi::TrackPopupMenuEx)> track{&SysApi::TrackPopupMenuEx, FakeTrackPopupMenuEx};
};

void ExpectIconRecord(const NotifyCall& call, DWORD dwMessage, HWND hWnd)
{
    EXPECT_EQ(call.dwMessage, dwMessage);
    EXPECT_EQ(call.nid.cbSize, NOTIFYICONDATAW_V1_SIZE);
    EXPECT_EQ(call.nid.hWnd, hWnd);
    EXPECT_EQ(call.nid.uID, 1u);
    EXPECT_EQ(call.nid.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(call.nid.uCallbackMessage, static_cast<UINT>(WM_USER + 1));
    // Icon 147, the program's small icon, at the size the shell shows it:
    // the shared handle of that image.
    const int cx = GetSystemMetrics(SM_CXSMICON);
    auto shared = [&](UINT id) {
        return LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cx, LR_SHARED);
    };
    EXPECT_EQ(call.nid.hIcon, shared(IDI_SMALL));
    EXPECT_NE(call.nid.hIcon, shared(IDR_MAINFRAME));
    EXPECT_STREQ(call.nid.szTip, L"Trovelle");
}

TEST_F(Tray, TheIconComesAndGoesWithTheOption)
{
    theKeeperApp.m_bTaskIcon = 1;
    HWND hWnd = nullptr;
    ModalScript script;
    script
        .Then([&] {
            hWnd = Wnd();
            ASSERT_EQ(g_notifyCalls.size(), 1u);
            ExpectIconRecord(g_notifyCalls[0], NIM_ADD, hWnd);
            // The shell takes the first form of the record on a 64-bit build.
            EXPECT_TRUE(g_notifyCalls[0].bShellResult);

            Command(ID_OPTIONS_ICONE);
            EXPECT_EQ(theKeeperApp.m_bTaskIcon, 0);
            ASSERT_EQ(g_notifyCalls.size(), 2u);
            ExpectIconRecord(g_notifyCalls[1], NIM_DELETE, hWnd);
            EXPECT_TRUE(g_notifyCalls[1].bShellResult);

            // A fresh icon, the same id and tip.
            Command(ID_OPTIONS_ICONE);
            EXPECT_EQ(theKeeperApp.m_bTaskIcon, 1);
            ASSERT_EQ(g_notifyCalls.size(), 3u);
            ExpectIconRecord(g_notifyCalls[2], NIM_ADD, hWnd);
            EXPECT_TRUE(g_notifyCalls[2].bShellResult);

            // A shell that starts again has lost its icons.
            SendMessageA(hWnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
            ASSERT_EQ(g_notifyCalls.size(), 4u);
            ExpectIconRecord(g_notifyCalls[3], NIM_ADD, hWnd);
        });
    EXPECT_TRUE(RunMainWindow(script));
    ASSERT_EQ(g_notifyCalls.size(), 5u);
    ExpectIconRecord(g_notifyCalls[4], NIM_DELETE, hWnd);
    EXPECT_TRUE(g_notifyCalls[4].bShellResult);
    // The shell holds no icon of ours any more.
    NOTIFYICONDATAW nid = g_notifyCalls[4].nid;
    EXPECT_FALSE(::Shell_NotifyIconW(NIM_DELETE, &nid));
}

TEST_F(Tray, WithoutTheOptionTheShellIsNeverAsked)
{
    ModalScript script;
    script.Then([&] {
        EXPECT_TRUE(g_notifyCalls.empty());
        SendMessageA(Wnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        EXPECT_TRUE(g_notifyCalls.empty());
        // The left press still works: the message may come from elsewhere.
        EXPECT_EQ(Press(WM_LBUTTONDOWN), 0);
        EXPECT_EQ(StateOf(Wnd()), Shown::Minimised);
        Press(WM_LBUTTONDOWN);
        EXPECT_EQ(StateOf(Wnd()), Shown::Normal);
    });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_TRUE(g_notifyCalls.empty());
}

TEST_F(Tray, LeftPressesWalkTheVisibilityTable)
{
    theKeeperApp.m_bTaskIcon = 1;
    theKeeperApp.m_bHideWhenMinimized = 1;
    ModalScript script;
    script
        .Then([&] {
            ASSERT_EQ(StateOf(Wnd()), Shown::Normal);
            Press(WM_LBUTTONDOWN);
            EXPECT_EQ(StateOf(Wnd()), Shown::Hidden);
        })
        .Then([&] {
            // Minimised by the press, hidden again at once by the resize.
            Press(WM_LBUTTONDOWN);
            EXPECT_EQ(StateOf(Wnd()), Shown::MinimisedHidden);
        })
        .Then([&] {
            Press(WM_LBUTTONDOWN);
            EXPECT_EQ(StateOf(Wnd()), Shown::Normal);

            // Hide off: the press minimises and the window stays shown.
            Command(ID_OPTIONS_CACHER);
            Press(WM_LBUTTONDOWN);
            EXPECT_EQ(StateOf(Wnd()), Shown::Minimised);
        })
        .Then([&] {
            // Hide switched on while minimised hides nothing yet.
            Command(ID_OPTIONS_CACHER);
            EXPECT_EQ(StateOf(Wnd()), Shown::Minimised);
            Press(WM_LBUTTONDOWN);
            EXPECT_EQ(StateOf(Wnd()), Shown::Normal);
            // The icon's id is not looked at.
            Press(WM_LBUTTONDOWN, 7);
            EXPECT_EQ(StateOf(Wnd()), Shown::Hidden);
            Press(WM_LBUTTONDOWN);
            Press(WM_LBUTTONDOWN);
            EXPECT_EQ(StateOf(Wnd()), Shown::Normal);
        });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_TRUE(g_menuCalls.empty());
}

TEST_F(Tray, OtherMouseMessagesDoNothing)
{
    theKeeperApp.m_bTaskIcon = 1;
    theKeeperApp.m_bHideWhenMinimized = 1;
    ModalScript script;
    script.Then([&] {
        for (UINT msg : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_RBUTTONDBLCLK,
                         WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_CONTEXTMENU}) {
            EXPECT_EQ(Press(msg), 0) << msg;
            EXPECT_EQ(StateOf(Wnd()), Shown::Normal) << msg;
        }
        EXPECT_TRUE(g_menuCalls.empty());
    });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(Tray, TheMenuOffersCacherOnlyWhileTheWindowIsShownAndNotMinimised)
{
    theKeeperApp.m_bTaskIcon = 1;
    ModalScript script;
    script
        .Then([&] {
            RightPressChoosing(0);
            ASSERT_EQ(g_menuCalls.size(), 1u);
            const MenuCall& call = g_menuCalls[0];
            EXPECT_EQ(call.items, (std::vector<MenuItem>{{ID_POPUP_AFFICHER, false, "&Cacher Trovelle"},
                                                         {0, true, ""},
                                                         {ID_POPUP_COLLER, false, "&Coller"},
                                                         {ID_POPUP_QUITTER, false, "&Quitter"}}));
            EXPECT_EQ(call.nFlags, 0u);
            EXPECT_EQ(call.hOwner, Wnd());
            EXPECT_FALSE(call.bHasExclusion);
            EXPECT_EQ(StateOf(Wnd()), Shown::Normal);  // dismissed: nothing happens

            // With Hide off, "Cacher" minimises.
            RightPressChoosing(ID_POPUP_AFFICHER);
        })
        .Then([&] {
            EXPECT_EQ(StateOf(Wnd()), Shown::Minimised);
            RightPressChoosing(ID_POPUP_AFFICHER);
            EXPECT_EQ(LastMenuFirstItem(), "&Afficher Trovelle");
        })
        .Then([&] {
            EXPECT_EQ(StateOf(Wnd()), Shown::Normal);
            Command(ID_OPTIONS_CACHER);
            RightPressChoosing(ID_POPUP_AFFICHER);
            EXPECT_EQ(LastMenuFirstItem(), "&Cacher Trovelle");
        })
        .Then([&] {
            EXPECT_EQ(StateOf(Wnd()), Shown::Hidden);
            RightPressChoosing(ID_POPUP_AFFICHER);
            EXPECT_EQ(LastMenuFirstItem(), "&Afficher Trovelle");
        })
        .Then([&] {
            EXPECT_EQ(StateOf(Wnd()), Shown::MinimisedHidden);
            RightPressChoosing(ID_POPUP_AFFICHER);
            EXPECT_EQ(LastMenuFirstItem(), "&Afficher Trovelle");
        })
        .Then([&] {
            EXPECT_EQ(StateOf(Wnd()), Shown::Normal);
            EXPECT_EQ(g_menuCalls.size(), 6u);
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(Tray, TheMenuCapturesWithAutomaticNamingAndQuits)
{
    theKeeperApp.m_bTaskIcon = 1;
    ModalScript script;
    script
        .Then([&] {
            SetWindowTextA(source.hwnd(), "Source du menu");
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("depuis la zone de notification")}}));
            RightPressChoosing(ID_POPUP_COLLER);
        })
        .Then([&] {
            // No naming dialog although Auto Name is off, and it stays off.
            EXPECT_EQ(FindWindowA("#32770", "Ajouter"), nullptr);
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Source du menu"}));
            EXPECT_EQ(theKeeperApp.m_bAutoName, 0);
            RightPressChoosing(ID_POPUP_QUITTER);
        });
    // The quit command alone ends the loop: no closing step is added.
    EXPECT_TRUE(RunMainWindow(script, Closing::ByTheScript));
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_FALSE(g_notifyCalls.empty());
    EXPECT_EQ(g_notifyCalls.back().dwMessage, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(Tray, MinimisingHidesOnlyWithBothOptions)
{
    struct Case {
        BOOL bTaskIcon, bHide;
        Shown after;
    };
    const Case cases[] = {{0, 0, Shown::Minimised},
                          {0, 1, Shown::Minimised},
                          {1, 0, Shown::Minimised},
                          {1, 1, Shown::MinimisedHidden}};
    ModalScript script;
    for (const Case& c : cases) {
        script
            .Then([&, c] {
                theKeeperApp.m_bTaskIcon = c.bTaskIcon;
                theKeeperApp.m_bHideWhenMinimized = c.bHide;
                // As the title bar's button does it.
                SendMessageA(Wnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
                EXPECT_EQ(StateOf(Wnd()), c.after) << "Task Icon " << c.bTaskIcon << ", Hide " << c.bHide;
            })
            .Then([&] {
                ShowWindow(Wnd(), SW_RESTORE);
                EXPECT_EQ(StateOf(Wnd()), Shown::Normal);
            });
    }
    script.Then([&] { theKeeperApp.m_bTaskIcon = 0; });  // no icon was added to remove
    EXPECT_TRUE(RunMainWindow(script));
}

// Formats by which a source asks clipboard keepers to leave its data alone.
UINT ExcludeFormat() { return RegisterFormat("ExcludeClipboardContentFromMonitorProcessing"); }
UINT IgnoreFormat() { return RegisterFormat("Clipboard Viewer Ignore"); }
UINT HistoryFormat() { return RegisterFormat("CanIncludeInClipboardHistory"); }
Bytes Dword(DWORD dw)
{
    Bytes b(sizeof dw);
    std::memcpy(b.data(), &dw, sizeof dw);
    return b;
}

TEST_F(Tray, AutomaticCaptureLeavesMarkedClipboardsAloneButCollerTakesThem)
{
    theKeeperApp.m_bAutoPaste = 1;
    SetWindowTextA(source.hwnd(), "Coffre");
    const std::vector<std::vector<SourceFormat>> marked = {
        {{CF_TEXT, TextBytes("secret 1")}, {ExcludeFormat(), Bytes{0}}},
        {{CF_TEXT, TextBytes("secret 2")}, {IgnoreFormat(), Bytes{1}}},
        {{CF_TEXT, TextBytes("secret 3")}, {HistoryFormat(), Dword(0)}},
        {{CF_TEXT, TextBytes("secret 4")}, {HistoryFormat(), Dword(0), SourceFormat::Delayed}},
    };
    ModalScript script;
    for (const auto& formats : marked)
        script.Then([&] {
            ASSERT_TRUE(source.Offer(formats));  // fails if the check left the clipboard open
        });
    script
        .Then([&] {
            EXPECT_EQ(ListView_GetItemCount(List()), 0);
            EXPECT_EQ(source.RenderRequests(), 1);  // the delayed value was read
            // Allowed into the history: an ordinary clipboard.
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("public")}, {HistoryFormat(), Dword(1)}}));
        })
        .Then([&] {
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Coffre"}));
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("secret 5")}, {ExcludeFormat(), Bytes{0}}}));
        })
        .Then([&] {
            EXPECT_EQ(ListView_GetItemCount(List()), 1);
            // The user's own command still captures it.
            theKeeperApp.m_bAutoName = 1;
            Command(ID_EDITION_COLLER);
            EXPECT_EQ(ListView_GetItemCount(List()), 2);
        });
    EXPECT_TRUE(RunMainWindow(script));
}

// As the capture opens the clipboard, the copy it was told of is replaced
// by a marked one, as a password manager would copy right then.
TestWindow* g_pMarker = nullptr;
BOOL WINAPI MarkedCopyAsItOpens(HWND hWnd)
{
    if (TestWindow* pMarker = std::exchange(g_pMarker, nullptr))
        pMarker->Offer({{CF_TEXT, TextBytes("secret")}, {ExcludeFormat(), Bytes{0}}});
    return ::OpenClipboard(hWnd);
}

TEST_F(Tray, AMarkedCopyMadeAsTheCaptureOpensTheClipboardIsLeftAlone)
{
    theKeeperApp.m_bAutoPaste = 1;
    SysOverride<decltype(SysApi::OpenClipboard)> open{&SysApi::OpenClipboard, MarkedCopyAsItOpens};
    TestWindow marker{"Coffre"};
    ModalScript script;
    script
        .Then([&] {
            g_pMarker = &marker;
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("public")}}));
        })
        .Then([&] {
            EXPECT_EQ(g_pMarker, nullptr);
            EXPECT_EQ(ListView_GetItemCount(List()), 0);
        });
    EXPECT_TRUE(RunMainWindow(script));
}

}  // namespace
