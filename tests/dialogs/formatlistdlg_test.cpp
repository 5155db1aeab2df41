// The clipboard format list under Wine: opened from the main window's status
// bar, its rows read back from the list control for a clipboard set up here.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/keeperapp.h"
#include "mainwnd/keeperdlg.h"
#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/keeper_window.h"
#include "tests/support/modal_driver.h"

namespace {

HWND FormatDialog() { return FindWindowA("#32770", "Contenu du Clipboard"); }

std::string CellText(HWND hList, int nItem, int nSubItem)
{
    char sz[300] = {};
    LVITEMA item{};
    item.iSubItem = nSubItem;
    item.pszText = sz;
    item.cchTextMax = sizeof sz;
    SendMessageA(hList, LVM_GETITEMTEXTA, nItem, reinterpret_cast<LPARAM>(&item));
    return sz;
}

struct Row {
    std::string type, id, size;
    bool operator==(const Row&) const = default;
};
void PrintTo(const Row& r, std::ostream* os) { *os << "{" << r.type << " | " << r.id << " | " << r.size << "}"; }

std::vector<Row> Rows(HWND hList)
{
    std::vector<Row> rows;
    for (int i = 0; i < ListView_GetItemCount(hList); ++i)
        rows.push_back({CellText(hList, i, 0), CellText(hList, i, 1), CellText(hList, i, 2)});
    return rows;
}

// The formats on the clipboard, in enumeration order, as another program sees them.
std::vector<UINT> ClipboardIds(HWND hReader)
{
    std::vector<UINT> ids;
    if (!OpenClipboard(hReader))
        return ids;
    for (UINT id = EnumClipboardFormats(0); id != 0; id = EnumClipboardFormats(id))
        ids.push_back(id);
    CloseClipboard();
    return ids;
}

// A 2 x 2 24-bit DIB.
Bytes SmallDib()
{
    BITMAPINFOHEADER h{sizeof h, 2, 2, 1, 24, BI_RGB, 16, 0, 0, 0, 0};
    Bytes b(reinterpret_cast<BYTE*>(&h), reinterpret_cast<BYTE*>(&h) + sizeof h);
    b.resize(sizeof h + 16, 0x80);
    return b;
}

const Row* FindRow(const std::vector<Row>& rows, const std::string& id)
{
    for (const Row& r : rows)
        if (r.id == id)
            return &r;
    return nullptr;
}

BOOL WINAPI RefuseToOpen(HWND) { return FALSE; }

// Notices the status bar sends its parent, with whether the list was open.
struct Notice {
    UINT code;
    bool bListOpen;
};
std::vector<Notice>* g_pNotices = nullptr;

LRESULT CALLBACK WatchNotices(int nCode, WPARAM wParam, LPARAM lParam)
{
    const auto* p = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && g_pNotices != nullptr && p->message == WM_NOTIFY) {
        const auto* pHdr = reinterpret_cast<const NMHDR*>(p->lParam);
        if (pHdr->idFrom == IDC_STATUSBAR)
            g_pNotices->push_back({pHdr->code, FormatDialog() != nullptr});
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

class FormatList : public KeeperWindowTest {
protected:
    void OpenFromStatusBar() { PostMessageA(Status(), WM_RBUTTONDBLCLK, 0, MAKELPARAM(5, 5)); }
    // The format list's own list control.
    static HWND FormatRows() { return GetDlgItem(FormatDialog(), IDC_CLIPLIST); }
    static void Refresh()
    {
        PostMessageA(FormatDialog(), WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(FormatDialog(), IDC_REFRESH)));
    }
};

TEST_F(FormatList, RowsNameEveryFormatWithItsIdAndSizeInClipboardOrder)
{
    const UINT nRegistered = RegisterFormat("Trovelle Essai");
    const UINT nPrivate = 0x2A0;
    ASSERT_TRUE(source.Offer({{nRegistered, PatternBytes(10, 1)},
                              {CF_DIB, SmallDib()},
                              {nPrivate, PatternBytes(33, 2)},
                              {CF_TIFF, {}, SourceFormat::Refused}}));
    const std::vector<UINT> ids = ClipboardIds(reader.hwnd());
    std::vector<Row> rows;
    std::vector<std::string> headings;
    std::vector<int> formats, widths;
    int nListWidth = 0;

    ModalScript script;
    script.Then([&] { OpenFromStatusBar(); })
        .Then([] {})  // the dialog shows once its queue is idle
        .Then([&] {
            ASSERT_NE(FormatDialog(), nullptr);
            rows = Rows(FormatRows());
            RECT rc;
            GetWindowRect(FormatRows(), &rc);
            nListWidth = rc.right - rc.left;
            for (int i = 0; i < 3; ++i) {
                char sz[32] = {};
                LVCOLUMNA col{};
                col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
                col.pszText = sz;
                col.cchTextMax = sizeof sz;
                SendMessageA(FormatRows(), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
                headings.push_back(sz);
                formats.push_back(col.fmt & LVCFMT_JUSTIFYMASK);
                widths.push_back(col.cx);
            }
            EXPECT_NE(GetWindowLongPtrA(FormatRows(), GWL_STYLE) & LVS_NOSORTHEADER, 0);
            SaveWindowPicture(FormatDialog(), "format_list");
            PostMessageA(FormatDialog(), WM_CLOSE, 0, 0);
        });
    // The main window's loop ends only once the list's own loop has: the
    // close is seen there, whatever else the queue held at the next tick.
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_EQ(FormatDialog(), nullptr);

    EXPECT_EQ(headings, (std::vector<std::string>{"Type", "ID", "Taille"}));
    EXPECT_EQ(formats, (std::vector<int>{LVCFMT_LEFT, LVCFMT_CENTER, LVCFMT_RIGHT}));
    EXPECT_EQ(widths, (std::vector<int>{nListWidth - 149, 45, 100}));

    // One row per format, in the clipboard's order, also the ones the system adds.
    ASSERT_EQ(rows.size(), ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(rows[i].id, std::to_string(ids[i])) << i;

    const Row* pRegistered = FindRow(rows, std::to_string(nRegistered));
    ASSERT_NE(pRegistered, nullptr);
    EXPECT_EQ(*pRegistered, (Row{"Trovelle Essai", std::to_string(nRegistered), "10 octets"}));
    const Row* pDib = FindRow(rows, "8");
    ASSERT_NE(pDib, nullptr);
    EXPECT_EQ(*pDib, (Row{"CF_DIB", "8", "56 octets"}));
    // A bitmap handle is no memory block: no size, whatever the picture's.
    const Row* pBitmap = FindRow(rows, "2");
    ASSERT_NE(pBitmap, nullptr) << "the system offers CF_BITMAP beside CF_DIB";
    EXPECT_EQ(*pBitmap, (Row{"CF_BITMAP", "2", "0 octets"}));
    const Row* pPrivate = FindRow(rows, "672");
    ASSERT_NE(pPrivate, nullptr);
    EXPECT_EQ(*pPrivate, (Row{"CF_PRIVATEFIRST ~ CF_PRIVATELAST", "672", "33 octets"}));
    const Row* pEmpty = FindRow(rows, "6");
    ASSERT_NE(pEmpty, nullptr);
    EXPECT_EQ(*pEmpty, (Row{"CF_TIFF", "6", "Vide"}));
}

TEST_F(FormatList, RefreshReplacesEveryRowAndAClipboardHeldElsewhereKeepsThem)
{
    ASSERT_TRUE(source.Offer({{RegisterFormat("Trovelle Avant"), PatternBytes(5, 3)}}));
    std::vector<Row> before, unrefreshed, after, whileRefused, empty;
    std::vector<UINT> idsAfter;
    std::optional<SysOverride<decltype(SysApi::OpenClipboard)>> refuse;

    ModalScript script;
    script.Then([&] { OpenFromStatusBar(); })
        .Then([&] {
            ASSERT_NE(FormatDialog(), nullptr);
            before = Rows(FormatRows());
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("autre")}}));
            idsAfter = ClipboardIds(reader.hwnd());
        })
        .Then([&] {
            unrefreshed = Rows(FormatRows());  // later changes show only after a refresh
            Refresh();
        })
        .Then([&] {
            after = Rows(FormatRows());
            SaveWindowPicture(FormatDialog(), "format_list_refreshed");  // repainted after the fill
            refuse.emplace(&SysApi::OpenClipboard, RefuseToOpen);
            ASSERT_TRUE(EmptyTheClipboard(reader.hwnd()));
            Refresh();
        })
        .Then([&] {
            whileRefused = Rows(FormatRows());
            refuse.reset();
            Refresh();
        })
        .Then([&] {
            empty = Rows(FormatRows());
            PostMessageA(FormatDialog(), WM_CLOSE, 0, 0);
        });
    EXPECT_TRUE(RunMainWindow(script));

    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0].type, "Trovelle Avant");
    EXPECT_EQ(unrefreshed, before);
    ASSERT_EQ(after.size(), idsAfter.size());
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after[0], (Row{"CF_TEXT", "1", "6 octets"}));
    for (const Row& r : after)
        EXPECT_NE(r.type, "Trovelle Avant") << "rows are replaced, never appended";
    EXPECT_EQ(whileRefused, after);
    EXPECT_TRUE(empty.empty());
}

