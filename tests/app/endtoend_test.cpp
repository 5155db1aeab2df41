// trovelle.exe as a user runs it, in its own process under Wine, with its
// options set in the registry beforehand. This test is another program: it
// sits ahead of the keeper in the clipboard viewer chain and makes clipboard
// changes, itself or through source programs of their own, has clips put
// back, and quits the keeper as a user would.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/clipboard_viewer.h"
#include "tests/support/clipsource.h"
#include "tests/support/controls.h"
#include "tests/support/modal_driver.h"
#include "tests/support/process.h"
#include "tests/support/settings_key.h"

namespace {

const char* const kOptionNames[] = {"Auto Name", "Task Icon", "Hide", "Auto Paste"};
constexpr UINT kTrayNotify = WM_USER + 1;
constexpr int kChanges = 1000;

std::string ProgramPath() { return WindowsPath(TROVELLE_EXE); }

// The keeper's main window once it shows, or null.
HWND MainWindowOf(const ChildProcess& keeper)
{
    HWND hMain = nullptr;
    PumpUntil([&] { return (hMain = FindProcessWindow(keeper.Id(), "#32770")) != nullptr; });
    return hMain;
}

std::string SoakText(int i)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "soak %d", i);
    return sz;
}

TEST(EndToEnd, AThousandChangesAreEachCapturedOnceAndTheMenuQuits)
{
    TestWindow reader{"Lecteur"};
    ASSERT_TRUE(EmptyTheClipboard(reader.hwnd()));
    DeleteSettings();
    ASSERT_TRUE(WriteOptions(0, 1, 0, 1));

    ChildProcess keeper("\"" + ProgramPath() + "\"");
    ASSERT_TRUE(keeper.Started()) << ProgramPath() << " error " << GetLastError();

    const HWND hMain = MainWindowOf(keeper);
    ASSERT_NE(hMain, nullptr);
    const HWND hList = FindWindowExA(hMain, nullptr, WC_LISTVIEWA, nullptr);
    ASSERT_NE(hList, nullptr);
    auto clips = [&] { return static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0)); };
    ASSERT_EQ(clips(), 0);

    // This program's own viewer, first in the chain, joined after the keeper:
    // the keeper's notices, its own restores' too, reach it through this
    // program, from another process.
    ClipboardViewer head;
    ASSERT_EQ(head.next(), hMain);

    TestWindow source{"Source soak"};
    const UINT cfPromised = RegisterFormat("Trovelle soak never rendered");
    int nLeftOvers = 0;
    for (int i = 0; i < kChanges; ++i) {
        const Bytes text = TextBytes(SoakText(i));
        if (i % 10 == 9) {
            // A source that promises a format and closes: the system drops the
            // format and announces the change, which is no new copy.
            auto closing = std::make_unique<TestWindow>("Source qui ferme");
            ASSERT_TRUE(closing->Offer({{CF_TEXT, text}, {cfPromised, {}, SourceFormat::Refused}}));
            ASSERT_TRUE(PumpUntil([&] { return clips() == i + 1; })) << "change " << i << ": " << clips();
            closing.reset();
            ++nLeftOvers;
        } else {
            ASSERT_TRUE(source.Offer({{CF_TEXT, text}}));
        }
        ASSERT_TRUE(PumpUntil([&] { return clips() >= i + 1; })) << "change " << i << " not seen";
        ASSERT_EQ(clips(), i + 1) << "change " << i << " captured twice";
    }
    // Anything late would show now.
    const DWORD dwSettle = GetTickCount();
    PumpUntil([&] { return GetTickCount() - dwSettle > 300; });
    EXPECT_EQ(clips(), kChanges);
    EXPECT_EQ(nLeftOvers, kChanges / 10);

    // The first and the last clip put back, read by this program.
    const struct {
        UINT vk;
        int i;
    } restores[] = {{VK_HOME, 0}, {VK_END, kChanges - 1}, {VK_HOME, 0}};
    for (const auto& r : restores) {
        EmptyTheClipboard(reader.hwnd());
        PostKey(hList, r.vk);
        PostMessageA(hMain, WM_COMMAND, MAKEWPARAM(ID_EDITION_COPIER, 0), 0);
        ASSERT_TRUE(PumpUntil([&] { return GetClipboardOwner() == hMain && GetOpenClipboardWindow() == nullptr; }))
            << "clip " << r.i;
        const std::vector<ReadFormat> got = ReadClipboard(reader.hwnd());
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got[0], (ReadFormat{CF_TEXT, true, TextBytes(SoakText(r.i))})) << "clip " << r.i;
        EXPECT_EQ(clips(), kChanges);  // its own restore is no new clip
    }

    // Quit from the notification-area menu: a right press on the icon opens
    // it, its mnemonic picks "Quitter".
    PostMessageA(hMain, kTrayNotify, 1, WM_RBUTTONDOWN);
    HWND hMenu = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (hMenu = FindProcessWindow(keeper.Id(), "#32768")) != nullptr; }));
    const DWORD dwShown = GetTickCount();
    PumpUntil([&] { return GetTickCount() - dwShown > 200; });
    SaveWindowPicture(GetDesktopWindow(), "tray_menu");
    PostMessageA(hMenu, WM_CHAR, 'q', 0);
    ASSERT_TRUE(PumpUntil([&] { return !keeper.Running(); }));
    EXPECT_EQ(keeper.ExitCode(), 0u);
    EXPECT_EQ(head.next(), nullptr);  // it left the chain

    // The options it was started with, written back at exit.
    const DWORD expected[] = {0, 1, 0, 1};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(StoredOption(kOptionNames[k]), expected[k]) << kOptionNames[k];
    DeleteSettings();
}

