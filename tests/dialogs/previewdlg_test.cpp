// The content preview under Wine: opened by a right click on a clip of the
// real main window, which record it takes, its caption, its text and file
// views read back from its edit control. How it paints bitmaps is tested in
// dibpainter_test.cpp.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/keeperapp.h"
#include "dialogs/previewdlg.h"
#include "mainwnd/keeperdlg.h"
#include "res/resource.h"
#include "tests/dialogs/dib_builders.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/controls.h"
#include "tests/support/heap_fault.h"
#include "tests/support/keeper_window.h"
#include "tests/support/modal_driver.h"

namespace {

// A DROPFILES block: ANSI names, or UTF-16 names when bWide.
Bytes DropFiles(const std::vector<std::string>& paths, bool bWide)
{
    Bytes b(20, 0);
    b[0] = 20;
    b[16] = bWide ? 1 : 0;
    for (const std::string& p : paths) {
        for (char c : p) {
            b.push_back(static_cast<BYTE>(c));
            if (bWide)
                b.push_back(0);
        }
        b.insert(b.end(), bWide ? 2 : 1, 0);
    }
    b.insert(b.end(), bWide ? 2 : 1, 0);
    return b;
}

class Preview : public KeeperWindowTest {
protected:
    int AddClip(const std::vector<Record>& records, bool bSelect = true)
    {
        return InsertClip(List(), records, bSelect);
    }
    void RightClick() { PostRightClick(dlg.m_hWnd); }
    // The preview is the main window's one enabled owned pop-up.
    HWND Dialog() const
    {
        HWND h = GetWindow(dlg.m_hWnd, GW_HWNDFIRST);
        for (; h != nullptr; h = GetWindow(h, GW_HWNDNEXT))
            if (GetWindow(h, GW_OWNER) == dlg.m_hWnd && IsWindowVisible(h))
                return h;
        return nullptr;
    }
    HWND Edit() const { return GetDlgItem(Dialog(), IDC_PREVIEW_EDIT); }
};

struct TextView {
    std::string caption, text;
    bool bEditVisible = false;
    DWORD selStart = 0, selEnd = 0;
    int nLines = 0, nCaretLine = -1, nFirstVisible = 0;
    bool bSmallIcon = false;
};

TextView ReadTextView(HWND hDlg, HWND hEdit)
{
    TextView v;
    v.caption = WindowText(hDlg);
    v.bEditVisible = IsWindowVisible(hEdit) != FALSE;
    v.text = WindowText(hEdit);
    SendMessageA(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&v.selStart), reinterpret_cast<LPARAM>(&v.selEnd));
    v.nLines = static_cast<int>(SendMessageA(hEdit, EM_GETLINECOUNT, 0, 0));
    v.nCaretLine = static_cast<int>(SendMessageA(hEdit, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0));
    v.nFirstVisible = static_cast<int>(SendMessageA(hEdit, EM_GETFIRSTVISIBLELINE, 0, 0));
    v.bSmallIcon = SendMessageA(hDlg, WM_GETICON, ICON_SMALL, 0) != 0;
    return v;
}

TEST_F(Preview, TextOpensAtItsEndWithNothingSelected)
{
    std::string text;
    for (int i = 1; i <= 40; ++i)
        text += "Ligne " + std::to_string(i) + (i == 40 ? " derni\xe8re" : "\r\n");
    // The record ends without its NUL: the text stops at the record's end.
    // An empty CF_UNICODETEXT beside it leaves it shown.
    Bytes bytes(text.begin(), text.end());
    TextView v;
    ModalScript script;
    script.Then([&] {
              AddClip({{CF_UNICODETEXT, Bytes{0, 0}}, {CF_TEXT, bytes}});
              RightClick();
          })
        .Await([&] { return Dialog() != nullptr; })
        .Then([&] {
            ASSERT_NE(Dialog(), nullptr);
            v = ReadTextView(Dialog(), Edit());
            SaveWindowPicture(Dialog(), "preview_text");
            PostMessageA(Dialog(), WM_CLOSE, 0, 0);
        })
        .Then([&] { EXPECT_EQ(Dialog(), nullptr); });
    EXPECT_TRUE(RunMainWindow(script));

    EXPECT_EQ(v.caption, "Aper\xe7u : Texte");
    EXPECT_TRUE(v.bEditVisible);
    EXPECT_EQ(v.text, text);
    EXPECT_EQ(v.selStart, text.size());
    EXPECT_EQ(v.selEnd, text.size()) << "nothing selected";
    EXPECT_EQ(v.nCaretLine, 39);
    EXPECT_GT(v.nFirstVisible, 0) << "scrolled to the last line";
    EXPECT_TRUE(v.bSmallIcon);
}

