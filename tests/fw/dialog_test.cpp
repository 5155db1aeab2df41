// Modal dialogs: the framework's own loop, its owner, nesting, the keyboard
// path through PreTranslateMessage, and every way a dialog ends.
#include <gtest/gtest.h>

#include "tests/fw/fw_test_support.h"
#include "tests/support/controls.h"

namespace {

using Log = std::vector<std::string>;

// The main window for the time of a test.
class MainWindow {
public:
    explicit MainWindow(CWnd* pWnd) { theTestApp.m_pMainWnd = pWnd; }
    ~MainWindow() { theTestApp.m_pMainWnd = nullptr; }
};

TEST(DialogModal, EndsWithTheResultOfEachWayOut)
{
    struct Way {
        const char* name;
        std::function<void(CScriptedDlg&)> act;
        INT_PTR result;
        Log log;  // besides the keys offered to PreTranslateMessage
    };
    const std::vector<Way> ways = {
        {"OK button", [](CScriptedDlg& d) { PostMessageA(GetDlgItem(d.m_hWnd, IDOK), BM_CLICK, 0, 0); }, IDOK,
         {"OnOK", "DestroyWindow"}},
        {"Enter", [](CScriptedDlg& d) { PostKey(d.m_wndEdit.m_hWnd, VK_RETURN); }, IDOK, {"OnOK", "DestroyWindow"}},
        {"Escape", [](CScriptedDlg& d) { PostKey(d.m_wndEdit.m_hWnd, VK_ESCAPE); }, IDCANCEL,
         {"OnCancel", "DestroyWindow"}},
        {"WM_CLOSE", [](CScriptedDlg& d) { d.PostMessage(WM_CLOSE); }, IDCANCEL, {"OnCancel", "DestroyWindow"}},
        {"EndDialog", [](CScriptedDlg& d) { d.EndDialog(42); }, 42, {"DestroyWindow"}},
    };
    for (const Way& way : ways) {
        CScriptedDlg dlg;
        ModalScript script;
        script.Then([&] { way.act(dlg); });
        INT_PTR result = 0;
        EXPECT_TRUE(script.RunModal(dlg, &result)) << way.name;
        EXPECT_EQ(result, way.result) << way.name;
        Log log;
        for (const std::string& entry : dlg.m_log)
            if (entry.rfind("pre ", 0) != 0)
                log.push_back(entry);
        EXPECT_EQ(log, way.log) << way.name;
        EXPECT_TRUE(dlg.m_bWindowInDestroy) << way.name;
        EXPECT_EQ(dlg.m_hWnd, nullptr) << way.name;
    }
}

TEST(DialogModal, DisablesItsOwnerAndGivesItBackTheActivation)
{
    COwnerWnd owner;
    for (bool bMainWindow : {false, true}) {
        SetActiveWindow(owner.m_hWnd);
        // Without a parent, the main window owns the dialog.
        MainWindow main(bMainWindow ? &owner : nullptr);
        CScriptedDlg dlg(bMainWindow ? nullptr : &owner);
        HWND hOwnerSeen = nullptr;
        BOOL bOwnerEnabled = TRUE, bVisible = FALSE;
        INT_PTR result = 0;
        ModalScript script;
        script
            .Then([&] {
                hOwnerSeen = GetWindow(dlg.m_hWnd, GW_OWNER);
                bOwnerEnabled = IsWindowEnabled(owner.m_hWnd);
            })
            // Shown by the loop once it first goes idle (the template is not
            // WS_VISIBLE), which the first ticks may come before.
            .Await([&] { return bVisible = dlg.IsWindowVisible(); })
            .Then([&] { dlg.EndDialog(IDOK); });
        EXPECT_TRUE(script.RunModal(dlg, &result));
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(hOwnerSeen, owner.m_hWnd) << bMainWindow;
        EXPECT_FALSE(bOwnerEnabled) << bMainWindow;
        EXPECT_TRUE(bVisible) << bMainWindow;
        EXPECT_TRUE(dlg.m_bOwnerEnabledInDestroy) << bMainWindow;  // before the dialog went
        EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd)) << bMainWindow;
        EXPECT_EQ(GetActiveWindow(), owner.m_hWnd) << bMainWindow;
    }
}

