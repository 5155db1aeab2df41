// The content preview under Wine: opened by a right click on a clip of the
// real main window, read back from its edit control and its painted pixels.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/keeperapp.h"
#include "clips/clip.h"
#include "dialogs/previewdlg.h"
#include "mainwnd/keeperdlg.h"
#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/modal_driver.h"

namespace {

struct Record {
    UINT id;
    Bytes bytes;
};

std::string WindowText(HWND h)
{
    char sz[256] = {};
    GetWindowTextA(h, sz, sizeof sz);
    return sz;
}

std::string EditText(HWND hEdit)
{
    std::string s(static_cast<std::size_t>(GetWindowTextLengthA(hEdit)) + 1, '\0');
    s.resize(static_cast<std::size_t>(GetWindowTextA(hEdit, s.data(), static_cast<int>(s.size()))));
    return s;
}

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

// A packed DIB, w x h pixels, rows as given from the top of the picture.
Bytes Dib(int w, const std::vector<std::vector<COLORREF>>& rowsFromTop, bool bTopDown, int nBitCount = 24)
{
    const int h = static_cast<int>(rowsFromTop.size());
    BITMAPINFOHEADER bih{sizeof bih, w, bTopDown ? -h : h, 1, static_cast<WORD>(nBitCount), BI_RGB, 0, 0, 0, 0, 0};
    std::vector<COLORREF> table;
    if (nBitCount == 8) {
        for (const auto& row : rowsFromTop)
            for (COLORREF c : row)
                if (std::find(table.begin(), table.end(), c) == table.end())
                    table.push_back(c);
        bih.biClrUsed = static_cast<DWORD>(table.size());
    }
    Bytes b(reinterpret_cast<BYTE*>(&bih), reinterpret_cast<BYTE*>(&bih) + sizeof bih);
    for (COLORREF c : table)
        b.insert(b.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 0});
    const int stride = (w * nBitCount + 31) / 32 * 4;
    for (int r = 0; r < h; ++r) {
        const auto& row = rowsFromTop[static_cast<std::size_t>(bTopDown ? r : h - 1 - r)];
        Bytes line(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < w; ++x) {
            const COLORREF c = row[static_cast<std::size_t>(x)];
            if (nBitCount == 8)
                line[x] = static_cast<BYTE>(std::find(table.begin(), table.end(), c) - table.begin());
            else {
                const int n = nBitCount / 8;
                line[x * n] = GetBValue(c);
                line[x * n + 1] = GetGValue(c);
                line[x * n + 2] = GetRValue(c);
            }
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

// Stores a clip with these records and shows it as the list's last item.
int InsertClip(HWND hList, const std::vector<Record>& records, bool bSelect)
{
    auto* pClip = new CClip;
    for (const Record& r : records)
        pClip->AddFormat(r.bytes.empty() ? nullptr : r.bytes.data(), static_cast<DWORD>(r.bytes.size()), r.id);
    CClipList::Node* pNode = theKeeperApp.m_listClips.AddTail(pClip);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(hList);
    item.pszText = const_cast<char*>("clip");
    item.lParam = reinterpret_cast<LPARAM>(pNode);
    const int i = static_cast<int>(SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (bSelect)
        ListView_SetItemState(hList, i, LVIS_SELECTED, LVIS_SELECTED);
    return i;
}

// The notice a right click on the clip list sends the main window.
void PostRightClick(HWND hMain)
{
    static NMHDR hdr;
    hdr = {GetDlgItem(hMain, IDC_CLIPLIST), IDC_CLIPLIST, static_cast<UINT>(NM_RCLICK)};
    PostMessageA(hMain, WM_NOTIFY, IDC_CLIPLIST, reinterpret_cast<LPARAM>(&hdr));
}

class Preview : public ::testing::Test {
protected:
    void SetUp() override
    {
        theKeeperApp.m_bAutoName = theKeeperApp.m_bAutoPaste = 0;
        theKeeperApp.m_bTaskIcon = theKeeperApp.m_bHideWhenMinimized = 0;
    }
    void TearDown() override
    {
        theKeeperApp.DeleteAllClips();
        theKeeperApp.m_listClips.RemoveAll();
        theKeeperApp.m_dwTotalBytes = 0;
    }
    bool RunMainWindow(ModalScript& script)
    {
        script.Then([&] { PostMessageA(dlg.m_hWnd, WM_CLOSE, 0, 0); });
        return script.Run([&] { dlg.DoModal(); }, [&] { dlg.EndDialog(IDABORT); });
    }
    HWND List() const { return GetDlgItem(dlg.m_hWnd, IDC_CLIPLIST); }

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

    CKeeperDlg dlg;
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
    v.text = EditText(hEdit);
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
    Bytes bytes(text.begin(), text.end());
    TextView v;
    ModalScript script;
    script.Then([&] {
              AddClip({{CF_UNICODETEXT, PatternBytes(8, 1)}, {CF_TEXT, bytes}});
              RightClick();
          })
        .Then([] {})
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
        EXPECT_TRUE(script.Run([&] { window.DoModal(); }, [&] { window.EndDialog(IDABORT); })) << bWide;
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
              AddClip({{CF_UNICODETEXT, PatternBytes(6, 2)}, {CF_LOCALE, PatternBytes(4, 3)}}, false);
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
        .Then([] {})
        .Then([&] {
            ASSERT_NE(Dialog(), nullptr);
            caption = WindowText(Dialog());
            text = EditText(Edit());
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
        .Then([] {})
        .Then([&] {
            ASSERT_NE(Dialog(), nullptr);
            text = EditText(Edit());
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
    dlg.m_nFormat = CF_UNICODETEXT;
    std::string caption;
    bool bEditVisible = true;
    int nInkMiddle = 0, nInkTop = -1;
    ModalScript script;
    script.Then([] {})
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
    EXPECT_TRUE(script.Run([&] { dlg.DoModal(); }, [&] { dlg.EndDialog(IDABORT); }));
    EXPECT_EQ(caption, "Aper\xe7u du contenu");
    EXPECT_FALSE(bEditVisible);
    EXPECT_GT(nInkMiddle, 0) << "the text crosses the middle row";
    EXPECT_EQ(nInkTop, 0) << "and nothing else is drawn";
}

// A core-header DIB of 24 bits, rows as given from the top of the picture.
Bytes CoreDib(int w, const std::vector<std::vector<COLORREF>>& rowsFromTop)
{
    const Bytes info = Dib(w, rowsFromTop, false);
    Bytes b(info.size() - 28, 0);
    b[0] = 12;
    b[4] = static_cast<BYTE>(w);
    b[6] = static_cast<BYTE>(rowsFromTop.size());
    b[8] = 1;
    b[10] = 24;
    std::copy(info.begin() + 40, info.end(), b.begin() + 12);
    return b;
}

TEST_F(Preview, BitmapsArePaintedAtTheTopLeftTheRightWayUp)
{
    const COLORREF R = RGB(255, 0, 0), G = RGB(0, 255, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255),
                   K = RGB(0, 0, 0), Y = RGB(255, 255, 0);
    const std::vector<std::vector<COLORREF>> picture = {{R, G, B, W}, {K, Y, R, G}, {B, B, W, K}};
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"24-bit bottom-up", Dib(4, picture, false)},
        {"24-bit top-down", Dib(4, picture, true)},
        {"8-bit with its table", Dib(4, picture, false, 8)},
        {"32-bit", Dib(4, picture, false, 32)},
        {"core header", CoreDib(4, picture)},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<COLORREF>> seen;
        std::string caption;
        CKeeperDlg window;
        ModalScript script;
        script.Then([&] {
                  InsertClip(GetDlgItem(window.m_hWnd, IDC_CLIPLIST), {{CF_DIB, c.bytes}}, true);
                  PostRightClick(window.m_hWnd);
              })
            .Then([] {})
            .Then([&] {
                HWND hDlg = FindWindowA("#32770", "Aper\xe7u : Bitmap");
                ASSERT_NE(hDlg, nullptr);
                caption = WindowText(hDlg);
                SetWindowPos(hDlg, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
                RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                HDC hDC = GetDC(hDlg);
                for (int y = 0; y < 4; ++y) {
                    seen.emplace_back();
                    for (int x = 0; x < 5; ++x)
                        seen.back().push_back(GetPixel(hDC, x, y) & 0xFFFFFF);
                }
                ReleaseDC(hDlg, hDC);
                if (c.name == cases[0].name)
                    SaveWindowPicture(hDlg, "preview_bitmap");
                PostMessageA(hDlg, WM_CLOSE, 0, 0);
            })
            .Then([&] { PostMessageA(window.m_hWnd, WM_CLOSE, 0, 0); });
        EXPECT_TRUE(script.Run([&] { window.DoModal(); }, [&] { window.EndDialog(IDABORT); })) << c.name;
        ASSERT_EQ(seen.size(), 4u) << c.name;
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(seen[y][x], picture[y][x]) << c.name << " at " << x << "," << y;
            EXPECT_EQ(seen[y][4], face) << c.name << " right of the picture, row " << y;
        }
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(seen[3][x], face) << c.name << " below the picture, column " << x;
        theKeeperApp.DeleteAllClips();
        theKeeperApp.m_listClips.RemoveAll();
    }
}

}  // namespace