TEST_F(Preview, FileListsShowOneLineEndingInCrLfPerPathAnsiAndWide)
{
    const std::vector<std::string> paths = {"C:\\Documents\\lettre.txt", "C:\\Images\\\xe9t\xe9.bmp", "D:\\a"};
    const std::string expected = "C:\\Documents\\lettre.txt\r\nC:\\Images\\\xe9t\xe9.bmp\r\nD:\\a\r\n";
    for (bool bWide : {false, true}) {
        TextView v;
        CKeeperDlg window;
        ModalScript script;
        script.Then([&] {
                  // The file list comes first in the chain, so it wins over the text.
                  InsertClip(GetDlgItem(window.m_hWnd, IDC_CLIPLIST),
                             {{CF_HDROP, DropFiles(paths, bWide)}, {CF_TEXT, TextBytes("pas ceci")}}, true);
                  PostRightClick(window.m_hWnd);
              })
            .Then([] {})
            .Then([&] {
                HWND hDlg = FindWindowA("#32770", "Aper\xe7u : Fichiers");
                ASSERT_NE(hDlg, nullptr);
                v = ReadTextView(hDlg, GetDlgItem(hDlg, IDC_PREVIEW_EDIT));
                SaveWindowPicture(hDlg, bWide ? "preview_files_wide" : "preview_files");
                PostMessageA(hDlg, WM_CLOSE, 0, 0);
            })
            .Then([&] { PostMessageA(window.m_hWnd, WM_CLOSE, 0, 0); });
        EXPECT_TRUE(script.RunModal(window)) << bWide;
        EXPECT_EQ(v.text, expected) << bWide;
        EXPECT_EQ(v.nLines, 4) << bWide;
        EXPECT_EQ(v.nCaretLine, 3) << "the caret stands on an empty fourth line";
        EXPECT_EQ(v.selStart, expected.size());
        EXPECT_EQ(v.selEnd, expected.size());
        theKeeperApp.DeleteAllClips();
        theKeeperApp.m_listClips.RemoveAll();
    }
}

TEST_F(Preview, TheFirstSelectedClipWithAPreviewableRecordDecides)
{
    bool bOpenedForNone = true, bOpenedWithoutSelection = true;
    std::string caption, text;
    ModalScript script;
    script.Then([&] {
              AddClip({{CF_TEXT, TextBytes("jamais")}}, false);
              AddClip({{CF_WAVE, PatternBytes(6, 2)}, {CF_LOCALE, PatternBytes(4, 3)}}, false);
              RightClick();  // no selection
          })
        .Then([&] {
            bOpenedWithoutSelection = Dialog() != nullptr;
            ListView_SetItemState(List(), 1, LVIS_SELECTED, LVIS_SELECTED);
            RightClick();  // a clip without text, bitmap or files
        })
        .Then([&] {
            bOpenedForNone = Dialog() != nullptr;
            AddClip({{CF_TEXT, TextBytes("deuxi\xe8me")}});
            AddClip({{CF_TEXT, TextBytes("troisi\xe8me")}});
            ListView_SetItemState(List(), 1, 0, LVIS_SELECTED);
            RightClick();  // items 2 and 3 selected
        })
        .Await([&] { return Dialog() != nullptr; })
        .Then([&] {
            ASSERT_NE(Dialog(), nullptr);
            caption = WindowText(Dialog());
            text = WindowText(Edit());
            PostMessageA(Dialog(), WM_CLOSE, 0, 0);
        });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_FALSE(bOpenedWithoutSelection);
    EXPECT_FALSE(bOpenedForNone);
    EXPECT_EQ(caption, "Aper\xe7u : Texte");
    EXPECT_EQ(text, "deuxi\xe8me");
}

TEST_F(Preview, ARecordWithoutDataOpensEmpty)
{
    std::string text = "?";
    bool bVisible = false;
    ModalScript script;
    script.Then([&] {
              AddClip({{CF_HDROP, {}}});
              RightClick();
          })
        .Await([&] { return Dialog() != nullptr; })
        .Then([&] {
            ASSERT_NE(Dialog(), nullptr);
            text = WindowText(Edit());
            bVisible = IsWindowVisible(Edit()) != FALSE;
            PostMessageA(Dialog(), WM_CLOSE, 0, 0);
        });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(bVisible);
}

// Counts the pixels of one client row that are not the dialog's background.
int InkOnRow(HWND hWnd, int y)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    HDC hDC = GetDC(hWnd);
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    int n = 0;
    for (int x = 0; x < rc.right; ++x)
        if (GetPixel(hDC, x, y) != background)
            ++n;
    ReleaseDC(hWnd, hDC);
    return n;
}

