// Message maps on real windows: a modeless dialog of the test template and
// subclassed controls, driven with SendMessage as the system would.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "tests/fw/fw_test_support.h"

namespace {

std::string Str(const char* format, ...)
{
    char sz[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(sz, sizeof sz, format, args);
    va_end(args);
    return sz;
}

using Log = std::vector<std::string>;

class CMapDlg : public CDialog {
public:
    CMapDlg() : CDialog(IDD_FW_TEST) {}
    Log m_log;
    LRESULT m_beginEditResult = FALSE;
    bool m_bPaintWithDC = false;
    HCURSOR m_hDragIcon = LoadCursorA(nullptr, IDC_ARROW);
    HBRUSH m_hEditBrush = GetSysColorBrush(COLOR_INFOBK);

protected:
    void OnPaint()
    {
        m_log.push_back("OnPaint");
        if (m_bPaintWithDC) {
            CPaintDC dc(this);
            dc.DrawIcon(0, 0, LoadIconA(nullptr, IDI_APPLICATION));
        } else {
            CDialog::OnPaint();
        }
    }
    void OnSize(UINT nType, int cx, int cy) { m_log.push_back(Str("OnSize %u %d %d", nType, cx, cy)); }
    void OnSysCommand(UINT nID, LPARAM lParam)
    {
        m_log.push_back(Str("OnSysCommand %#x %#llx", nID, static_cast<long long>(lParam)));
        CDialog::OnSysCommand(nID, lParam);
    }
    HCURSOR OnQueryDragIcon() { return m_hDragIcon; }
    void OnInitMenu(CMenuHandle* pMenu) { m_log.push_back(Str("OnInitMenu %p", static_cast<void*>(pMenu->GetSafeHmenu()))); }
    void OnDrawClipboard() { m_log.push_back("OnDrawClipboard"); }
    void OnChangeCbChain(HWND hWndRemove, HWND hWndAfter)
    {
        m_log.push_back(Str("OnChangeCbChain %p %p", static_cast<void*>(hWndRemove), static_cast<void*>(hWndAfter)));
    }
    void OnDestroyClipboard() { m_log.push_back("OnDestroyClipboard"); }
    void OnRButtonDblClk(UINT nFlags, CPoint point)
    {
        m_log.push_back(Str("OnRButtonDblClk %u %ld %ld", nFlags, point.x, point.y));
    }
    void OnCancel() override
    {
        m_log.push_back("OnCancel");
        CDialog::OnCancel();
    }
    void OnOK() override { m_log.push_back("OnOK"); }
    void OnFirst() { m_log.push_back("OnFirst"); }
    void OnSecond() { m_log.push_back("OnSecond"); }
    void OnButton() { m_log.push_back("OnButton"); }
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_log.push_back(Str("OnBeginLabelEdit %d %p", static_cast<int>(pNMHDR->idFrom),
                            static_cast<void*>(pNMHDR->hwndFrom)));
        *pResult = m_beginEditResult;
    }
    void OnItemChanged(NMLISTVIEW* pInfo, LRESULT*) { m_log.push_back(Str("OnItemChanged %d", pInfo->iItem)); }
    void OnTipShow(NMHDR*, LRESULT*) { m_log.push_back("OnTipShow"); }
    void OnEndLabelEdit(NMLVDISPINFOW* pInfo, LRESULT*)
    {
        m_log.push_back(Str("OnEndLabelEdit %s", pInfo->item.pszText != nullptr ? CW2A(pInfo->item.pszText).GetString() : "-"));
    }
    LRESULT OnApp(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam + lParam); }
    LRESULT OnThrow(WPARAM wParam, LPARAM)
    {
        m_log.push_back("OnThrow");
        if (wParam != 0)
            throw std::bad_alloc();
        throw 42;
    }
    LRESULT OnCtlColorEdit(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hEditBrush); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMapDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_SYSCOMMAND()
    ON_WM_QUERYDRAGICON()
    ON_WM_INITMENU()
    ON_WM_DRAWCLIPBOARD()
    ON_WM_CHANGECBCHAIN()
    ON_WM_DESTROYCLIPBOARD()
    ON_WM_RBUTTONDBLCLK()
    ON_COMMAND(ID_FW_FIRST, OnFirst)
    ON_COMMAND(ID_FW_SECOND, OnSecond)
    ON_BN_CLICKED(IDC_FW_BUTTON, OnButton)
    ON_NOTIFY(LVN_BEGINLABELEDITW, IDC_FW_LIST, OnBeginLabelEdit)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_FW_LIST, OnItemChanged)
    ON_NOTIFY(TTN_SHOW, 0, OnTipShow)
    ON_NOTIFY_TEXT(LVN_ENDLABELEDITW, IDC_FW_LIST, OnEndLabelEdit, 10)
    ON_MESSAGE(WM_APP + 1, OnApp)
    ON_MESSAGE(WM_APP + 2, OnThrow)
    ON_MESSAGE(WM_CTLCOLOREDIT, OnCtlColorEdit)