TEST(DialogModal, ADialogOpenedFromADialogIsOwnedByIt)
{
    COwnerWnd owner;
    MainWindow main(&owner);
    CScriptedDlg outer, inner;
    INT_PTR innerResult = 0;
    HWND hInnerOwner = nullptr;
    BOOL bOuterEnabledDuring = TRUE, bMainEnabledDuring = TRUE, bOuterEnabledAfter = FALSE;
    HWND hOuter = nullptr, hActiveAfter = nullptr;
    INT_PTR outerResult = 0;
    bool bInnerCompleted = false;
    ModalScript innerScript, outerScript;
    innerScript.Then([&] {
        hInnerOwner = GetWindow(inner.m_hWnd, GW_OWNER);
        bOuterEnabledDuring = IsWindowEnabled(outer.m_hWnd);
        bMainEnabledDuring = IsWindowEnabled(owner.m_hWnd);
        inner.EndDialog(7);
    });
    outerScript
        .Then([&] {
            hOuter = outer.m_hWnd;
            // From inside the outer dialog's handler, as a command would.
            bInnerCompleted = innerScript.RunModal(inner, &innerResult);
            bOuterEnabledAfter = IsWindowEnabled(outer.m_hWnd);
            hActiveAfter = GetActiveWindow();
        })
        .Then([&] { outer.EndDialog(8); });
    EXPECT_TRUE(outerScript.RunModal(outer, &outerResult));
    EXPECT_EQ(outerResult, 8);
    EXPECT_TRUE(bInnerCompleted);
    EXPECT_EQ(innerResult, 7);
    EXPECT_EQ(hInnerOwner, hOuter);
    EXPECT_FALSE(bOuterEnabledDuring);
    EXPECT_FALSE(bMainEnabledDuring);
    EXPECT_TRUE(bOuterEnabledAfter);
    EXPECT_EQ(hActiveAfter, hOuter);
    EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd));
}

TEST(DialogModal, PreTranslateMessageSeesTheKeysOfItsControlsFirst)
{
    CScriptedDlg dlg;
    // The dialog takes 'x' for itself; the edit never sees it.
    dlg.m_swallow = [](const MSG& msg) { return msg.message == WM_CHAR && msg.wParam == 'x'; };
    CString text;
    INT_PTR result = 0;
    ModalScript script;
    script
        .Then([&] {
            SetFocus(dlg.m_wndEdit);
            dlg.m_log.clear();
            PostMessageA(dlg.m_wndEdit.m_hWnd, WM_KEYDOWN, VK_END, 1);  // no character
            PostMessageA(dlg.m_wndEdit.m_hWnd, WM_CHAR, 'x', 1);
            PostMessageA(dlg.m_wndEdit.m_hWnd, WM_CHAR, 'y', 1);
        })
        .Then([&] {
            text = CWnd::GetWindowTextOf(dlg.m_wndEdit);
            dlg.EndDialog(IDCANCEL);
        });
    EXPECT_TRUE(script.RunModal(dlg, &result));
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_STREQ(text, "y");
    // From the target up: the subclassed edit, then the dialog.
    const Log expected = {"pre 256 35 edit", "pre 256 35 dialog", "pre 258 120 edit", "pre 258 120 dialog",
                          "pre 258 121 edit", "pre 258 121 dialog", "DestroyWindow"};
    EXPECT_EQ(dlg.m_log, expected);
}

TEST(DialogModal, AQuitEndsEveryModalLoopAndStaysQueued)
{
    COwnerWnd owner;
    MainWindow main(&owner);
    CScriptedDlg outer, inner;
    INT_PTR innerResult = 0, outerResult = 0;
    ModalScript innerScript, outerScript;
    innerScript.Then([] { PostQuitMessage(5); });
    outerScript.Then([&] { innerScript.RunModal(inner, &innerResult); });
    EXPECT_TRUE(outerScript.RunModal(outer, &outerResult));
    EXPECT_EQ(outerResult, -1);
    EXPECT_EQ(innerResult, -1);
    EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd));
    MSG msg = {};
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST(DialogModal, ADialogThatCannotBeMadeReturnsMinusOne)
{
    COwnerWnd owner;
    CScriptedDlg dlg(&owner, IDD_FW_MISSING);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd));
    EXPECT_EQ(dlg.m_log, Log{"DestroyWindow"});
}

}  // namespace