// The keeper's list seen from this process: its messages that take a
// pointer need one into the keeper's own memory.
class RemoteList {
public:
    RemoteList(HANDLE hProcess, HWND hList) : m_hProcess(hProcess), m_hList(hList)
    {
        m_pRemote = VirtualAllocEx(hProcess, nullptr, sizeof(LVITEMW) + kTextMax, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteList()
    {
        if (m_pRemote != nullptr)
            VirtualFreeEx(m_hProcess, m_pRemote, 0, MEM_RELEASE);
    }
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;

    int Count() const { return static_cast<int>(SendMessageA(m_hList, LVM_GETITEMCOUNT, 0, 0)); }
    // Posts the list's notification with that code to the main window, its
    // header in the keeper's memory, as the list itself would send it.
    bool PostNotify(HWND hMain, UINT nCode) const
    {
        const NMHDR hdr{m_hList, IDC_CLIPLIST, nCode};
        return m_pRemote != nullptr && WriteProcessMemory(m_hProcess, m_pRemote, &hdr, sizeof hdr, nullptr) &&
               PostMessageA(hMain, WM_NOTIFY, IDC_CLIPLIST, reinterpret_cast<LPARAM>(m_pRemote));
    }
    // Item i alone is selected (none for -1).
    bool SelectOnly(int i) const { return SetState(-1, 0) && (i < 0 || SetState(i, LVIS_SELECTED | LVIS_FOCUSED)); }
    int SelectedCount() const
    {
        DWORD_PTR dwCount = 0;  // none from a keeper that has stopped answering
        SendMessageTimeoutA(m_hList, LVM_GETSELECTEDCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &dwCount);
        return static_cast<int>(dwCount);
    }
    // The label of item i.
    std::string Text(int i) const
    {
        char* pRemoteText = static_cast<char*>(m_pRemote) + sizeof(LVITEMA);
        LVITEMA item{};
        item.pszText = pRemoteText;
        item.cchTextMax = kTextMax;
        char sz[kTextMax] = {};
        if (m_pRemote == nullptr || !WriteProcessMemory(m_hProcess, m_pRemote, &item, sizeof item, nullptr))
            return {};
        SendMessageA(m_hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(m_pRemote));
        ReadProcessMemory(m_hProcess, pRemoteText, sz, sizeof sz - 1, nullptr);
        return sz;
    }

    // The label of item i, or part i of a status bar of the keeper's, as the
    // control holds it, in any script.
    std::wstring TextW(int i, HWND hStatus = nullptr) const
    {
        auto* pText = reinterpret_cast<wchar_t*>(static_cast<char*>(m_pRemote) + sizeof(LVITEMW));
        LVITEMW item{};
        item.pszText = pText;
        item.cchTextMax = kTextMax / 2;
        WriteProcessMemory(m_hProcess, m_pRemote, &item, sizeof item, nullptr);
        const LRESULT n = hStatus != nullptr ? LOWORD(SendMessageW(hStatus, SB_GETTEXTW, i, reinterpret_cast<LPARAM>(pText)))
                                             : SendMessageW(m_hList, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(m_pRemote));
        std::wstring text(static_cast<std::size_t>(std::clamp<LRESULT>(n, 0, kTextMax / 2 - 1)), L'\0');
        ReadProcessMemory(m_hProcess, pText, text.data(), text.size() * sizeof(wchar_t), nullptr);
        return text;
    }

private:
    bool SetState(int i, UINT nState) const
    {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = nState;
        return m_pRemote != nullptr && WriteProcessMemory(m_hProcess, m_pRemote, &item, sizeof item, nullptr) &&
               SendMessageA(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(m_pRemote));
    }
    static constexpr int kTextMax = 256;
    HANDLE m_hProcess;
    HWND m_hList;
    void* m_pRemote = nullptr;
};

// Whether a clip of change k, put back and read, is what its source offered
// the keeper, which read it with `requests` render requests to that source.
bool IsWholeClipOfChange(int k, int requests, const std::vector<ReadFormat>& got)
{
    const std::vector<ReadFormat> always = {{RegisterFormat(storm::kTagFormat), true, storm::Tag(k)},
                                            {RegisterFormat(storm::kDataFormat), true, storm::Data(k)}};
    if (got.size() < always.size() || !std::equal(always.begin(), always.end(), got.begin()))
        return false;
    const std::vector<ReadFormat> rest(got.begin() + 2, got.end());
    const UINT cfDelayed = RegisterFormat(storm::kDelayedFormat);
    const ReadFormat announced{cfDelayed, false, {}};
    // A promised format is in the clip when the keeper asked for it while
    // its source was there to answer: with the bytes rendered, or announced
    // without data when the source refused.
    if (requests > 0 && storm::DelayedOf(k) == storm::Delayed::Rendered)
        return rest == std::vector<ReadFormat>{{cfDelayed, true, storm::DelayedData(k)}};
    if (requests > 0)
        return storm::DelayedOf(k) == storm::Delayed::Refused && rest == std::vector<ReadFormat>{announced};
    // Unasked, it is there only while its source was going: still announced,
    // with no window left to render it. Once the source has gone, the system
    // has dropped it.
    if (storm::DelayedOf(k) != storm::Delayed::None && storm::DestroyedAfter(k) && rest.size() == 1)
        return rest[0] == announced;
    return rest.empty();
}

std::map<int, int> ReadRequests(const std::string& path)
{
    std::map<int, int> requests;
    if (FILE* f = std::fopen(path.c_str(), "r")) {
        int k = 0, n = 0;
        while (std::fscanf(f, "%d %d", &k, &n) == 2)
            requests[k] += n;
        std::fclose(f);
    }
    return requests;
}

// Two source programs copy in turn as fast as the clipboard lets them, a
// third of the changes with a promised format (rendered or refused), some
// sources destroyed right after their copy, and this program ahead of the
// keeper passes each notice on at once, late, or both.
//
// Which changes the keeper could see: a change is seen when the keeper read
// the clipboard while it held that change. Its clips say which ones it kept;
// the sources say, through the render requests for their promised formats,
// which changes it read. A change the next one replaced before the keeper
// came to it was never on the clipboard for it to read. So the clips must be
// exactly the changes the keeper read: no change twice, none read and lost,
// every clip whole.
TEST(EndToEnd, AStormOfChangesFromTwoSourcesGivesOneWholeClipPerChangeItSaw)
{
    constexpr int kStorm = 2100;
    TestWindow reader{"Lecteur"};
    ASSERT_TRUE(EmptyTheClipboard(reader.hwnd()));
    DeleteSettings();
    ASSERT_TRUE(WriteOptions(0, 0, 0, 1));

    ChildProcess keeper("\"" + ProgramPath() + "\"");
    ASSERT_TRUE(keeper.Started());
    const HWND hMain = MainWindowOf(keeper);
    ASSERT_NE(hMain, nullptr);
    const RemoteList list(keeper.Handle(), FindWindowExA(hMain, nullptr, WC_LISTVIEWA, nullptr));
    // This time the viewer ahead of the keeper passes notices on late too.
    ClipboardViewer head(ClipboardViewer::Thread::This, ClipboardViewer::Passing::AtOnceLateOrTwice);
    ASSERT_EQ(head.next(), hMain);

    NamedEvent turn[2], finished[2], quit;
    char szTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTemp);
    std::string logs[2];
    std::unique_ptr<ChildProcess> sources[2];
    const DWORD dwStart = GetTickCount();
    for (int i = 0; i < 2; ++i) {
        logs[i] = std::string(szTemp) + "trovelle-storm-" + turn[i].name() + ".log";
        DeleteFileA(logs[i].c_str());
        sources[i] = std::make_unique<ChildProcess>(
            "\"" + WindowsPath(TROVELLE_CLIPSOURCE) + "\" storm " + std::to_string(i) + " " +
            std::to_string(kStorm) + " " + turn[i].name() + " " + turn[1 - i].name() + " " + finished[i].name() +
            " " + quit.name() + " \"" + logs[i] + "\"");
        ASSERT_TRUE(sources[i]->Started());
    }
    SetEvent(turn[0].handle());
    ASSERT_TRUE(PumpUntil([&] { return finished[0].IsSet() && finished[1].IsSet(); }, 600000));
    const DWORD dwStormMs = GetTickCount() - dwStart;
    // The last notices are taken in once the count holds still for a while.
    for (int n = -1; n != list.Count();) {
        n = list.Count();
        const DWORD dwWait = GetTickCount();
        PumpUntil([&] { return GetTickCount() - dwWait > 1000; });
    }
    SetEvent(quit.handle());
    ASSERT_TRUE(PumpUntil([&] { return !sources[0]->Running() && !sources[1]->Running(); }));
    EXPECT_EQ(sources[0]->ExitCode(), static_cast<DWORD>((kStorm + 1) / 2));
    EXPECT_EQ(sources[1]->ExitCode(), static_cast<DWORD>(kStorm / 2));
    std::map<int, int> requests = ReadRequests(logs[0]);
    for (const auto& [k, n] : ReadRequests(logs[1]))
        requests[k] += n;

    // Every clip put back and read as another program would.
    const int nClips = list.Count();
    std::set<int> kept;
    int nLast = -1, nWithPromised = 0, nMismatches = 0;
    for (int i = 0; i < nClips; ++i) {
        ASSERT_TRUE(list.SelectOnly(i)) << "clip " << i;
        const DWORD dwBefore = GetClipboardSequenceNumber();
        PostMessageA(hMain, WM_COMMAND, MAKEWPARAM(ID_EDITION_COPIER, 0), 0);
        ASSERT_TRUE(PumpUntil([&] {
            return GetClipboardSequenceNumber() != dwBefore && GetClipboardOwner() == hMain &&
                   GetOpenClipboardWindow() == nullptr;
        })) << "clip " << i;
        const std::vector<ReadFormat> got = ReadClipboard(reader.hwnd());
        ASSERT_FALSE(got.empty()) << "clip " << i;
        const int k = storm::TagNumber(got[0].bytes);
        ASSERT_GE(k, 0) << "clip " << i;
        EXPECT_TRUE(kept.insert(k).second) << "change " << k << " kept twice, as clip " << i << " \""
                                           << list.Text(i) << "\" after \"" << (i > 0 ? list.Text(i - 1) : "") << "\"";
        EXPECT_GT(k, nLast) << "clips in the order of the changes";
        nLast = k;
        const auto it = requests.find(k);
        const int nRequests = it != requests.end() ? it->second : 0;
        nWithPromised += got.size() > 2 ? 1 : 0;
        if (!IsWholeClipOfChange(k, nRequests, got) && ++nMismatches <= 5)
            ADD_FAILURE() << "clip " << i << " of change " << k << " is not what its source offered: "
                          << ::testing::PrintToString(got) << ", " << nRequests << " render requests"
                          << (storm::DestroyedAfter(k) ? ", its source destroyed" : "");
    }
    EXPECT_EQ(nMismatches, 0);
    EXPECT_EQ(list.Count(), nClips) << "putting clips back made none";

    std::set<int> seen = kept;
    for (const auto& [k, n] : requests)
        if (n > 0)
            seen.insert(k);
    EXPECT_EQ(static_cast<std::size_t>(nClips), seen.size()) << "changes read but not kept";
    EXPECT_EQ(nLast, kStorm - 1) << "the last change stays on the clipboard to be seen";
    std::printf("[ STORM    ] %d changes in %lu ms; %d clips, %zu changes seen, %d replaced before the keeper "
                "came to them; %d clips with a promised format, %zu changes asked to render; %d notices passed "
                "on late of %d\n",
                kStorm, static_cast<unsigned long>(dwStormMs), nClips, seen.size(), kStorm - nClips, nWithPromised,
                requests.size(), head.PassedLate(), head.Draws());

    PostMessageA(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !keeper.Running(); }));
    EXPECT_EQ(keeper.ExitCode(), 0u);
    for (const std::string& log : logs)
        DeleteFileA(log.c_str());
    DeleteSettings();
}

