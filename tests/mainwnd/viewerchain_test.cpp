// The main window among other clipboard viewers under Wine: viewers of the
// test's before and after it in the chain, on this thread or on their own,
// and the change notices that are no new copy for Auto Paste.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/keeperapp.h"
#include "mainwnd/keeperdlg.h"
#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/clipboard_viewer.h"
#include "tests/support/controls.h"
#include "tests/support/keeper_window.h"
#include "tests/support/modal_driver.h"
#include "tests/support/clipsource.h"
#include "tests/support/process.h"

namespace {

class ViewerChain : public KeeperWindowTest {
protected:
    ViewerChain() { SetWindowTextA(source.hwnd(), "Source de la chaine"); }
    int Clips() const { return ListView_GetItemCount(List()); }
};

TEST_F(ViewerChain, RepairsItsLinkWhenItsNextLeavesAndPassesOtherDeparturesOn)
{
    ClipboardViewer first, second, third;  // the chain: main window, third, second, first
    const HWND hFirst = first.hwnd();
    ModalScript script;
    script
        .Then([&] {
            ASSERT_EQ(NextViewer(), third.hwnd());
            first.Leave();  // announced to the main window, which passes it on
        })
        .Then([&] {
            EXPECT_EQ(NextViewer(), third.hwnd());
            EXPECT_EQ(third.Departures(), (std::vector<std::pair<HWND, HWND>>{{hFirst, nullptr}}));
            EXPECT_EQ(second.next(), nullptr);
            third.Leave();  // the main window's next: it links past it
        })
        .Then([&] {
            EXPECT_EQ(NextViewer(), second.hwnd());
            const int nDraws = second.Draws();
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("suivante")}}));
            EXPECT_EQ(second.Draws(), nDraws + 1);
            second.Leave();
        })
        .Then([&] { EXPECT_EQ(NextViewer(), nullptr); });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ViewerChain, AChainThatLoopsBackToUsIsNotFollowedRound)
{
    ClipboardViewer looping;  // joined before: the main window's next
    ModalScript script;
    script.Then([&] {
        ASSERT_EQ(NextViewer(), looping.hwnd());
        // Its own next becomes the main window (a careless viewer's link to
        // a window that had left): whatever the main window passes on comes
        // back to it. Followed round, it would never end.
        SendMessageA(looping.hwnd(), WM_CHANGECBCHAIN, 0, reinterpret_cast<LPARAM>(Wnd()));
        ASSERT_EQ(looping.next(), Wnd());
        const int nDraws = looping.Draws();
        ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("en rond")}}));
        EXPECT_EQ(looping.Draws(), nDraws + 1);
        const HWND hGone = reader.hwnd();
        SendMessageA(Wnd(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(hGone), 0);
        EXPECT_EQ(looping.Departures(), (std::vector<std::pair<HWND, HWND>>{{hGone, nullptr}}));
        // A departure that would make the main window its own successor.
        SendMessageA(Wnd(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(looping.hwnd()), reinterpret_cast<LPARAM>(Wnd()));
        EXPECT_EQ(NextViewer(), looping.hwnd());
        SendMessageA(looping.hwnd(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(Wnd()), 0);
    });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ViewerChain, ANextViewerThatHangsHoldsUpNeitherCaptureNorClosing)
{
    theKeeperApp.m_bAutoPaste = 1;
    ClipboardViewer hung(ClipboardViewer::Thread::OwnThread);  // the main window's next
    ModalScript script;
    script
        .Then([&] {
            ASSERT_EQ(NextViewer(), hung.hwnd());
            hung.Hang();
            // Each notice waits for it a few seconds at most, then goes on.
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("avant")}}));
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("pendant")}}));
            EXPECT_EQ(Clips(), 2);
        })
        .Then([&] { PostMessageA(Wnd(), WM_CLOSE, 0, 0); });
    EXPECT_TRUE(RunMainWindow(script, Closing::ByTheScript));
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(ViewerChain, AViewerJoiningAheadPassesNoticesThroughAndANoticeWithoutAChangeIsNoNewClip)
{
    theKeeperApp.m_bAutoPaste = 1;
    SetWindowTextA(source.hwnd(), "Au demarrage");
    ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("deja la")}}));
    std::unique_ptr<ClipboardViewer> ahead;
    ModalScript script;
    script
        .Then([&] {
            // The notice of joining the chain stores what was there at start.
            EXPECT_EQ(ItemTexts(List()), (std::vector<std::string>{"Au demarrage"}));
            ahead = std::make_unique<ClipboardViewer>();
        })
        .Then([&] {
            EXPECT_EQ(ahead->next(), Wnd());
            EXPECT_EQ(ahead->Draws(), 1);
            ahead->Refresh();
            EXPECT_EQ(Clips(), 1);  // the same clipboard, noticed again
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("ensuite")}}));
        })
        .Then([&] {
            EXPECT_EQ(ahead->Draws(), 2);
            EXPECT_EQ(Clips(), 2);
            ahead->Leave();
        })
        .Then([&] { EXPECT_EQ(NextViewer(), nullptr); });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ViewerChain, ARestoreNoticedLateThroughAViewerOnAnotherThreadIsNoNewClip)
{
    theKeeperApp.m_bAutoPaste = 1;
    std::unique_ptr<ClipboardViewer> ahead;
    std::vector<ReadFormat> copied;
    ModalScript script;
    script
        .Then([&] {
            ahead = std::make_unique<ClipboardViewer>(ClipboardViewer::Thread::OwnThread);
            ASSERT_TRUE(ahead->WaitPassedOn(1));  // its notice of joining
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("une copie")}}));
            ASSERT_TRUE(ahead->WaitPassedOn(2));
            copied = StorableOnly(ReadClipboard(reader.hwnd()));
        })
        .Then([&] {
            ASSERT_EQ(Clips(), 1);
            Select(List(), {0});
            // The restore's notice goes to the viewer's thread and comes back
            // to the main window only after the restore has finished.
            Command(ID_EDITION_COPIER);
            ASSERT_TRUE(ahead->WaitPassedOn(3));
        })
        .Then([&] {
            EXPECT_EQ(Clips(), 1);
            EXPECT_EQ(StatusText(Status(), 0), "Dans le presse-papier : " + ItemText(List(), 0));
            EXPECT_EQ(StorableOnly(ReadClipboard(reader.hwnd())), copied);
            // The next change by another program is captured as usual.
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("une autre")}}));
            ASSERT_TRUE(ahead->WaitPassedOn(4));
            EXPECT_EQ(Clips(), 2);
            ahead->Leave();
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ViewerChain, WhatRemainsOfACopyWhenItsSourceCloses)
{
    theKeeperApp.m_bAutoPaste = 1;
    const UINT cfPrivate = RegisterFormat("Trovelle test never rendered");
    auto closing = std::make_unique<TestWindow>("Source qui ferme");
    ModalScript script;
    script
        .Then([&] {
            // The source promises a format it never renders; the system drops
            // it when the source's window goes and announces the change.
            ASSERT_TRUE(closing->Offer({{CF_TEXT, TextBytes("gardee une fois")},
                                        {cfPrivate, {}, SourceFormat::Refused}}));
        })
        .Then([&] {
            ASSERT_EQ(Clips(), 1);
            closing.reset();
        })
        .Then([&] {
            EXPECT_EQ(GetClipboardOwner(), nullptr);
            EXPECT_FALSE(IsClipboardFormatAvailable(cfPrivate));
            EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
            EXPECT_EQ(Clips(), 1);
            // A new copy of the same bytes is a clip of its own.
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("gardee une fois")}}));
        })
        .Then([&] { EXPECT_EQ(Clips(), 2); });
    EXPECT_TRUE(RunMainWindow(script));
}

