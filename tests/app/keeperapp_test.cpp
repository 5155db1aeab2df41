// The whole life of the program through the application object: options
// loaded at start, the main window run, clips deleted and options saved at
// the end. The registry is Wine's real one, in the test prefix.
#include <gtest/gtest.h>

#include "app/keeperapp.h"
#include "base/sysapi.h"
#include "clips/clip.h"
#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/modal_driver.h"
#include "tests/support/settings_key.h"

namespace {

struct Options {
    DWORD autoName, taskIcon, hide, autoPaste;
    bool operator==(const Options&) const = default;
};
void PrintTo(const Options& o, std::ostream* os)
{
    *os << "{name " << o.autoName << ", icon " << o.taskIcon << ", hide " << o.hide << ", paste " << o.autoPaste
        << "}";
}

Options Stored()
{
    return {StoredOption("Auto Name"), StoredOption("Task Icon"), StoredOption("Hide"), StoredOption("Auto Paste")};
}

Options InMemory()
{
    return {static_cast<DWORD>(theKeeperApp.m_bAutoName), static_cast<DWORD>(theKeeperApp.m_bTaskIcon),
            static_cast<DWORD>(theKeeperApp.m_bHideWhenMinimized), static_cast<DWORD>(theKeeperApp.m_bAutoPaste)};
}

HWND MainWnd() { return theKeeperApp.m_pMainWnd != nullptr ? theKeeperApp.m_pMainWnd->m_hWnd : nullptr; }

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteSettings();
        // Whatever the object held before, a start begins from the registry.
        theKeeperApp.m_bAutoName = theKeeperApp.m_bAutoPaste = 1;
        theKeeperApp.m_bTaskIcon = 0;
        theKeeperApp.m_bHideWhenMinimized = 1;
        theKeeperApp.m_dwTotalBytes = 1234;
    }
    void TearDown() override { DeleteSettings(); }

    bool Run(ModalScript& script)
    {
        return script.Run([&] { returned = theKeeperApp.InitInstance(); },
                          [] { static_cast<CDialog*>(theKeeperApp.m_pMainWnd)->EndDialog(IDABORT); });
    }
    BOOL returned = TRUE;
};

TEST_F(Lifecycle, FirstStartRunsWithAllOptionsOffAndTheExitWritesAllFour)
{
    Options during{};
    DWORD totalDuring = 99;
    bool bKeyDuring = true;
    ModalScript script;
    script.Then([&] {
              during = InMemory();
              totalDuring = theKeeperApp.m_dwTotalBytes;
              bKeyDuring = ReadSetting("Auto Name").bPresent;
              ASSERT_NE(MainWnd(), nullptr);
              EXPECT_TRUE(IsWindowVisible(MainWnd()));
              PostMessageA(MainWnd(), WM_COMMAND, ID_FICHIER_QUITTER, 0);
          });
    EXPECT_TRUE(Run(script));
    EXPECT_EQ(returned, FALSE);
    EXPECT_EQ(theKeeperApp.m_pMainWnd, nullptr);
    EXPECT_EQ(during, (Options{0, 0, 0, 0}));
    EXPECT_EQ(totalDuring, 0u);
    EXPECT_FALSE(bKeyDuring);
    EXPECT_EQ(Stored(), (Options{0, 0, 0, 0}));
}

