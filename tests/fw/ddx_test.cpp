// Data exchange with the real edit control: in, out, the limit, and the
// refusal of a text that is too long.
#include <gtest/gtest.h>

#include "tests/fw/fw_test_support.h"

namespace {

TEST(DdxExchange, PutsTheTextInTakesItBackAndLimitsTheEdit)
{
    BoxRecorder boxes;
    CScriptedDlg dlg;
    dlg.m_strText = "abc";
    ASSERT_TRUE(dlg.Create(IDD_FW_TEST));  // OnInitDialog loads the controls
    const HWND hEdit = GetDlgItem(dlg.m_hWnd, IDC_FW_EDIT);
    CString text;
    text = CWnd::GetWindowTextOf(dlg.m_wndEdit);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(SendMessageA(hEdit, EM_GETLIMITTEXT, 0, 0), 10);

    // Held as UTF-8, whatever the script: 7 characters where the limit is 10.
    SetWindowTextW(hEdit, L"d\u00e9j\u00e0 \u0432\u0443");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_STREQ(dlg.m_strText, "d\xc3\xa9j\xc3\xa0 \xd0\xb2\xd1\x83");
    SetWindowTextA(hEdit, "");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_TRUE(dlg.m_strText.IsEmpty());
    EXPECT_TRUE(boxes.s_boxes.empty());

    // Exchanging again keeps the controls bound to the same objects.
    EXPECT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(CWnd::FromHandlePermanent(hEdit), &dlg.m_wndEdit);
    EXPECT_EQ(CWnd::FromHandlePermanent(GetDlgItem(dlg.m_hWnd, IDC_FW_LIST)), &dlg.m_wndList);
    dlg.DestroyWindow();
}

TEST(DdxExchange, ATextTooLongIsRefusedAndTheDialogStaysOpen)
{
    BoxRecorder boxes;
    CScriptedDlg dlg;
    dlg.m_strText = "avant";
    HWND hDlg = nullptr, hEdit = nullptr, hFocus = nullptr;
    BOOL bOpenAfterOK = FALSE;
    DWORD nStart = ~0u, nEnd = ~0u;
    std::size_t nBoxes = 0;
    INT_PTR result = 0;
    ModalScript script;
    script.Await([&] { return dlg.IsWindowVisible() != FALSE; })
        .Then([&] {
            hDlg = dlg.m_hWnd;
            hEdit = dlg.m_wndEdit.m_hWnd;
            dlg.m_wndEdit.SetWindowText("trop de mots");  // 12 characters: the limit stops typing, not this
            SetFocus(GetDlgItem(dlg.m_hWnd, IDOK));
            dlg.PostMessage(WM_COMMAND, IDOK);
        })
        .Then([&] {
            bOpenAfterOK = dlg.IsWindowVisible();
            hFocus = GetFocus();
            dlg.m_wndEdit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&nStart), reinterpret_cast<LPARAM>(&nEnd));
            nBoxes = boxes.s_boxes.size();
            dlg.PostMessage(WM_COMMAND, IDCANCEL);
        });
    EXPECT_TRUE(script.RunModal(dlg, &result));
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(bOpenAfterOK);
    EXPECT_EQ(hFocus, hEdit);
    EXPECT_EQ(nStart, 0);
    EXPECT_EQ(nEnd, 12);
    ASSERT_EQ(nBoxes, 1u);
    const BoxRecorder::Box& box = boxes.s_boxes[0];
    EXPECT_EQ(box.text, L"Entrez au plus 10 caract\u00e8res.");
    EXPECT_EQ(box.caption, L"test_fw");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(box.hOwner, hDlg);  // the dialog running over everything else
    // As in the classic framework, the member holds what was read before the
    // check refused it; only a successful OK ends the dialog with IDOK.
    EXPECT_STREQ(dlg.m_strText, "trop de mots");
}

}  // namespace