END_MESSAGE_MAP()

// Its own map comes first; what it lacks goes to CMapDlg's.
class CDerivedDlg : public CMapDlg {
protected:
    void OnFirstAgain() { m_log.push_back("OnFirstAgain"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedDlg, CMapDlg)
    ON_COMMAND(ID_FW_FIRST, OnFirstAgain)
END_MESSAGE_MAP()

class CTestStatusBar : public CStatusBarCtrl {
public:
    Log m_log;

protected:
    void OnRButtonDblClk(UINT nFlags, CPoint point)
    {
        m_log.push_back(Str("bar OnRButtonDblClk %u %ld %ld", nFlags, point.x, point.y));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestStatusBar, CStatusBarCtrl)
    ON_WM_RBUTTONDBLCLK()
END_MESSAGE_MAP()

// Lets every character through to the control but 'x'.
class CFilterEdit : public CEdit {
protected:
    LRESULT OnChar(WPARAM wParam, LPARAM) { return wParam == 'x' ? 0 : Default(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFilterEdit, CEdit)
    ON_MESSAGE(WM_CHAR, OnChar)
END_MESSAGE_MAP()

// A control whose handler runs out of memory.
class CThrowingEdit : public CEdit {
protected:
    LRESULT OnChar(WPARAM, LPARAM) { throw std::bad_alloc(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingEdit, CEdit)
    ON_MESSAGE(WM_CHAR, OnChar)
END_MESSAGE_MAP()

class MessageMap : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dlg.Create(IDD_FW_TEST));
        dlg.ShowWindow(SW_SHOW);
        PumpMessages();
        dlg.m_log.clear();
    }
    void TearDown() override { dlg.DestroyWindow(); }
    HWND Item(int nID) const { return GetDlgItem(dlg.m_hWnd, nID); }
    CDerivedDlg dlg;
};

TEST_F(MessageMap, WindowMessagesReachTheirHandlersWithTheirArguments)
{
    const HMENU hMenu = CreateMenu();
    const HWND hA = Item(IDC_FW_EDIT), hB = Item(IDC_FW_BUTTON);
    dlg.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(300, 200));
    dlg.SendMessage(WM_SYSCOMMAND, 0xF1F0, 0x12345);  // no such command: the default does nothing
    dlg.SendMessage(WM_INITMENU, reinterpret_cast<WPARAM>(hMenu));
    dlg.SendMessage(WM_DRAWCLIPBOARD);
    dlg.SendMessage(WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(hA), reinterpret_cast<LPARAM>(hB));
    dlg.SendMessage(WM_DESTROYCLIPBOARD);
    dlg.SendMessage(WM_RBUTTONDBLCLK, MK_RBUTTON | MK_SHIFT, MAKELPARAM(-5, 7));
    const Log expected = {
        "OnSize 2 300 200",
        "OnSysCommand 0xf1f0 0x12345",
        Str("OnInitMenu %p", static_cast<void*>(hMenu)),
        "OnDrawClipboard",
        Str("OnChangeCbChain %p %p", static_cast<void*>(hA), static_cast<void*>(hB)),
        "OnDestroyClipboard",
        "OnRButtonDblClk 6 -5 7",
    };
    EXPECT_EQ(dlg.m_log, expected);
    DestroyMenu(hMenu);
}

TEST_F(MessageMap, CommandsAndNotificationsReachTheRightHandlers)
{
    const HWND hButton = Item(IDC_FW_BUTTON);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FW_SECOND, 0), 0);  // menu
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FW_SECOND, 1), 0);  // accelerator
    // Code 1 from a control is a notification of its own, not a command.
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FW_SECOND, 1), reinterpret_cast<LPARAM>(hButton));
    SendMessageA(hButton, BM_CLICK, 0, 0);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FW_BUTTON, BN_SETFOCUS), reinterpret_cast<LPARAM>(hButton));
    // The derived map first, then the base's, then CDialog's (IDOK to the
    // virtual OnOK), then the application's.
    dlg.SendMessage(WM_COMMAND, ID_FW_FIRST, 0);
    dlg.SendMessage(WM_COMMAND, IDOK, 0);
    const int nAppCommands = theTestApp.m_nAppCommands;
    dlg.SendMessage(WM_COMMAND, ID_FW_APP, 0);
    EXPECT_EQ(theTestApp.m_nAppCommands, nAppCommands + 1);
    const Log expected = {"OnSecond", "OnSecond", "OnButton", "OnFirstAgain", "OnOK"};
    EXPECT_EQ(dlg.m_log, expected);
}