// A viewer that joined after the keeper is ended by force, still in the
// chain: the system's notices stop at the window that is gone. The keeper
// goes on capturing through its listener and joins the chain anew, so that
// the viewer that joined before it (this program's) hears changes again.
TEST(EndToEnd, AViewerThatDiesInTheChainStopsNoCaptureAndTheChainIsMended)
{
    TestWindow source{"Source"};
    ASSERT_TRUE(EmptyTheClipboard(source.hwnd()));
    DeleteSettings();
    ASSERT_TRUE(WriteOptions(0, 0, 0, 1));
    ClipboardViewer before;
    ChildProcess keeper("\"" + ProgramPath() + "\"");
    const HWND hMain = MainWindowOf(keeper);
    ASSERT_NE(hMain, nullptr);
    const HWND hList = FindWindowExA(hMain, nullptr, WC_LISTVIEWA, nullptr);
    auto clips = [&] { return static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0)); };

    NamedEvent ready;
    ChildProcess viewer("\"" + WindowsPath(TROVELLE_CLIPSOURCE) + "\" viewer " + ready.name());
    ASSERT_TRUE(PumpUntil([&] { return ready.IsSet(); }));
    ASSERT_NE(GetClipboardViewer(), hMain);
    int nCopies = 0;
    auto copy = [&] {
        ++nCopies;
        ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("copie " + std::to_string(nCopies))}}));
        ASSERT_TRUE(PumpUntil([&] { return clips() >= nCopies; })) << "copy " << nCopies << " not kept";
    };
    copy();
    ASSERT_TRUE(TerminateProcess(viewer.Handle(), 9));
    ASSERT_TRUE(viewer.WaitForExit(10000));

    for (int i = 0; i < 3; ++i)
        copy();
    // Once the chain has stayed silent a while, the keeper heads it again.
    ASSERT_TRUE(PumpUntil([&] { return GetClipboardViewer() == hMain; }));
    const int nHeard = before.Draws();
    copy();
    EXPECT_TRUE(PumpUntil([&] { return before.Draws() > nHeard; }));
    const DWORD dwSettle = GetTickCount();
    PumpUntil([&] { return GetTickCount() - dwSettle > 500; });
    EXPECT_EQ(clips(), nCopies) << "a copy kept twice, or the rejoining kept as one";

    PostMessageA(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(keeper.WaitForExit(10000));
    EXPECT_EQ(before.next(), nullptr);
    DeleteSettings();
}