// The source program in a process of its own that sends the main window a
// change notice while it renders its delayed format for a capture.
class NestedSource {
public:
    explicit NestedSource(HWND hMain)
        : m_process("\"" + WindowsPath(TROVELLE_CLIPSOURCE) + "\" nested " +
                    std::to_string(reinterpret_cast<ULONG_PTR>(hMain)) + " " + m_ready.name() + " " +
                    m_quit.name())
    {
    }
    // Its formats are on the clipboard.
    bool WaitOffered() { return m_process.Started() && AnswerSentMessagesUntil([&] { return m_ready.IsSet(); }); }
    // Ends it; the number of times it was asked to render, or -1.
    int Finish()
    {
        SetEvent(m_quit.handle());
        if (!AnswerSentMessagesUntil([&] { return !m_process.Running(); }))
            return -1;
        return static_cast<int>(m_process.ExitCode());
    }
    // What a reader should find after a restore of the whole copy.
    static std::vector<ReadFormat> Offered()
    {
        return {{RegisterFormat(nested::kFirstFormat), true, nested::Bytes(0)},
                {RegisterFormat(nested::kDelayedFormat), true, nested::Bytes(1)},
                {RegisterFormat(nested::kLastFormat), true, nested::Bytes(2)}};
    }

private:
    NamedEvent m_ready, m_quit;
    ChildProcess m_process;
};