TEST_F(MessageMap, TheListViewSeesTheNotificationResult)
{
    CListCtrl list;
    ASSERT_TRUE(list.SubclassWindow(Item(IDC_FW_LIST)));
    list.InsertItem(LVIF_TEXT, 0, "Texte", 0, 0, 0, 0);

    // TRUE from LVN_BEGINLABELEDIT refuses the edit, FALSE allows it.
    dlg.m_beginEditResult = TRUE;
    EXPECT_EQ(list.EditLabel(0), nullptr);
    dlg.m_beginEditResult = FALSE;
    const HWND hEdit = list.EditLabel(0);
    ASSERT_NE(hEdit, nullptr);
    EXPECT_TRUE(IsWindow(hEdit));
    EXPECT_EQ(list.GetEditControl(), hEdit);
    const std::string begin = Str("OnBeginLabelEdit %d %p", IDC_FW_LIST, static_cast<void*>(list.m_hWnd));
    std::erase_if(dlg.m_log, [](const std::string& s) { return s.rfind("OnItemChanged", 0) == 0; });
    EXPECT_EQ(dlg.m_log, (Log{begin, begin}));
}

// Notifications from the dialog's own windows reach their handlers whole; any
// other, or one whose structure or text cannot be read here in full, gets the
// default processing.
TEST_F(MessageMap, NotificationsReachTheirHandlersOnlyFromOurWindowsAndWhole)
{
    const HWND hTip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, dlg, nullptr, nullptr, nullptr);
    CScriptedDlg owned(&dlg);
    ASSERT_TRUE(owned.Create(IDD_FW_TEST));  // its list has the same id as ours
    // A page that can be read, followed by one that cannot.
    constexpr std::size_t kPage = 4096;
    auto* pRegion = static_cast<char*>(VirtualAlloc(nullptr, 2 * kPage, MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(VirtualAlloc(pRegion, kPage, MEM_COMMIT, PAGE_READWRITE), nullptr);
    char* const pEnd = pRegion + kPage;
    wchar_t szTen[] = L"dix lettr\u00e9", szEleven[] = L"onze lettre";
    auto* pCut = reinterpret_cast<wchar_t*>(pEnd - 6);
    const HWND hList = Item(IDC_FW_LIST);
    const auto kEdit = static_cast<UINT>(LVN_ENDLABELEDITW), kChange = static_cast<UINT>(LVN_ITEMCHANGED);
    const struct {
        const char* pszWhat;
        HWND hFrom;
        UINT_PTR nID;
        UINT nCode;
        wchar_t* pszText;  // of a label edit
        int nPastEdge;   // how far the structure goes into the unreadable page; -1: it lies elsewhere
        const char* pszHeard;
    } rows[] = {
        {"our list", hList, IDC_FW_LIST, kChange, nullptr, -1, "OnItemChanged 3"},
        {"our tooltip", hTip, 0, TTN_SHOW, nullptr, -1, "OnTipShow"},
        {"a dialog we own, with our list's id", owned, IDC_FW_LIST, kChange, nullptr, -1, nullptr},
        {"its list", GetDlgItem(owned, IDC_FW_LIST), IDC_FW_LIST, kChange, nullptr, -1, nullptr},
        {"another program's window", GetDesktopWindow(), IDC_FW_LIST, kChange, nullptr, -1, nullptr},
        {"a whole structure up to the edge", hList, IDC_FW_LIST, kChange, nullptr, 0, "OnItemChanged 3"},
        {"a structure cut short", hList, IDC_FW_LIST, kChange, nullptr, 4, nullptr},
        {"a text at the limit", hList, IDC_FW_LIST, kEdit, szTen, -1, "OnEndLabelEdit dix lettr\xc3\xa9"},
        {"no text", hList, IDC_FW_LIST, kEdit, nullptr, -1, "OnEndLabelEdit -"},
        {"a text too long", hList, IDC_FW_LIST, kEdit, szEleven, -1, nullptr},
        {"a text cut short", hList, IDC_FW_LIST, kEdit, pCut, -1, nullptr},
    };
    for (const auto& r : rows) {
        dlg.m_log.clear();
        memcpy(pCut, L"abc", 6);  // no terminator before the edge
        NMLISTVIEW change{};
        NMLVDISPINFOW edit{};
        change.hdr = edit.hdr = {r.hFrom, r.nID, r.nCode};
        change.iItem = edit.item.iItem = 3;
        edit.item.pszText = r.pszText;
        char* p = r.nCode == kEdit ? reinterpret_cast<char*>(&edit) : reinterpret_cast<char*>(&change);
        if (r.nPastEdge >= 0) {
            memcpy(pEnd - sizeof change + r.nPastEdge, p, sizeof change - r.nPastEdge);
            p = pEnd - sizeof change + r.nPastEdge;
        }
        dlg.SendMessage(WM_NOTIFY, r.nID, reinterpret_cast<LPARAM>(p));
        EXPECT_EQ(dlg.m_log, r.pszHeard != nullptr ? Log{r.pszHeard} : Log{}) << r.pszWhat;
    }
    VirtualFree(pRegion, 0, MEM_RELEASE);
    DestroyWindow(hTip);
}

TEST_F(MessageMap, SomeResultsAreReturnedDirectly)
{
    EXPECT_EQ(dlg.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(dlg.m_hDragIcon));
    EXPECT_EQ(dlg.SendMessage(WM_CTLCOLOREDIT, 0, reinterpret_cast<LPARAM>(Item(IDC_FW_EDIT))),
              reinterpret_cast<LRESULT>(dlg.m_hEditBrush));
    EXPECT_EQ(dlg.SendMessage(WM_APP + 1, 40, 2), 42);  // through DWLP_MSGRESULT
}

TEST_F(MessageMap, UnhandledMessagesAndBaseHandlersGetTheDefaultProcessing)
{
    dlg.SendMessage(DM_SETDEFID, IDC_FW_BUTTON);
    EXPECT_EQ(dlg.SendMessage(DM_GETDEFID), MAKELRESULT(IDC_FW_BUTTON, DC_HASDEFID));
    dlg.SetWindowText("Nouveau titre");
    EXPECT_STREQ(CWnd::GetWindowTextOf(dlg), "Nouveau titre");

    // Painting through the base handler and through a paint DC both
    // validate the window: a second UpdateWindow paints nothing.
    for (bool bWithDC : {false, true}) {
        dlg.m_bPaintWithDC = bWithDC;
        dlg.m_log.clear();
        dlg.Invalidate();
        UpdateWindow(dlg);
        UpdateWindow(dlg);
        EXPECT_FALSE(GetUpdateRect(dlg.m_hWnd, nullptr, FALSE));
        EXPECT_EQ(dlg.m_log, Log{"OnPaint"}) << bWithDC;
    }

    dlg.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    EXPECT_TRUE(dlg.IsIconic());
    dlg.ShowWindow(SW_RESTORE);
    PumpMessages();

    // WM_CLOSE, taken by no map, becomes the cancel command.
    dlg.m_log.clear();
    dlg.SendMessage(WM_CLOSE);
    PumpMessages();
    EXPECT_EQ(dlg.m_log, (Log{"OnCancel"}));
    EXPECT_FALSE(dlg.IsWindowVisible());  // a modeless dialog is hidden by EndDialog
}

TEST_F(MessageMap, NoExceptionCrossesAWindowProcedure)
{
    // Sent and posted alike, through the dialog procedure: the handler's
    // exception ends there, and the window goes on as before.
    EXPECT_EQ(dlg.SendMessage(WM_APP + 2, 1, 0), 0);
    EXPECT_EQ(dlg.SendMessage(WM_APP + 2, 0, 0), 0);
    dlg.PostMessage(WM_APP + 2, 1, 0);
    PumpMessages();
    EXPECT_EQ(dlg.m_log, (Log{"OnThrow", "OnThrow", "OnThrow"}));
    EXPECT_EQ(dlg.SendMessage(WM_APP + 1, 2, 3), 5);

    // And through the procedure of a subclassed control.
    CThrowingEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(Item(IDC_FW_EDIT)));
    EXPECT_EQ(edit.SendMessage(WM_CHAR, 'a', 1), 0);
    EXPECT_TRUE(IsWindow(edit.m_hWnd));
}