// The keeper started with Auto Name and Auto Paste as given, no other
// option and no settings before or after; its window and clip list; quit as
// a user quits it.
struct Keeper {
    Keeper(DWORD autoName, DWORD autoPaste)
        : bOptions((DeleteSettings(), WriteOptions(autoName, 0, 0, autoPaste))), process("\"" + ProgramPath() + "\""),
          hMain(MainWindowOf(process)), list(process.Handle(), FindWindowExA(hMain, nullptr, WC_LISTVIEWA, nullptr))
    {
    }
    ~Keeper()
    {
        PostMessageA(hMain, WM_CLOSE, 0, 0);
        EXPECT_TRUE(process.WaitForExit(10000));
        DeleteSettings();
    }
    // Whether a clip came after the first n.
    bool KeptMoreThan(int n) const { return PumpUntil([&] { return list.Count() > n; }); }
    bool bOptions;
    ChildProcess process;
    HWND hMain;
    RemoteList list;
};

// Another program copies, then holds the clipboard open a while, as
// clipboard history, a viewer reading a large delayed render or a source
// adding a format do. The keeper tries again until it opens, and keeps the
// copy once, named after its source.
TEST(EndToEnd, ACopyWhoseClipboardAnotherProgramHoldsAWhileIsKeptOnce)
{
    TestWindow source{"Source"}, holder{"Historique"};
    ASSERT_TRUE(EmptyTheClipboard(holder.hwnd()));
    const Keeper k(1, 1);
    ASSERT_NE(k.hMain, nullptr);
    int n = 0;
    for (DWORD dwHoldMs : {30, 150, 600, 1500, 0}) {  // the last, held not at all, comes after every other
        const std::string title = "Source tenue " + std::to_string(dwHoldMs) + " ms";
        SetWindowTextA(source.hwnd(), title.c_str());
        ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes(title)}}));
        const DWORD dwStart = GetTickCount();
        if (dwHoldMs != 0 && OpenClipboard(holder.hwnd()) && PumpUntil([&] { return GetTickCount() - dwStart >= dwHoldMs; }))
            CloseClipboard();
        ASSERT_TRUE(k.KeptMoreThan(n)) << title;
        EXPECT_EQ(k.list.Count(), n + 1) << title << ": a copy kept twice";
        EXPECT_EQ(k.list.Text(n++), title);
    }
}

