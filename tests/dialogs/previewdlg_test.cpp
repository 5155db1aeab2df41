// The content preview under Wine: opened by a right click on a clip of the
// real main window, read back from its edit control and its painted pixels.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/keeperapp.h"
#include "clips/clip.h"
#include "dialogs/previewdlg.h"
#include "mainwnd/keeperdlg.h"
#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/heap_fault.h"
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
// An 8-bit one declares only the colours it uses; 1 and 4 bits carry the
// whole table their bit count implies, with a colours-used count of 0.
Bytes Dib(int w, const std::vector<std::vector<COLORREF>>& rowsFromTop, bool bTopDown, int nBitCount = 24)
{
    const int h = static_cast<int>(rowsFromTop.size());
    BITMAPINFOHEADER bih{sizeof bih, w, bTopDown ? -h : h, 1, static_cast<WORD>(nBitCount), BI_RGB, 0, 0, 0, 0, 0};
    std::vector<COLORREF> table;
    if (nBitCount <= 8) {
        for (const auto& row : rowsFromTop)
            for (COLORREF c : row)
                if (std::find(table.begin(), table.end(), c) == table.end())
                    table.push_back(c);
        if (nBitCount == 8)
            bih.biClrUsed = static_cast<DWORD>(table.size());
        else
            table.resize(std::size_t{1} << nBitCount, RGB(1, 2, 3));
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
            if (nBitCount <= 8) {
                // The leftmost pixel sits in the byte's high bits.
                const int index = static_cast<int>(std::find(table.begin(), table.end(), c) - table.begin());
                const int bit = x * nBitCount;
                line[bit / 8] |= static_cast<BYTE>(index << (8 - nBitCount - bit % 8));
            } else {
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

TEST_F(Preview, TheFirstPreviewableRecordInTheChainDecidesBitmapBeforeText)
{
    const COLORREF R = RGB(255, 0, 0);
    std::string caption = "?";
    bool bEditVisible = true;
    ModalScript script;
    script.Then([&] {
              AddClip({{CF_UNICODETEXT, PatternBytes(8, 1)}, {CF_DIB, Dib(2, {{R, R}}, false)},
                       {CF_TEXT, TextBytes("pas ceci")}});
              RightClick();
          })
        .Then([] {})
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
    std::vector<std::vector<COLORREF>> rows(128, std::vector<COLORREF>(256, RGB(0, 0, 255)));
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
        .Then([] {})
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
        .Then([] {})
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

using Grid = std::vector<std::vector<COLORREF>>;

// A record copied to the very end of readable memory: the page after its
// last byte cannot be touched, so a read past the record faults at once.
class GuardedRecord {
public:
    explicit GuardedRecord(const Bytes& bytes)
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        const SIZE_T page = si.dwPageSize;
        const SIZE_T cbData = (bytes.size() + page - 1) / page * page;
        m_pBase = static_cast<BYTE*>(VirtualAlloc(nullptr, cbData + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD dwOld = 0;
        VirtualProtect(m_pBase + cbData, page, PAGE_NOACCESS, &dwOld);
        m_pData = m_pBase + cbData - bytes.size();
        std::copy(bytes.begin(), bytes.end(), m_pData);
        m_dwSize = static_cast<DWORD>(bytes.size());
    }
    ~GuardedRecord() { VirtualFree(m_pBase, 0, MEM_RELEASE); }
    GuardedRecord(const GuardedRecord&) = delete;
    GuardedRecord& operator=(const GuardedRecord&) = delete;
    const BYTE* Data() const { return m_pData; }
    DWORD Size() const { return m_dwSize; }

private:
    BYTE* m_pBase = nullptr;
    BYTE* m_pData = nullptr;
    DWORD m_dwSize = 0;
};

// One bitmap preview shows each record in turn (guarded as above); for each
// paint the top left cx x cy client pixels are read back.
std::vector<Grid> PaintedGrids(const std::vector<Bytes>& records, int cx, int cy, const char* pszPicture = nullptr)
{
    std::vector<Grid> grids;
    std::unique_ptr<GuardedRecord> pRecord;  // outlives the dialog that points into it
    CPreviewDlg dlg;
    dlg.m_nFormat = CF_DIB;
    ModalScript script;
    script.Then([] {});
    for (std::size_t i = 0; i < records.size(); ++i) {
        script.Then([&, i] {
            auto pNext = std::make_unique<GuardedRecord>(records[i]);
            dlg.m_pData = pNext->Data();
            dlg.m_dwSize = pNext->Size();
            pRecord = std::move(pNext);
            SetWindowPos(dlg.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            HDC hDC = GetDC(dlg.m_hWnd);
            Grid& g = grids.emplace_back();
            for (int y = 0; y < cy; ++y) {
                g.emplace_back();
                for (int x = 0; x < cx; ++x)
                    g.back().push_back(GetPixel(hDC, x, y) & 0xFFFFFF);
            }
            ReleaseDC(dlg.m_hWnd, hDC);
            if (i == 0 && pszPicture != nullptr)
                SaveWindowPicture(dlg.m_hWnd, pszPicture);
        });
    }
    script.Then([&] { PostMessageA(dlg.m_hWnd, WM_CLOSE, 0, 0); });
    EXPECT_TRUE(script.Run([&] { dlg.DoModal(); }, [&] { dlg.EndDialog(IDABORT); }));
    return grids;
}

// What a cx x cy corner should show: picture rows [first, last) at their
// own place, shifted down by yOffset, and the dialog's background elsewhere.
Grid Expected(const Grid& picture, int cx, int cy, int first = 0, int last = -1, int yOffset = 0)
{
    if (last < 0)
        last = static_cast<int>(picture.size());
    Grid g(static_cast<std::size_t>(cy), std::vector<COLORREF>(static_cast<std::size_t>(cx), GetSysColor(COLOR_BTNFACE)));
    for (int r = first; r < last; ++r)
        for (std::size_t x = 0; x < picture[r].size(); ++x)
            g[static_cast<std::size_t>(r + yOffset)][x] = picture[r][x];
    return g;
}

// Compares pixel by pixel; a channel may be off by up to nTolerance levels
// (a 5- or 6-bit channel widened to 8 bits).
void ExpectGrid(const Grid& seen, const Grid& expected, int nTolerance, const std::string& name)
{
    ASSERT_EQ(seen.size(), expected.size()) << name;
    int nWrong = 0;
    std::string where;
    for (std::size_t y = 0; y < seen.size(); ++y) {
        for (std::size_t x = 0; x < seen[y].size(); ++x) {
            const COLORREF a = seen[y][x], b = expected[y][x];
            const int d = std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                                    std::abs(GetBValue(a) - GetBValue(b))});
            if (d > nTolerance && ++nWrong <= 4) {
                char sz[96];
                wsprintfA(sz, " (%d,%d) is #%02X%02X%02X, not #%02X%02X%02X;", static_cast<int>(x),
                          static_cast<int>(y), GetRValue(a), GetGValue(a), GetBValue(a), GetRValue(b), GetGValue(b),
                          GetBValue(b));
                where += sz;
            }
        }
    }
    EXPECT_EQ(nWrong, 0) << name << ":" << where;
}

TEST(PreviewDialog, OneAndFourBitBitmapsTakeTheirColoursFromTheTable)
{
    // Colours of no fixed palette, so that only the table can give them.
    const COLORREF A = RGB(200, 30, 90), B = RGB(20, 160, 220);
    const Grid two = {{A, B, B, A, A, A, B, A, B, B}, {B, A, A, B, B, B, A, B, A, A}, {A, A, B, B, A, B, A, A, A, B}};
    const COLORREF C = RGB(10, 20, 30), D = RGB(250, 128, 0), E = RGB(90, 200, 60), F = RGB(128, 128, 255),
                   H = RGB(255, 255, 255), K = RGB(0, 0, 0), L = RGB(70, 10, 140);
    // An odd width: the last pixel of a row fills half a byte.
    const Grid sixteen = {{C, D, E, F, H}, {K, L, C, D, E}, {F, H, K, L, C}};
    struct Case {
        const char* name;
        const Grid& picture;
        Bytes bytes;
    };
    const Case cases[] = {
        {"1-bit bottom-up, rows across two bytes", two, Dib(10, two, false, 1)},
        {"1-bit top-down", two, Dib(10, two, true, 1)},
        {"4-bit bottom-up", sixteen, Dib(5, sixteen, false, 4)},
        {"4-bit top-down", sixteen, Dib(5, sixteen, true, 4)},
    };
    std::vector<Bytes> records;
    for (const Case& c : cases)
        records.push_back(c.bytes);
    const std::vector<Grid> seen = PaintedGrids(records, 12, 4, "preview_bitmap_1bit");
    ASSERT_EQ(seen.size(), std::size(cases));
    for (std::size_t i = 0; i < seen.size(); ++i)
        ExpectGrid(seen[i], Expected(cases[i].picture, 12, 4), 0, cases[i].name);
}

// A bit-field DIB of 16 or 32 bits a pixel, each channel where its mask puts
// it. The masks follow a 40-byte header or sit inside a longer one; a colour
// table of nTable entries (which the pixels do not use) may come after them.
Bytes MaskedDib(int w, const Grid& rowsFromTop, int nBitCount, const DWORD (&masks)[3], DWORD nHeaderSize = 40,
                DWORD nTable = 0)
{
    const int h = static_cast<int>(rowsFromTop.size());
    BITMAPINFOHEADER bih{nHeaderSize, w, h, 1, static_cast<WORD>(nBitCount), BI_BITFIELDS, 0, 0, 0, nTable, 0};
    Bytes b(nHeaderSize, 0);
    std::memcpy(b.data(), &bih, sizeof bih);
    if (nHeaderSize == sizeof bih)
        b.resize(b.size() + sizeof masks);
    std::memcpy(b.data() + sizeof bih, masks, sizeof masks);
    b.resize(b.size() + nTable * 4, 0x55);
    auto channel = [](BYTE v, DWORD mask) {
        const int shift = std::countr_zero(mask);
        const DWORD nMax = mask >> shift;
        return (v * nMax + 127) / 255 << shift;
    };
    const int stride = (w * nBitCount + 31) / 32 * 4;
    for (int r = h - 1; r >= 0; --r) {
        Bytes line(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < w; ++x) {
            const COLORREF c = rowsFromTop[r][x];
            const DWORD v = channel(GetRValue(c), masks[0]) | channel(GetGValue(c), masks[1]) |
                            channel(GetBValue(c), masks[2]);
            std::memcpy(&line[static_cast<std::size_t>(x * nBitCount / 8)], &v, static_cast<std::size_t>(nBitCount / 8));
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

TEST(PreviewDialog, BitFieldBitmapsFollowTheirMasks)
{
    // Colours whose channels differ, so that a swapped or shifted channel
    // and pixels read from the masks' place both show.
    const COLORREF R = RGB(255, 0, 0), O = RGB(255, 128, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255),
                   K = RGB(0, 0, 0), P = RGB(64, 0, 192), G = RGB(0, 255, 0);
    const Grid picture = {{R, O, B, W}, {K, P, G, R}, {B, W, O, K}};
    const DWORD rgb565[3] = {0xF800, 0x07E0, 0x001F};
    const DWORD rgb555[3] = {0x7C00, 0x03E0, 0x001F};
    // Red in the low byte: the reverse of the usual order.
    const DWORD reversed[3] = {0x000000FF, 0x0000FF00, 0x00FF0000};
    struct Case {
        const char* name;
        Bytes bytes;
        int nTolerance;
    };
    const Case cases[] = {
        {"16-bit 5-6-5, masks after the header", MaskedDib(4, picture, 16, rgb565), 8},
        {"16-bit 5-5-5, masks then a table", MaskedDib(4, picture, 16, rgb555, 40, 2), 8},
        {"32-bit, red in the low byte", MaskedDib(4, picture, 32, reversed), 0},
        {"32-bit, masks then a table", MaskedDib(4, picture, 32, reversed, 40, 3), 0},
        {"16-bit 5-6-5, masks inside a 108-byte header", MaskedDib(4, picture, 16, rgb565, 108), 8},
        {"32-bit, masks inside a 124-byte header", MaskedDib(4, picture, 32, reversed, 124), 0},
    };
    std::vector<Bytes> records;
    for (const Case& c : cases)
        records.push_back(c.bytes);
    const std::vector<Grid> seen = PaintedGrids(records, 6, 4);
    ASSERT_EQ(seen.size(), std::size(cases));
    for (std::size_t i = 0; i < seen.size(); ++i)
        ExpectGrid(seen[i], Expected(picture, 6, 4), cases[i].nTolerance, cases[i].name);
}

void PutU32(Bytes& b, std::size_t at, DWORD v) { std::memcpy(&b[at], &v, 4); }

TEST(PreviewDialog, BitmapsThatClaimMoreThanTheirRecordHoldsShowOnlyWhatItHolds)
{
    const COLORREF R = RGB(255, 0, 0), G = RGB(0, 255, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255),
                   K = RGB(0, 0, 0), Y = RGB(255, 255, 0);
    const Grid picture = {{R, G, B, W}, {K, Y, R, G}, {B, B, W, K}};
    const int cx = 6, cy = 7;
    const Grid nothing = Expected({}, cx, cy);

    Bytes tallBottomUp = Dib(4, picture, false);
    PutU32(tallBottomUp, 8, 6);
    Bytes tallTopDown = Dib(4, picture, true);
    PutU32(tallTopDown, 8, static_cast<DWORD>(-6));
    Bytes cutRow = Dib(4, picture, false);
    cutRow.resize(cutRow.size() - 5);
    Bytes bigTable = Dib(4, picture, false, 8);
    PutU32(bigTable, 32, 200);
    Bytes hugeTable = Dib(4, picture, false, 8);
    PutU32(hugeTable, 32, 0xFFFFFFFF);
    const DWORD rgb565[3] = {0xF800, 0x07E0, 0x001F};
    Bytes cutMasks = MaskedDib(4, picture, 16, rgb565);
    cutMasks.resize(46);
    Bytes cutHeader = Dib(4, picture, false);
    cutHeader.resize(30);
    Bytes wide = Dib(4, picture, false);
    PutU32(wide, 4, 100000);
    PutU32(wide, 8, 1);
    // An RLE8 stream cut after its bottom row, with an image size claiming
    // far more: the table puts red at 0, green 1, blue 2, white 3, black 4.
    Bytes rle = Dib(4, picture, false, 8);
    rle.resize(40 + 6 * 4);
    PutU32(rle, 16, BI_RLE8);
    PutU32(rle, 20, 1000);
    rle.insert(rle.end(), {2, 2, 1, 3, 1, 4, 0, 0});

    struct Case {
        const char* name;
        Bytes bytes;
        Grid expected;
    };
    const Case cases[] = {
        // Six rows declared, three stored: a bottom-up bitmap stores its
        // bottom rows first, so those three are shown in the picture's
        // bottom half and its top half stays empty.
        {"bottom-up, taller than its bytes", tallBottomUp, Expected(picture, cx, cy, 0, 3, 3)},
        // Top-down stores the top rows first: they are shown, nothing below.
        {"top-down, taller than its bytes", tallTopDown, Expected(picture, cx, cy)},
        // The record ends inside the top row: only whole rows are shown.
        {"cut inside its top row", cutRow, Expected(picture, cx, cy, 1, 3)},
        // A colour table, or masks, or a header, that go past the record
        // leave nothing to paint: nothing is shown.
        {"200 colours declared, 6 stored", bigTable, nothing},
        {"4294967295 colours declared", hugeTable, nothing},
        {"masks cut", cutMasks, nothing},
        {"header cut", cutHeader, nothing},
        // A row longer than the whole record: not one row can be shown.
        {"a row wider than the record", wide, nothing},
        // Compressed bits are decoded as far as the record goes.
        {"RLE8 stream cut after its bottom row", rle, Expected(picture, cx, cy, 2, 3)},
    };
    std::vector<Bytes> records;
    for (const Case& c : cases)
        records.push_back(c.bytes);
    const std::vector<Grid> seen = PaintedGrids(records, cx, cy);
    ASSERT_EQ(seen.size(), std::size(cases));
    for (std::size_t i = 0; i < seen.size(); ++i)
        ExpectGrid(seen[i], cases[i].expected, 0, cases[i].name);
}

}  // namespace