// The automatic capture (the system's notice of the copy) or the user's own
// Coller asks the source for its delayed format; the notice the source sends
// meanwhile waits until the capture has ended, and the copy stays one whole
// clip.
class NoticeDuringACapture : public ViewerChain {
protected:
    void Run(bool bByColler);
};

TEST_F(NoticeDuringACapture, OfTheAutomaticCaptureWaitsAndTheCopyStaysWhole) { Run(false); }

TEST_F(NoticeDuringACapture, OfCollerWaitsAndTheCopyStaysWhole) { Run(true); }

void NoticeDuringACapture::Run(bool bByColler)
{
    theKeeperApp.m_bAutoPaste = bByColler ? 0 : 1;
    std::unique_ptr<NestedSource> nested;
    ModalScript script;
    script
        .Then([&] {
            nested = std::make_unique<NestedSource>(Wnd());
            ASSERT_TRUE(nested->WaitOffered());
            if (bByColler) {
                // Auto Paste on from here, without the skip of the command.
                ASSERT_TRUE(AnswerSentMessagesUntil([&] { return GetClipboardOwner() != nullptr; }));
                theKeeperApp.m_bAutoPaste = 1;
                theKeeperApp.m_bAutoName = 1;
                Command(ID_EDITION_COLLER);
            } else {
                ASSERT_TRUE(AnswerSentMessagesUntil([&] { return Clips() >= 1; }));
            }
        })
        .Then([&] {
            // The waiting notice has been handled by now: the same change.
            EXPECT_FALSE(NoticeWaiting());
            ASSERT_EQ(Clips(), 1);
            const CClip* pClip = ClipOf(List(), 0);
            ASSERT_NE(pClip, nullptr);
            EXPECT_EQ(pClip->m_dwTotalSize, nested::Bytes(0).size() + nested::Bytes(1).size() + nested::Bytes(2).size());
            Select(List(), {0});
            Command(ID_EDITION_COPIER);
            EXPECT_EQ(ReadClipboard(reader.hwnd()), NestedSource::Offered());
            EXPECT_EQ(Clips(), 1);
            EXPECT_EQ(nested->Finish(), 1);
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ViewerChain, TheSameChangeNoticedWhileTheNamingDialogIsOpenIsNoSecondClip)
{
    ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("une seule fois")}}));
    ModalScript script;
    script.Then([&] {
              theKeeperApp.m_bAutoPaste = 1;  // Auto Name off: Coller asks for a name
              PostMessageA(Wnd(), WM_COMMAND, ID_EDITION_COLLER, 0);
          })
        .Then([&] {
            ASSERT_NE(FindWindowA("#32770", "Ajouter"), nullptr);
            // A viewer ahead of us passes the notice of that copy on late.
            SendMessageA(Wnd(), WM_DRAWCLIPBOARD, 0, 0);
            EXPECT_EQ(Clips(), 0);
            PostMessageA(FindWindowA("#32770", "Ajouter"), WM_COMMAND, IDOK, 0);
        })
        .Then([&] { EXPECT_EQ(Clips(), 1); });
    EXPECT_TRUE(RunMainWindow(script));
}

// Handling a notice asks other programs questions (the owner's title, the
// clipboard itself: Wine's X11 bridge is asked across processes), which lets
// notices sent meanwhile in. Here, as the capture opens the clipboard,
// another copy is made and announced to the main window.
TestWindow* g_pRecopier = nullptr;
HWND g_hNoticed = nullptr;
DWORD g_dwClock = 1000;
DWORD WINAPI Clock() { return g_dwClock; }
BOOL WINAPI CopiesAgainWhileAsked(HWND hWnd)
{
    if (TestWindow* pSource = std::exchange(g_pRecopier, nullptr)) {
        pSource->Offer({{CF_TEXT, TextBytes("la seconde")}});
        SendMessageA(g_hNoticed, WM_DRAWCLIPBOARD, 0, 0);
        g_dwClock += 1000;  // a busy machine: the question took a while
    }
    return ::OpenClipboard(hWnd);
}