// A viewer heading the chain stops answering, as one busy with a slow
// delayed render would. The keeper, after it, hears the change from the
// system, finds the chain silent, and would join it anew at the head: the
// news of its leaving goes to that viewer first, and the keeper does not wait
// on it. It goes on capturing, and rejoins once the viewer answers again.
TEST(EndToEnd, ABusyViewerAheadOfTheKeeperHoldsItUpNotWhileItRejoinsTheChain)
{
    TestWindow source{"Source"};
    ASSERT_TRUE(EmptyTheClipboard(source.hwnd()));
    const Keeper k(0, 1);
    ClipboardViewer head(ClipboardViewer::Thread::OwnThread);
    ASSERT_EQ(head.next(), k.hMain);
    int nCopies = 0;
    auto copy = [&] {
        ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("copie " + std::to_string(nCopies))}}));
        ASSERT_TRUE(k.KeptMoreThan(nCopies++)) << "copy " << nCopies << " not kept";
    };
    head.Hang();
    copy();
    // Past the time the keeper gives the chain to bring a change, it tries
    // to rejoin, and the viewer ahead of it is still busy.
    const DWORD dwStart = GetTickCount();
    PumpUntil([&] { return GetTickCount() - dwStart > 3000; });
    copy();
    head.Answer();
    // Once it answers (the notices it held passed on late, which tell the
    // keeper nothing), the keeper heads the chain after the next change,
    // and the viewer hears changes again.
    ASSERT_TRUE(PumpUntil([&] { return head.PassedOn() >= 2; }));
    copy();
    ASSERT_TRUE(PumpUntil([&] { return GetClipboardViewer() == k.hMain; }));
    const int nHeard = head.Draws();
    copy();
    EXPECT_TRUE(PumpUntil([&] { return head.Draws() > nHeard; }));
    EXPECT_EQ(k.list.Count(), nCopies) << "a copy kept twice, or the rejoining kept as one";
}

// UTF-16 text as a clipboard block, with its NUL.
Bytes WideBytes(const std::wstring& text)
{
    const auto* p = reinterpret_cast<const BYTE*>(text.c_str());
    return Bytes(p, p + (text.size() + 1) * sizeof(wchar_t));
}