TEST(PreviewDialog, AnotherFormatShowsTheFallbackTextInTheMiddle)
{
    CPreviewDlg dlg;
    const Bytes bytes = PatternBytes(16, 4);
    dlg.m_pData = bytes.data();
    dlg.m_dwSize = static_cast<DWORD>(bytes.size());
    dlg.m_nFormat = CF_WAVE;
    std::string caption;
    bool bEditVisible = true;
    int nInkMiddle = 0, nInkTop = -1;
    ModalScript script;
    script.Await([&] { return dlg.IsWindowVisible() != FALSE; })
        .Then([&] {
            caption = WindowText(dlg.m_hWnd);
            bEditVisible = IsWindowVisible(GetDlgItem(dlg.m_hWnd, IDC_PREVIEW_EDIT)) != FALSE;
            SetWindowPos(dlg.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            RECT rc;
            GetClientRect(dlg.m_hWnd, &rc);
            nInkMiddle = InkOnRow(dlg.m_hWnd, rc.bottom / 2);
            nInkTop = InkOnRow(dlg.m_hWnd, 2);
            SaveWindowPicture(dlg.m_hWnd, "preview_unknown");
            PostMessageA(dlg.m_hWnd, WM_CLOSE, 0, 0);
        });
    EXPECT_TRUE(script.RunModal(dlg));
    EXPECT_EQ(caption, "Aper\xe7u du contenu");
    EXPECT_FALSE(bEditVisible);
    EXPECT_GT(nInkMiddle, 0) << "the text crosses the middle row";
    EXPECT_EQ(nInkTop, 0) << "and nothing else is drawn";
}

TEST_F(Preview, TheFirstPreviewableRecordInTheChainDecidesBitmapBeforeText)
{
    const COLORREF R = RGB(255, 0, 0);
    std::string caption = "?";
    bool bEditVisible = true;
    ModalScript script;
    script.Then([&] {
              AddClip({{CF_WAVE, PatternBytes(8, 1)}, {CF_DIB, Dib(2, Grid{{R, R}}, false)},
                       {CF_TEXT, TextBytes("pas ceci")}});
              RightClick();
          })
        .Await([&] { return Dialog() != nullptr; })
        .Then([&] {
            ASSERT_NE(Dialog(), nullptr);
            caption = WindowText(Dialog());
            bEditVisible = IsWindowVisible(Edit()) != FALSE;
            PostMessageA(Dialog(), WM_CLOSE, 0, 0);
        });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_EQ(caption, "Aper\xe7u : Bitmap");
    EXPECT_FALSE(bEditVisible);
}

TEST_F(Preview, ItsCopyOfTheBytesIsNotTakenFromTheHeapAndMayFailQuietly)
{
    // A picture of 96 KiB while the heap refuses anything from 64 KiB on:
    // the preview still shows it.
    const Grid rows(128, std::vector<COLORREF>(256, RGB(0, 0, 255)));
    const Bytes big = Dib(256, rows, false);
    std::string caption = "?";
    COLORREF corner = 0;
    int nRefused = -1;
    std::optional<HeapFault> heap;
    ModalScript script;
    script.Then([&] { AddClip({{CF_DIB, big}}); })
        .Then([&] {
            heap.emplace(64 * 1024);
            RightClick();
        })
        .Await([&] { return Dialog() != nullptr; })
        .Then([&] {
            // The fault ends once the preview has painted.
            ASSERT_NE(Dialog(), nullptr);
            caption = WindowText(Dialog());
            SetWindowPos(Dialog(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            RedrawWindow(Dialog(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            HDC hDC = GetDC(Dialog());
            corner = GetPixel(hDC, 1, 1) & 0xFFFFFF;
            ReleaseDC(Dialog(), hDC);
            nRefused = heap->Refused();
            heap.reset();
            PostMessageA(Dialog(), WM_CLOSE, 0, 0);
        });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_EQ(caption, "Aper\xe7u : Bitmap");
    EXPECT_EQ(corner, RGB(0, 0, 255));
    EXPECT_EQ(nRefused, 0);
}

// The copy of the bytes cannot be had: the preview says it cannot show them.
LPVOID WINAPI NoPagesOf6000(LPVOID a, SIZE_T n, DWORD t, DWORD p)
{
    return n == 6000 ? nullptr : ::VirtualAlloc(a, n, t, p);
}

TEST_F(Preview, ACopyThatCannotBeHadShowsThatTheFormatCannotBeShown)
{
    Bytes text(6000, 'a');
    std::string caption = "?";
    bool bEditVisible = true;
    int nInkMiddle = 0;
    std::optional<SysOverride<decltype(SysApi::VirtualAlloc)>> noPages;
    ModalScript script;
    script.Then([&] { AddClip({{CF_TEXT, text}}); })
        .Then([&] {
            noPages.emplace(&SysApi::VirtualAlloc, NoPagesOf6000);
            RightClick();
        })
        .Await([&] { return Dialog() != nullptr; })
        .Then([&] {
            noPages.reset();
            ASSERT_NE(Dialog(), nullptr);
            caption = WindowText(Dialog());
            bEditVisible = IsWindowVisible(Edit()) != FALSE;
            SetWindowPos(Dialog(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            RedrawWindow(Dialog(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            RECT rc;
            GetClientRect(Dialog(), &rc);
            nInkMiddle = InkOnRow(Dialog(), rc.bottom / 2);
            PostMessageA(Dialog(), WM_CLOSE, 0, 0);
        });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_EQ(caption, "Aper\xe7u du contenu");
    EXPECT_FALSE(bEditVisible);
    EXPECT_GT(nInkMiddle, 0) << "Unable to display format.";
}

}  // namespace