TEST_F(Lifecycle, OptionsChangedDuringARunReachTheRegistryOnlyAtExit)
{
    WriteOptions(0, 0, 0, 0);
    Options storedDuring{};
    ModalScript script;
    script
        .Then([&] {
            SendMessageA(MainWnd(), WM_COMMAND, ID_OPTIONS_NOMMAGEAUTOMATIQUE, 0);
            SendMessageA(MainWnd(), WM_COMMAND, ID_OPTIONS_COLLAGEAUTOMATIQUE, 0);
            SendMessageA(MainWnd(), WM_COMMAND, ID_OPTIONS_CACHER, 0);
        })
        .Then([&] {
            storedDuring = Stored();
            PostMessageA(MainWnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        });
    EXPECT_TRUE(Run(script));
    EXPECT_EQ(storedDuring, (Options{0, 0, 0, 0}));
    EXPECT_EQ(Stored(), (Options{1, 0, 1, 1}));

    // The next start reads them back.
    Options loaded{};
    ModalScript again;
    again.Then([&] {
        loaded = InMemory();
        PostMessageA(MainWnd(), WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(Run(again));
    EXPECT_EQ(loaded, (Options{1, 0, 1, 1}));
}

int g_nIconsRemoved = 0;
BOOL WINAPI CountIconRemovals(DWORD dwMessage, PNOTIFYICONDATAW pnid)
{
    g_nIconsRemoved += dwMessage == NIM_DELETE ? 1 : 0;
    return ::Shell_NotifyIconW(dwMessage, pnid);
}

TEST_F(Lifecycle, TheSessionsEndKeepsTheOptionsAtOnceAndACancelledEndChangesNothing)
{
    // A logoff ends the process soon after WM_ENDSESSION: the exit's write
    // would never come.
    WriteOptions(0, 1, 0, 0);
    SysOverride<decltype(SysApi::Shell_NotifyIconW)> notify{&SysApi::Shell_NotifyIconW, CountIconRemovals};
    g_nIconsRemoved = 0;
    ModalScript script;
    script
        .Then([&] {
            SendMessageA(MainWnd(), WM_COMMAND, ID_OPTIONS_NOMMAGEAUTOMATIQUE, 0);
            SendMessageA(MainWnd(), WM_COMMAND, ID_OPTIONS_COLLAGEAUTOMATIQUE, 0);
            EXPECT_EQ(SendMessageA(MainWnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
            SendMessageA(MainWnd(), WM_ENDSESSION, FALSE, 0);
            EXPECT_EQ(Stored(), (Options{0, 1, 0, 0}));
            EXPECT_EQ(g_nIconsRemoved, 0);
            EXPECT_EQ(GetClipboardViewer(), MainWnd());
        })
        .Then([&] {
            // The restart manager closing the program for an update, as a logoff.
            SendMessageA(MainWnd(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
            EXPECT_EQ(Stored(), (Options{1, 1, 0, 1}));
            EXPECT_EQ(g_nIconsRemoved, 1);
            EXPECT_NE(GetClipboardViewer(), MainWnd());
            // Should the process go on after all, its exit does none of it again.
            SendMessageA(MainWnd(), WM_COMMAND, ID_OPTIONS_CACHER, 0);
            PostMessageA(MainWnd(), WM_CLOSE, 0, 0);
        });
    EXPECT_TRUE(Run(script));
    EXPECT_EQ(Stored(), (Options{1, 1, 0, 1}));
    EXPECT_EQ(g_nIconsRemoved, 1);
}

// How the DLL search was restricted, and whether the settings had been read
// or a window made by then.
struct DllSearch {
    DWORD dwDefaultFlags = 0;
    const wchar_t* pszDirectory = nullptr;
    int nCalls = 0;
    bool bLate = false;
};
DllSearch g_dllSearch;
bool g_bRegistryOpened = false;
LSTATUS WINAPI NoteRegistryOpen(HKEY hKey, LPCSTR pszKey, DWORD dwOptions, REGSAM sam, PHKEY phKey)
{
    g_bRegistryOpened = true;
    return ::RegOpenKeyExA(hKey, pszKey, dwOptions, sam, phKey);
}
void NoteDllSearch()
{
    g_dllSearch.bLate |= g_dllSearch.nCalls++ == 0 && (g_bRegistryOpened || theKeeperApp.m_pMainWnd != nullptr);
}
BOOL WINAPI RecordDefaultDllDirectories(DWORD dwFlags)
{
    NoteDllSearch();
    g_dllSearch.dwDefaultFlags = dwFlags;
    return TRUE;
}
BOOL WINAPI RecordDllDirectory(LPCWSTR pszDirectory)
{
    NoteDllSearch();
    g_dllSearch.pszDirectory = pszDirectory;
    return TRUE;
}

TEST_F(Lifecycle, TheDllSearchLeavesTheProgramsFolderBeforeAnythingElse)
{
    SysOverride<decltype(SysApi::RegOpenKeyExA)> opens{&SysApi::RegOpenKeyExA, NoteRegistryOpen};
    SysOverride<decltype(SysApi::SetDllDirectoryW)> directory{&SysApi::SetDllDirectoryW, RecordDllDirectory};
    for (const bool bSystemHasDefaults : {true, false}) {
        SysOverride<decltype(SysApi::SetDefaultDllDirectories)> defaults{
            &SysApi::SetDefaultDllDirectories, bSystemHasDefaults ? RecordDefaultDllDirectories : nullptr};
        g_dllSearch = {};
        g_bRegistryOpened = false;
        ModalScript script;
        script.Then([&] { PostMessageA(MainWnd(), WM_CLOSE, 0, 0); });
        EXPECT_TRUE(Run(script));
        EXPECT_EQ(g_dllSearch.nCalls, 1) << bSystemHasDefaults;
        EXPECT_FALSE(g_dllSearch.bLate) << bSystemHasDefaults;
        // Where the system has no default directories, the current folder at
        // least leaves the search.
        EXPECT_EQ(g_dllSearch.dwDefaultFlags, bSystemHasDefaults ? DWORD{LOAD_LIBRARY_SEARCH_SYSTEM32} : 0u);
        EXPECT_EQ(g_dllSearch.pszDirectory == nullptr, bSystemHasDefaults);
        if (g_dllSearch.pszDirectory != nullptr) {
            EXPECT_STREQ(g_dllSearch.pszDirectory, L"");
        }
    }
}

TEST_F(Lifecycle, AValueThatDoesNotLoadTurnsEveryOptionOffAndTheExitRewritesIt)
{
    WriteOptions(1, 1, 1, 1);
    const BYTE five[5] = {1, 1, 1, 1, 1};
    WriteSetting("Auto Paste", REG_BINARY, five, 5);
    Options during{};
    ModalScript script;
    script.Then([&] {
        during = InMemory();
        PostMessageA(MainWnd(), WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(Run(script));
    EXPECT_EQ(during, (Options{0, 0, 0, 0}));
    EXPECT_EQ(Stored(), (Options{0, 0, 0, 0}));
}

TEST_F(Lifecycle, EveryClipIsDeletedWhenTheWindowCloses)
{
    TestWindow source;
    ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("garde-moi")}}));
    CopyCounter copies;
    CClipList::Node* first = nullptr;
    ModalScript script;
    script.Then([&] {
        for (int i = 0; i < 3; ++i) {
            auto* clip = new CClip;
            ASSERT_TRUE(clip->CaptureFromClipboard(MainWnd()));
            CClipList::Node* node = theKeeperApp.m_listClips.AddTail(clip);
            if (first == nullptr)
                first = node;
        }
        EXPECT_GT(copies.Live(), 0);
        PostMessageA(MainWnd(), WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(Run(script));
    EXPECT_EQ(copies.Live(), 0);
    ASSERT_NE(first, nullptr);
    for (CClipList::Node* p = theKeeperApp.m_listClips.GetHeadPosition(); p != nullptr; p = p->pNext)
        EXPECT_EQ(p->pClip, nullptr);
    theKeeperApp.m_listClips.RemoveAll();
}

}  // namespace

namespace {

TEST(ApplicationMap, TheHelpCommandNoWindowTakesReachesTheApplication)
{
    CCmdTarget& app = theKeeperApp;
    LRESULT r = -1;
    EXPECT_TRUE(app.OnWndMsg(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0, &r));
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(app.OnWndMsg(WM_COMMAND, MAKEWPARAM(ID_HELP + 1, 0), 0, &r));
}

}  // namespace