// People and programs write in every script: a window's title, a copied
// text, a list of files, a name typed or given, a format's name. The keeper
// shows each as it was written, read back here as UTF-16 as a screen reader
// would, while a program that reads it with the 8-bit messages gets its own
// code page, as from any Unicode window.
TEST(EndToEnd, TextInEveryScriptIsShownAsWritten)
{
    const std::wstring title = L"\u0417\u0430\u043c\u0435\u0442\u043a\u0438 \u2014 \u30e1\u30e2 \U0001F4DD";
    const std::wstring text = L"\u041f\u0440\u0438\u0432\u0435\u0442, \u4e16\u754c \U0001F600 \u2192 d\u00e9j\u00e0 vu";
    const std::wstring files[] = {L"C:\\Donn\u00e9es\\\u65e5\u672c\u8a9e.txt",
                                  L"D:\\\u0424\u0430\u0439\u043b \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac \U0001F600.doc"};
    const std::wstring renamed = L"\u03a9\u03bc\u03ad\u03b3\u03b1 \u2605 \u042e\u0433";
    const std::wstring typed = L"\u0418\u043c\u044f \u2713 \u540d\u524d";
    const std::wstring format = L"\u0424\u043e\u0440\u043c\u0430\u0442 \u2603 \u0434\u0430\u043d\u043d\u044b\u0445";
    // A Unicode window, as programs that write in these scripts have.
    const HWND hSource = CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                         nullptr, nullptr);
    ASSERT_TRUE(EmptyTheClipboard(hSource));
    const Keeper k(1, 1);
    ASSERT_NE(k.hMain, nullptr);
    auto copied = [&](UINT nFormat, const Bytes& bytes) {
        const int n = k.list.Count();
        EXPECT_TRUE(OpenClipboard(hSource) && EmptyClipboard() && SetClipboardData(nFormat, GlobalFromBytes(bytes)));
        CloseClipboard();
        EXPECT_TRUE(k.KeptMoreThan(n));
        return n;
    };
    auto dialog = [&](const char* pszTitle) {
        HWND h = nullptr;
        PumpUntil([&] { return (h = FindProcessWindow(k.process.Id(), "#32770", pszTitle)) != nullptr; });
        return h;
    };
    // What a control of a dialog of the keeper's shows, the dialog closed after.
    auto shown = [&](const char* pszTitle, int nID, const std::function<std::wstring(HWND)>& read) {
        const HWND h = dialog(pszTitle);
        const std::wstring text = read(GetDlgItem(h, nID));
        PostMessageA(h, WM_CLOSE, 0, 0);
        PumpUntil([&] { return !IsWindow(h); });
        return text;
    };
    auto preview = [&](const char* pszTitle, int i) {
        EXPECT_TRUE(k.list.SelectOnly(i) && k.list.PostNotify(k.hMain, static_cast<UINT>(NM_RCLICK)));
        return shown(pszTitle, IDC_PREVIEW_EDIT, SentTextW);
    };
    // Real keys, as an input method types them, then Enter, into a window brought to the front.
    auto type = [&](HWND hWnd, const std::wstring& keys) {
        SetForegroundWindow(hWnd);
        TypeText(keys);
        PressKeys({VK_RETURN});
    };
    auto named = [&](const std::wstring& keys) {
        const int n = k.list.Count();
        PostMessageA(k.hMain, WM_COMMAND, ID_EDITION_COLLER, 0);
        type(dialog("Ajouter"), keys);
        return k.KeptMoreThan(n) ? k.list.TextW(n) : L"";
    };
    Bytes drop(20, 0);
    drop[0] = 20;
    drop[16] = 1;  // wide names
    for (const std::wstring& file : {files[0], files[1], std::wstring()}) {
        const Bytes name = WideBytes(file);
        drop.insert(drop.end(), name.begin(), name.end());
    }
    const struct {
        const char* pszWhat;
        std::function<std::wstring()> shown;
        std::wstring expected;
    } rows[] = {
        {"a title", [&] { return k.list.TextW(copied(CF_TEXT, TextBytes("x"))); }, title},
        {"part 0", [&] { return k.list.TextW(0, GetDlgItem(k.hMain, IDC_STATUSBAR)); }, L"Dans le presse-papier : " + title},
        {"a Unicode text", [&] { return preview("Aper\xe7u : Texte", copied(CF_UNICODETEXT, WideBytes(text))); }, text},
        {"a wide file list", [&] { return preview("Aper\xe7u : Fichiers", copied(CF_HDROP, drop)); },
         files[0] + L"\r\n" + files[1] + L"\r\n"},
        {"a rename",
         [&] {
             k.list.SelectOnly(0);
             PostMessageA(k.hMain, WM_COMMAND, ID_EDITION_RENOMMER, 0);
             PumpUntil([&] { return FindWindowExA(GetDlgItem(k.hMain, IDC_CLIPLIST), nullptr, "Edit", nullptr); });
             type(k.hMain, renamed);
             PumpUntil([&] { return k.list.TextW(0) == renamed; });
             return k.list.TextW(0);
         },
         renamed},
        {"a typed name", [&] { PostMessageA(k.hMain, WM_COMMAND, ID_OPTIONS_NOMMAGEAUTOMATIQUE, 0); return named(typed); }, typed},
        {"fifty letters of a name typed with more", [&] { return named(std::wstring(51, L'\u0416')); }, std::wstring(50, L'\u0416')},
        {"a format's name",
         [&] {
             copied(RegisterClipboardFormatW(format.c_str()), PatternBytes(4, 5));
             PostMessageA(k.hMain, WM_COMMAND, ID_EDITION_FORMATS, 0);
             return shown("Contenu du Clipboard", IDC_CLIPLIST, [&](HWND hRows) {
                 const RemoteList rows(k.process.Handle(), hRows);
                 for (int i = 0; i < rows.Count(); ++i)
                     if (rows.TextW(i) == format)
                         return format;
                 return std::wstring();
             });
         },
         format},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.shown(), r.expected) << r.pszWhat;
    SaveWindowPicture(k.hMain, "main_window_scripts");
    // An 8-bit reader gets the names in its code page, as the system converts them.
    char szAnsi[64] = {};
    WideCharToMultiByte(CP_ACP, 0, renamed.c_str(), -1, szAnsi, sizeof szAnsi, nullptr, nullptr);
    EXPECT_EQ(k.list.Text(0), szAnsi);
    DestroyWindow(hSource);
}

