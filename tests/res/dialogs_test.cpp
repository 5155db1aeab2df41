// The dialog templates made into real windows by the dialog manager, as the
// program makes them. Each test also leaves a picture of its dialog with the
// other windows' pictures (tests/support/modal_driver.h), to be looked at.
#include "res_reader.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/modal_driver.h"

using namespace resread;

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

std::string TextOf(HWND hWnd)
{
    wchar_t buf[256] = {};
    GetWindowTextW(hWnd, buf, 256);
    return To1252(buf);
}

// A dialog created from this module's template with the caption expected,
// destroyed with the object; a picture of it is saved before it goes.
class Dialog {
public:
    Dialog(WORD id, const char* pszCaption) : m_id(id)
    {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        m_hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, PlainDialogProc, 0);
        EXPECT_NE(m_hWnd, nullptr) << "dialog " << id;
        if (m_hWnd != nullptr)
            EXPECT_EQ(TextOf(m_hWnd), pszCaption);
    }
    ~Dialog()
    {
        if (m_hWnd == nullptr)
            return;
        // In front and shown, whatever the template's style.
        SetWindowPos(m_hWnd, HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SaveWindowPicture(m_hWnd, "res_dialog_" + std::to_string(m_id));
        DestroyWindow(m_hWnd);
    }
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    HWND Get() const { return m_hWnd; }

private:
    WORD m_id;
    HWND m_hWnd = nullptr;
};

std::wstring ClassOf(HWND hWnd)
{
    wchar_t buf[64] = {};
    GetClassNameW(hWnd, buf, 64);
    return buf;
}

// A rectangle in dialog units of this dialog, in its client pixels.
RECT DialogRect(HWND hDlg, int x, int y, int cx, int cy)
{
    RECT r{x, y, x + cx, y + cy};
    MapDialogRect(hDlg, &r);
    return r;
}

RECT ClientRectOfChild(HWND hDlg, HWND hChild)
{
    RECT r;
    GetWindowRect(hChild, &r);
    MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ExpectRect(const RECT& got, const RECT& want)
{
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

}  // namespace

TEST(ResDialogs, MainWindowCreatesWithItsListView)
{
    Dialog dlg(102, "Trovelle");
    HWND hDlg = dlg.Get();
    ASSERT_NE(hDlg, nullptr);
    // The system adds WS_CLIPSIBLINGS to every top-level window and the
    // dialog manager DS_3DLOOK to every dialog.
    const DWORD style = static_cast<DWORD>(GetWindowLongW(hDlg, GWL_STYLE));
    EXPECT_EQ(style & ~static_cast<DWORD>(WS_CLIPSIBLINGS | DS_3DLOOK), 0x90CF0040u) << std::hex << style;
    EXPECT_TRUE(GetWindowLongW(hDlg, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    HMENU hMenu = GetMenu(hDlg);
    ASSERT_NE(hMenu, nullptr) << "menu 129 is attached by the template";
    EXPECT_EQ(GetMenuItemCount(hMenu), 4);

    HWND hList = GetDlgItem(hDlg, 1000);
    ASSERT_NE(hList, nullptr);
    EXPECT_EQ(ClassOf(hList), L"SysListView32");
    // A control's WS_BORDER becomes a sunken client edge in a 3-D dialog.
    const DWORD listStyle = static_cast<DWORD>(GetWindowLongW(hList, GWL_STYLE));
    EXPECT_EQ(listStyle, 0x50810300u & ~static_cast<DWORD>(WS_BORDER)) << std::hex << listStyle;
    EXPECT_TRUE(GetWindowLongW(hList, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(TextOf(hList), "Clips conserv\xe9s");  // the name a screen reader speaks
    ExpectRect(ClientRectOfChild(hDlg, hList), DialogRect(hDlg, 0, 0, 326, 201));

    // The font asked for, as the dialog manager created it.
    HFONT hFont = reinterpret_cast<HFONT>(SendMessageW(hDlg, WM_GETFONT, 0, 0));
    ASSERT_NE(hFont, nullptr);
    LOGFONTW lf{};
    GetObjectW(hFont, sizeof lf, &lf);
    EXPECT_EQ(To1252(lf.lfFaceName), "MS Shell Dlg");
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_FALSE(lf.lfItalic);
}

TEST(ResDialogs, NameDialogCreates)
{
    Dialog dlg(130, "Ajouter");
    HWND hDlg = dlg.Get();
    ASSERT_NE(hDlg, nullptr);

    HWND hEdit = GetDlgItem(hDlg, 1001);
    ASSERT_NE(hEdit, nullptr);
    EXPECT_EQ(ClassOf(hEdit), L"Edit");
    EXPECT_EQ(ClassOf(GetDlgItem(hDlg, IDOK)), L"Button");
    EXPECT_EQ(TextOf(GetDlgItem(hDlg, IDCANCEL)), "Annuler");
    // The default button is OK, the first control in tab order.
    EXPECT_EQ(LOWORD(SendMessageW(hDlg, DM_GETDEFID, 0, 0)), IDOK);
    EXPECT_EQ(GetNextDlgTabItem(hDlg, nullptr, FALSE), GetDlgItem(hDlg, IDOK));
    ExpectRect(ClientRectOfChild(hDlg, hEdit), DialogRect(hDlg, 7, 18, 162, 13));
}

TEST(ResDialogs, AboutBoxShowsTheProgramIcon)
{
    Dialog dlg(100, "A propos de Trovelle");
    HWND hDlg = dlg.Get();
    ASSERT_NE(hDlg, nullptr);

    HWND hIconCtl = GetWindow(hDlg, GW_CHILD);  // first in template order
    ASSERT_NE(hIconCtl, nullptr);
    EXPECT_EQ(ClassOf(hIconCtl), L"Static");
    EXPECT_EQ(GetWindowLongW(hIconCtl, GWL_STYLE) & SS_TYPEMASK, SS_ICON);
    EXPECT_NE(SendMessageW(hIconCtl, STM_GETICON, 0, 0), 0) << "icon 128 resolved from this module";
}