TEST_F(ViewerChain, ANoticeThatComesWhileAnotherIsHandledWaitsItsTurn)
{
    // Handled at once, the inner notice would keep the second copy, and the
    // outer one, going on, would keep it a second time.
    theKeeperApp.m_bAutoPaste = 1;
    SysOverride<decltype(SysApi::OpenClipboard)> ask{&SysApi::OpenClipboard, CopiesAgainWhileAsked};
    SysOverride<decltype(SysApi::GetTickCount)> clock{&SysApi::GetTickCount, Clock};
    ModalScript script;
    script
        .Then([&] {
            g_hNoticed = Wnd();
            g_pRecopier = &source;
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("la premiere")}}));
        })
        .Then([&] {
            EXPECT_FALSE(NoticeWaiting());
            ASSERT_EQ(Clips(), 1);
            const CClipFormat* pFirst = ClipOf(List(), 0)->m_pFirstFormat;
            ASSERT_NE(pFirst, nullptr);
            EXPECT_STREQ(static_cast<const char*>(pFirst->m_pData), "la seconde");
        });
    EXPECT_TRUE(RunMainWindow(script));
}

// The clock of the rules that look at how close two captures are.
DWORD g_dwNow = 1000;
DWORD WINAPI FakeTickCount() { return g_dwNow; }

TEST_F(ViewerChain, OneCopyAnnouncedTwiceAtOnceByTheSameWindowIsOneClip)
{
    // As Wine's X11 bridge announces a copy made in a Linux program: two
    // notices, two sequence numbers, the same owner and the same bytes.
    theKeeperApp.m_bAutoPaste = 1;
    SysOverride<decltype(SysApi::GetTickCount)> clock{&SysApi::GetTickCount, FakeTickCount};
    const UINT cfHtml = RegisterFormat("HTML Format");
    const std::vector<SourceFormat> copy = {{CF_TEXT, TextBytes("depuis Linux")}, {cfHtml, PatternBytes(300, 9)}};
    std::vector<SourceFormat> changed = copy;
    changed[1].bytes[299] ^= 1;
    TestWindow other{"Autre source"};
    ModalScript script;
    script
        .Then([&] {
            g_dwNow = 1000;
            ASSERT_TRUE(source.Offer(copy));
            g_dwNow += 3;
            ASSERT_TRUE(source.Offer(copy));
            EXPECT_EQ(Clips(), 1);
            // One byte more or less is another copy.
            g_dwNow += 3;
            ASSERT_TRUE(source.Offer(changed));
            EXPECT_EQ(Clips(), 2);
            // So is the same copy by another window,
            g_dwNow += 3;
            ASSERT_TRUE(other.Offer(changed));
            EXPECT_EQ(Clips(), 3);
            // and the same copy a moment later: the user copied it again.
            g_dwNow += 251;
            ASSERT_TRUE(other.Offer(changed));
            EXPECT_EQ(Clips(), 4);
            // The user's own Coller is never held back.
            theKeeperApp.m_bAutoName = 1;
            Command(ID_EDITION_COLLER);
            EXPECT_EQ(Clips(), 5);
        });
    EXPECT_TRUE(RunMainWindow(script));
}

TEST_F(ViewerChain, TheClipboardWeOwnBeingEmptiedClearsPartZero)
{
    theKeeperApp.m_bAutoName = 1;
    std::string before, during;
    ModalScript script;
    script.Then([&] {
        ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("la mienne")}}));
        Command(ID_EDITION_COLLER);
        ASSERT_EQ(Clips(), 1);
        Select(List(), {0});
        Command(ID_EDITION_COPIER);
        before = StatusText(Status(), 0);
        // Another program takes the clipboard: we are told that ours is
        // emptied before its copy is announced.
        ASSERT_TRUE(OpenClipboard(reader.hwnd()));
        EmptyClipboard();
        during = StatusText(Status(), 0);
        CloseClipboard();
    });
    EXPECT_TRUE(RunMainWindow(script));
    EXPECT_EQ(before, "Dans le presse-papier : Source de la chaine");
    EXPECT_EQ(during, "");
}