FILETIME SettingsWritten()
{
    FILETIME ft{};
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
        RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &ft);
        RegCloseKey(hKey);
    }
    return ft;
}

// The start at logon, then a click on the Start menu's shortcut: one keeper.
TEST(EndToEnd, ASecondStartShowsTheRunningKeeperAndEndsWithoutTouchingAnything)
{
    DeleteSettings();
    ASSERT_TRUE(WriteOptions(1, 1, 1, 0));
    ChildProcess keeper("\"" + ProgramPath() + "\"");
    const HWND hMain = MainWindowOf(keeper);
    ASSERT_NE(hMain, nullptr);
    // Minimised with Hide on: only the notification area shows it.
    PostMessageA(hMain, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(hMain); }));
    const FILETIME written = SettingsWritten();
    const HWND hHead = GetClipboardViewer();

    ChildProcess second("\"" + ProgramPath() + "\"");
    ASSERT_TRUE(second.WaitForExit(20000));
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(hMain) && !IsIconic(hMain); }));
    EXPECT_EQ(GetClipboardViewer(), hHead) << "the second start joined the chain";
    const FILETIME after = SettingsWritten();
    EXPECT_EQ(CompareFileTime(&written, &after), 0) << "the second start wrote the options";
    SaveWindowPicture(hMain, "second_start");

    PostMessageA(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(keeper.WaitForExit(10000));
    DeleteSettings();
}

// With the DLL search kept to the system folder, every dialog of the
// program still opens: the naming dialog, the preview, the format list and
// the About box. (The release's portable test runs the help's editor.)
TEST(EndToEnd, EveryDialogOpensInTheProgramItself)
{
    TestWindow source{"Source"};
    ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("de quoi voir")}}));
    DeleteSettings();  // every option off: Coller asks for a name
    ChildProcess keeper("\"" + ProgramPath() + "\"");
    const HWND hMain = MainWindowOf(keeper);
    ASSERT_NE(hMain, nullptr);
    const HWND hList = FindWindowExA(hMain, nullptr, WC_LISTVIEWA, nullptr);
    const RemoteList list(keeper.Handle(), hList);
    // Sent as automation tools send them: answered at once, the dialog open.
    auto sent = [&](UINT id) {
        return [=] {
            DWORD_PTR dwResult = 1;
            EXPECT_NE(SendMessageTimeoutA(hMain, WM_COMMAND, id, 0, SMTO_NORMAL, 5000, &dwResult), 0) << id;
            EXPECT_EQ(dwResult, 0u);
        };
    };
    auto count = [&](const char* pszTitle) {  // the keeper's: this process has no dialog
        int n = 0;
        for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, "#32770", pszTitle)) != nullptr;)
            n += IsWindowVisible(h);
        return n;
    };
    const struct {
        const char* pszTitle;
        std::function<void()> open;
    } dialogs[] = {
        {"Ajouter", sent(ID_EDITION_COLLER)},
        {"Aper\xe7u : Texte",
         [&] {
             ASSERT_TRUE(list.SelectOnly(0));
             ASSERT_TRUE(list.PostNotify(hMain, static_cast<UINT>(NM_RCLICK)));
         }},
        {"Contenu du Clipboard",
         [&] { PostMessageA(GetDlgItem(hMain, IDC_STATUSBAR), WM_RBUTTONDBLCLK, 0, MAKELPARAM(5, 5)); }},
        {"Contenu du Clipboard", sent(ID_EDITION_FORMATS)},
        {"A propos de Trovelle", sent(IDM_ABOUTBOX)},
    };
    for (const auto& d : dialogs) {
        d.open();
        HWND hDialog = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (hDialog = FindProcessWindow(keeper.Id(), "#32770", d.pszTitle)) != nullptr; }))
            << d.pszTitle;
        // A second command meanwhile opens no second dialog over it.
        for (UINT id : {ID_EDITION_COLLER, ID_EDITION_FORMATS, IDM_ABOUTBOX})
            sent(id)();
        EXPECT_EQ(count(d.pszTitle), 1) << d.pszTitle;
        PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindow(hDialog); })) << d.pszTitle;
    }
    EXPECT_EQ(list.Count(), 1);
    PostMessageA(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(keeper.WaitForExit(10000));
    EXPECT_EQ(keeper.ExitCode(), 0u);
    DeleteSettings();
}

