// The naming dialog, the real one, driven from inside its modal loop.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/help.h"
#include "dialogs/namedlg.h"
#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/controls.h"
#include "tests/support/modal_driver.h"

namespace {

struct Box {
    int nCalls = 0;
    std::wstring text;
    UINT type = 0;
};
Box g_box;

int WINAPI RecordBox(HWND, LPCWSTR text, LPCWSTR, UINT type)
{
    ++g_box.nCalls;
    g_box.text = text;
    g_box.type = type;
    return IDOK;
}

TEST(NameDialog, OpensEmptyWithTheFocusInTheFieldAndEnterAcceptsAnEmptyName)
{
    CNameDlg dlg;
    dlg.m_strName = "";
    INT_PTR result = 0;
    HWND hFocus = nullptr, hEdit = nullptr;
    std::string initial = "?";
    ModalScript script;
    script.Then([&] {
              hFocus = GetFocus();
              hEdit = GetDlgItem(dlg.m_hWnd, IDC_NAME);
              initial = WindowText(hEdit);
          })
        .Then([&] { SaveWindowPicture(dlg.m_hWnd, "name_dialog"); })
        .Then([&] { PostKey(GetFocus(), VK_RETURN); });
    EXPECT_TRUE(script.RunModal(dlg, &result));
    EXPECT_EQ(hFocus, hEdit);
    EXPECT_EQ(initial, "");
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(dlg.m_strName.IsEmpty());
}

TEST(NameDialog, TypingStopsAtFiftyCharactersAndTheTextIsTakenAsTyped)
{
    CNameDlg dlg;
    INT_PTR result = 0;
    LRESULT limit = 0;
    ModalScript script;
    script.Then([&] {
              HWND hEdit = GetDlgItem(dlg.m_hWnd, IDC_NAME);
              limit = SendMessageA(hEdit, EM_GETLIMITTEXT, 0, 0);
              SetFocus(hEdit);
              for (int i = 0; i < 60; ++i)
                  PostMessageA(hEdit, WM_CHAR, i == 0 ? ' ' : static_cast<WPARAM>('a' + i % 26), 1);
          })
        .Then([&] { PostMessageA(dlg.m_hWnd, WM_COMMAND, IDOK, 0); });
    EXPECT_TRUE(script.RunModal(dlg, &result));
    EXPECT_EQ(limit, 50);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_strName.GetLength(), 50);
    EXPECT_EQ(dlg.m_strName[0], ' ');  // no trimming
}

TEST(NameDialog, ALongerTextIsRefusedAndTheDialogStaysOpen)
{
    g_box = {};
    SysOverride<decltype(SysApi::MessageBoxW)> box(&SysApi::MessageBoxW, RecordBox);
    CNameDlg dlg;
    dlg.m_strName = "avant";
    INT_PTR result = 0;
    bool bOpenAfterOk = false;
    HWND hFocusAfterOk = nullptr, hEdit = nullptr;
    DWORD selStart = 1, selEnd = 0;
    std::string initial;
    ModalScript script;
    script.Then([&] {
              hEdit = GetDlgItem(dlg.m_hWnd, IDC_NAME);
              initial = WindowText(hEdit);
              // A text past the limit can still arrive by other means.
              SetWindowTextA(hEdit, std::string(51, 'x').c_str());
              PostMessageA(dlg.m_hWnd, WM_COMMAND, IDOK, 0);
          })
        .Then([&] {
            bOpenAfterOk = IsWindow(dlg.m_hWnd) != FALSE;
            hFocusAfterOk = GetFocus();
            SendMessageA(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
            PostMessageA(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
        });
    EXPECT_TRUE(script.RunModal(dlg, &result));
    EXPECT_EQ(initial, "avant");
    EXPECT_EQ(g_box.nCalls, 1);
    EXPECT_EQ(g_box.text, L"Entrez au plus 50 caract\u00e8res.");
    EXPECT_TRUE(bOpenAfterOk);
    EXPECT_EQ(hFocusAfterOk, hEdit);
    EXPECT_EQ(selStart, 0u);
    EXPECT_EQ(selEnd, 51u);
    EXPECT_EQ(result, IDCANCEL);
}

TEST(NameDialog, EscapeAndTheCloseBoxCancelAndKeepTheCallersName)
{
    for (int way = 0; way < 2; ++way) {
        CNameDlg dlg;
        dlg.m_strName = "avant";
        INT_PTR result = 0;
        ModalScript script;
        script.Then([&] {
            if (way == 0) {
                PostKey(GetFocus(), VK_ESCAPE);
            } else {
                PostMessageA(dlg.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            }
        });
        EXPECT_TRUE(script.RunModal(dlg, &result)) << way;
        EXPECT_EQ(result, IDCANCEL) << way;
        EXPECT_TRUE(dlg.m_strName == "avant") << way;  // the edit was not read
    }
}

}  // namespace