TEST_F(FormatList, RightDoubleClickOnTheStatusBarOpensTheListThenTheBarHandlesIt)
{
    char szClass[64] = {};
    std::vector<Notice> notices;
    g_pNotices = &notices;
    HHOOK hHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchNotices, nullptr, GetCurrentThreadId());
    ASSERT_NE(hHook, nullptr);
    bool bOpened = false;
    bool bOwnerDisabled = false;

    ModalScript script;
    script
        .Then([&] {
            // Without double-click messages from its class the bar could never be double-clicked.
            EXPECT_NE(GetClassLongPtrA(Status(), GCL_STYLE) & CS_DBLCLKS, 0u);
            GetClassNameA(Status(), szClass, sizeof szClass);
            OpenFromStatusBar();
        })
        .Then([&] {
            bOpened = FormatDialog() != nullptr;
            bOwnerDisabled = !IsWindowEnabled(dlg.m_hWnd);
            EXPECT_EQ(GetWindow(FormatDialog(), GW_OWNER), dlg.m_hWnd);
            PostMessageA(FormatDialog(), WM_CLOSE, 0, 0);
        })
        .Then([] {});
    EXPECT_TRUE(RunMainWindow(script));
    UnhookWindowsHookEx(hHook);
    g_pNotices = nullptr;

    EXPECT_STREQ(szClass, "msctls_statusbar32");
    EXPECT_TRUE(bOpened);
    EXPECT_TRUE(bOwnerDisabled);
    std::vector<Notice> dblClicks;
    for (const Notice& n : notices)
        if (n.code == static_cast<UINT>(NM_RDBLCLK))
            dblClicks.push_back(n);
    ASSERT_EQ(dblClicks.size(), 1u) << "the bar's own handling runs once";
    EXPECT_FALSE(dblClicks[0].bListOpen) << "and only after the list has closed";
}

}  // namespace