// Any program on the desktop can send the keeper's windows messages, some of
// which carry pointers or sizes that it would trust. Each is sent here from
// this process; the keeper goes on, with its clip and its sizes as they were.
// Programs that act for a person drive it so: a clip renamed that way is.
TEST(EndToEnd, MessagesFromAnotherProgramCannotHarmTheKeeperAndCanDriveIt)
{
    TestWindow reader{"Lecteur"};
    TestWindow source{"Source"};
    ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("intacte")}}));
    DeleteSettings();
    ASSERT_TRUE(WriteOptions(1, 0, 0, 1));
    ChildProcess keeper("\"" + ProgramPath() + "\"");
    const HWND hMain = MainWindowOf(keeper);
    ASSERT_NE(hMain, nullptr);
    const HWND hList = FindWindowExA(hMain, nullptr, WC_LISTVIEWA, nullptr);
    const RemoteList list(keeper.Handle(), hList);
    ASSERT_TRUE(PumpUntil([&] { return list.Count() == 1; }));  // the clipboard at start
    const LRESULT spacing = SendMessageA(hList, LVM_GETITEMSPACING, FALSE, 0);
    const LPARAM nowhere = 0x1234;
    // A list's header at the end of a page of the keeper's that can be read:
    // the rest of the structure its code comes with lies past it.
    constexpr SIZE_T kPage = 4096;
    auto* pRegion = static_cast<char*>(VirtualAllocEx(keeper.Handle(), nullptr, 2 * kPage, MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(VirtualAllocEx(keeper.Handle(), pRegion, kPage, MEM_COMMIT, PAGE_READWRITE), nullptr);
    const NMHDR edge{hList, IDC_CLIPLIST, static_cast<UINT>(LVN_ITEMCHANGED)};
    const LPARAM cutShort = reinterpret_cast<LPARAM>(pRegion + kPage - sizeof edge);
    ASSERT_TRUE(WriteProcessMemory(keeper.Handle(), pRegion + kPage - sizeof edge, &edge, sizeof edge, nullptr));
    MEMORY_BASIC_INFORMATION beyond{};
    ASSERT_TRUE(VirtualQueryEx(keeper.Handle(), pRegion + kPage, &beyond, sizeof beyond) != 0 && beyond.State == MEM_RESERVE);
    const struct {
        const char* pszWhat;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } messages[] = {
        {"a second set-up", WM_INITDIALOG, 0, 0},
        {"a second set-up with another object", WM_INITDIALOG, 0, nowhere},
        {"a notification without a header", WM_NOTIFY, IDC_CLIPLIST, 0},
        {"a notification whose header is elsewhere", WM_NOTIFY, IDC_CLIPLIST, nowhere},
        {"a notification cut short", WM_NOTIFY, IDC_CLIPLIST, cutShort},
        {"a scale of 0", WM_DPICHANGED, 0, 0},
        {"a scale no screen has", WM_DPICHANGED, MAKEWPARAM(60000, 60000), 0},
        {"a sensible scale with a rectangle elsewhere", WM_DPICHANGED, MAKEWPARAM(96, 96), nowhere},
    };
    for (const auto& m : messages) {
        DWORD_PTR dwResult = 0;
        if (m.message == WM_NOTIFY) {
            // A notification cannot be sent to another process, only posted.
            // Posted messages are handled in order: once a Ctrl+A posted
            // after it has selected the clip, it has been handled.
            ASSERT_TRUE(list.SelectOnly(-1));
            PostMessageA(hMain, m.message, m.wParam, m.lParam);
            PostMessageA(hMain, WM_COMMAND, ID_EDITION_TOUTSELECTIONNER, 0);
            ASSERT_TRUE(PumpUntil([&] { return list.SelectedCount() == 1; })) << m.pszWhat;
        } else {
            SendMessageTimeoutA(hMain, m.message, m.wParam, m.lParam, SMTO_ABORTIFHUNG, 5000, &dwResult);
        }
        ASSERT_TRUE(keeper.Running()) << m.pszWhat;
        EXPECT_EQ(SendMessageA(hList, LVM_GETITEMSPACING, FALSE, 0), spacing) << m.pszWhat;
    }
    // Still answering: its clip put back as it was kept.
    ASSERT_TRUE(EmptyTheClipboard(reader.hwnd()));
    ASSERT_TRUE(list.SelectOnly(0));
    PostMessageA(hMain, WM_COMMAND, MAKEWPARAM(ID_EDITION_COPIER, 0), 0);
    ASSERT_TRUE(PumpUntil([&] { return GetClipboardOwner() == hMain && GetOpenClipboardWindow() == nullptr; }));
    const std::vector<ReadFormat> got = ReadClipboard(reader.hwnd());
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0], (ReadFormat{CF_TEXT, true, TextBytes("intacte")}));
    EXPECT_EQ(list.Count(), 1);
    SendMessageA(hMain, WM_COMMAND, MAKEWPARAM(ID_EDITION_RENOMMER, 0), 0);
    const HWND hEdit = FindWindowExA(hList, nullptr, "Edit", nullptr);
    EXPECT_EQ(SendMessageA(hEdit, EM_GETLIMITTEXT, 0, 0), 50);
    SendMessageA(hEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("renomm\xe9" "e"));
    SendMessageA(hEdit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(list.Text(0), "renomm\xe9" "e");
    PostMessageA(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(keeper.WaitForExit(10000));
    DeleteSettings();
}

}  // namespace