// Fails OpenClipboard for the main window a given number of times, as when
// another program holds the clipboard open.
int g_nBusyOpens = 0;
int g_nRefusedOpens = 0;
HWND g_hBusyFor = nullptr;
BOOL WINAPI BusyOpenClipboard(HWND hWnd)
{
    if (hWnd == g_hBusyFor && g_nBusyOpens > 0) {
        --g_nBusyOpens;
        ++g_nRefusedOpens;
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return ::OpenClipboard(hWnd);
}

// A clock that a held clipboard's wait runs through at once.
DWORD g_dwFastClock = 0;
DWORD WINAPI FastClock() { return g_dwFastClock += 1000; }

TEST_F(ViewerChain, AnAutomaticCaptureOfAClipboardHeldOpenIsTriedAgainLaterOrSaidToBeLost)
{
    theKeeperApp.m_bAutoPaste = 1;
    theKeeperApp.m_bAutoName = 1;
    SysOverride<decltype(SysApi::OpenClipboard)> open{&SysApi::OpenClipboard, BusyOpenClipboard};
    std::unique_ptr<SysOverride<decltype(SysApi::GetTickCount)>> clock;
    g_nRefusedOpens = 0;
    ModalScript script;
    script
        .Then([&] {
            g_hBusyFor = Wnd();
            g_nBusyOpens = 3;  // free again at the fourth try, from the message loop
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("attendue")}}));
            EXPECT_EQ(Clips(), 0);
        })
        .Await([&] { return Clips() == 1; })
        .Then([&] {
            EXPECT_EQ(g_nRefusedOpens, 3);
            EXPECT_EQ(ItemText(List(), 0), WindowText(source.hwnd()));
            g_nBusyOpens = 1000;  // held for good: given up at the bound, and said
            clock = std::make_unique<SysOverride<decltype(SysApi::GetTickCount)>>(&SysApi::GetTickCount, FastClock);
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("perdue")}}));
        })
        .Await([&] { return StatusText(Status(), 0) == "Copie perdue : presse-papiers occup\xe9"; })
        .Then([&] {
            EXPECT_EQ(Clips(), 1);
            clock.reset();
            g_nBusyOpens = 1;  // the user's own Coller asks once, and is not tried again
            g_nRefusedOpens = 0;
            Command(ID_EDITION_COLLER);
            EXPECT_EQ(g_nRefusedOpens, 1);
        })
        .Then([&] {
            EXPECT_EQ(g_nRefusedOpens, 1);
            EXPECT_EQ(Clips(), 1);
            g_hBusyFor = nullptr;
        });
    EXPECT_TRUE(RunMainWindow(script));
}

// The first removal from the chain held until the test lets it go, as a
// loaded machine can hold a thread past the rejoining's wait; or, once
// g_bEndSessionDuring is set, one during which the session ends.
std::atomic<int> g_nRemovals{0};
std::atomic<bool> g_bFirstRemoved{false};
std::atomic<bool> g_bEndSessionDuring{false};
HANDLE g_hLetGo = nullptr;
BOOL WINAPI HeldRemoval(HWND hWnd, HWND hNext)
{
    const bool bFirst = g_nRemovals++ == 0;
    if (bFirst)
        WaitForSingleObject(g_hLetGo, 10000);
    if (g_bEndSessionDuring) {
        SendNotifyMessageW(hWnd, WM_ENDSESSION, TRUE, 0);
        Sleep(200);  // handled by the waiting window meanwhile
    }
    const BOOL bDone = ::ChangeClipboardChain(hWnd, hNext);
    g_bFirstRemoved = g_bFirstRemoved || bFirst;
    return bDone;
}

TEST_F(ViewerChain, ARejoiningWaitsForTheRemovalUnderWayAndNoneFollowsTheSessionsEnd)
{
    SysOverride<decltype(SysApi::ChangeClipboardChain)> held{&SysApi::ChangeClipboardChain, HeldRemoval};
    g_hLetGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::unique_ptr<ClipboardViewer> head;
    ModalScript script;
    script
        .Then([&] { head = std::make_unique<ClipboardViewer>(ClipboardViewer::Thread::OwnThread); })
        .Then([&] {
            ASSERT_EQ(head->next(), Wnd());
            RejoinChain();  // its removal outlasts the wait: left for the next try
            RejoinChain();  // which waits for that one, still under way
            EXPECT_EQ(GetClipboardViewer(), head->hwnd());
            SetEvent(g_hLetGo);
        })
        .Await([] { return g_bFirstRemoved.load(); })
        .Then([&] {
            EXPECT_EQ(GetClipboardViewer(), head->hwnd()) << "a second removal ran, and the late first took the window out";
            RejoinChain();
            EXPECT_EQ(GetClipboardViewer(), Wnd());
            EXPECT_EQ(NextViewer(), head->hwnd());
            const int nDraws = head->Draws();
            ASSERT_TRUE(source.Offer({{CF_TEXT, TextBytes("entendue")}}));
            EXPECT_EQ(head->Draws(), nDraws + 1);
            g_bEndSessionDuring = true;
            RejoinChain();
            EXPECT_EQ(GetClipboardViewer(), head->hwnd()) << "rejoined once the session had ended";
        });
    EXPECT_TRUE(RunMainWindow(script));
    g_bEndSessionDuring = false;
    CloseHandle(g_hLetGo);
}

}  // namespace