TEST_F(MessageMap, SubclassedControlsHaveMapsOfTheirOwn)
{
    CTestStatusBar bar;
    ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &dlg, 104));
    EXPECT_EQ(GetDlgItem(dlg.m_hWnd, 104), bar.m_hWnd);
    bar.SendMessage(WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(12, 3));
    EXPECT_EQ(bar.m_log, Log{"bar OnRButtonDblClk 2 12 3"});
    bar.SetText("Total : 0.0 Ko", 0, 0);  // not in the map: the control's own
    char sz[64] = {};
    bar.SendMessage(SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(sz));
    EXPECT_STREQ(sz, "Total : 0.0 Ko");

    CFilterEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(Item(IDC_FW_EDIT)));
    CEdit other;
    EXPECT_FALSE(other.SubclassWindow(Item(IDC_FW_EDIT)));
    for (char ch : std::string("axb"))
        edit.SendMessage(WM_CHAR, static_cast<WPARAM>(ch), 1);
    EXPECT_STREQ(CWnd::GetWindowTextOf(edit), "ab");

    EXPECT_EQ(CWnd::FromHandlePermanent(bar.m_hWnd), &bar);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit.m_hWnd), &edit);
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.m_hWnd), &dlg);
    EXPECT_EQ(CWnd::FromHandlePermanent(Item(IDC_FW_EDIT)), &edit);

    // Destroying the dialog lets every object go of its window.
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(bar.m_hWnd, nullptr);
    EXPECT_EQ(edit.m_hWnd, nullptr);
}

TEST_F(MessageMap, AViewOfAWindowThatIsNotOursOwnsNothing)
{
    const HWND hButton = Item(IDC_FW_BUTTON);
    {
        CWndView<CWnd> button(hButton);
        EXPECT_EQ(button.m_hWnd, hButton);
        EXPECT_EQ(CWnd::FromHandlePermanent(hButton), nullptr);  // not subclassed
        button.SetWindowText("Vu");
    }
    EXPECT_TRUE(IsWindow(hButton));
    EXPECT_STREQ(CWnd::GetWindowTextOf(hButton), "Vu");
    CWndView<CEdit> none(nullptr);  // a label editor that never came
    none.LimitText(5);
}

}  // namespace
