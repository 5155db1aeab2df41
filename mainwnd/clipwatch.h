// The watch of the clipboard: every rule that turns change notices into clips,
// in one place. The main window asks the system for the facts (the sequence
// number, the owner, the time, whether the clipboard is open here), hands
// them to the watch, and carries out what it decides: capture, nothing, wait,
// drop a repeat or a remainder, try a held clipboard again later or give it
// up, rejoin the chain, pass a notice on or not.
// The watch makes no system call. Pure code.
//
// A notice comes down the viewer chain (WM_DRAWCLIPBOARD) or from the
// clipboard format listener (WM_CLIPBOARDUPDATE), often both for one change;
// the window handles both the same way:
//   ChainNotice or ListenerNotice, then NoticeArrives: now or later;
//   now: BeginChange, the capture it asks for, EndChange;
//   a chain notice is then passed on (BeginPassingOn, EndPassingOn).
// An automatic capture that finds the clipboard held open by another program
// (CaptureFailed) is tried again from the message loop after a growing delay
// (RetryDue, inside a change again), until it opens or kHeldBoundMs passes.
#pragma once

#include <cstdint>
#include <functional>

#include "clips/cliplist.h"

class CClipboardWatch {
public:
    // The clipboard's sequence number; 0 when the system gives none.
    using Sequence = std::uint32_t;
    // A window handle as a number; 0 for none.
    using Window = std::uintptr_t;
    // Milliseconds of the system's clock, which wraps.
    using Tick = std::uint32_t;

    // A viewer after us that does not answer within this time is passed by:
    // a wait without end would stop every posted message here, input and
    // quit included.
    static constexpr unsigned kPassOnTimeoutMs = 3000;
    // The chain brings a change a little after the listener does at most: a
    // viewer ahead of us that passes notices on late does so from its message
    // loop, within moments even on a busy machine. A change the chain has not
    // brought by then never comes: the chain is broken ahead of us.
    static constexpr unsigned kChainGraceMs = 2000;
    // The same copy announced twice this close together by the same window is
    // one copy (the X11 bridge of a Linux desktop does so when a Linux program
    // takes the clipboard back). Narrow on purpose: a user who copies the
    // same thing again later gets a clip for it.
    static constexpr Tick kRepeatWindowMs = 250;
    // A clipboard held open by another program (clipboard history reading a
    // copy, a viewer asking for a large delayed render, a source reopening it
    // to add a format) is tried again after 20 ms, then twice as long each
    // time up to 320 ms, for at most 4 s in all: longer than any of those
    // holds, and than the 3 s a viewer has to answer a notice, so that a
    // program that holds it while it waits on one does not lose the copy.
    static constexpr unsigned kFirstRetryMs = 20;
    static constexpr unsigned kLongestRetryMs = 320;
    static constexpr Tick kHeldBoundMs = 4000;

    // Membership of the chain, with the listener where the system has one.
    void Joined(bool bListening);
    // Also ends a retry that waits.
    struct Leaving {
        bool bLeaveChain;      // false: left already, or never joined
        bool bStopListening;
        bool bStopChainCheck;  // the check started by ListenerNotice
    };
    Leaving Leave();
    bool InChain() const { return m_bInChain; }

    // The chain brought a notice: it works.
    void ChainNotice(Sequence nSequence);
    // The listener told of a change. True: the chain has not brought it (yet);
    // the window starts a check of kChainGraceMs and says whether it could.
    bool ListenerNotice(Sequence nSequence);
    void ChainCheckStarted(bool bStarted);
    // The check's time is up. True: the chain never brought the change; the
    // window joins it anew, so that the viewers after us hear of changes.
    bool ChainCheckDue();

    // A notice that arrives while the clipboard is open here (a source that
    // renders a format for our capture, a viewer ahead of us passing a notice
    // on late) or while another notice is handled (which asks other programs
    // for the owner's title and the clipboard, and so lets notices in) waits:
    // handled now, it would open the clipboard again and close it under the
    // operation, or capture the same change twice. It is posted back to the
    // window once (Later, then LaterPosted); the post arrives as a new notice
    // (NoticeArrives again, bPostedBack).
    enum class Arrival { Now, Later, AlreadyWaiting };
    Arrival NoticeArrives(bool bClipboardOpenHere, bool bPostedBack = false);
    void LaterPosted(bool bPosted) { m_bLaterPosted = bPosted; }
    bool IsWaiting() const { return m_bLaterPosted; }

    // What the window knows as a notice is handled.
    struct Facts {
        Sequence nSequence;
        bool bOwnedByUs;   // the clipboard's owner is the main window
        bool bRestoring;   // a restore of ours is under way
        bool bAutoPaste;
    };
    enum class Capture {
        None,
        Take,  // capture automatically
        Skip,  // capture nothing, and clear the skip
    };
    struct Change {
        bool bNew;        // false: that change was handled; nothing to do
        bool bNameOwner;  // part 0 names the clipboard's owner
        Capture capture;
    };
    // After a new change, EndChange when it has been handled. A new change
    // supersedes a retry that waits: its own capture is tried now.
    Change BeginChange(const Facts& facts);
    void EndChange() { m_bInChange = false; }
    // Auto Paste was switched, on or off: the change after it is skipped,
    // and a retry that waits ends.
    void AutoPasteSwitched();
    bool SkipsNextChange() const { return m_bSkipNext; }

    // What an automatic capture read, judged against the last capture while
    // its copy is still on the clipboard. The comparisons of bytes are asked
    // for only when the other facts leave the question open.
    enum class Verdict { Keep, Repeat, Remainder };
    using Compare = std::function<bool(const CClipList::Node& last)>;
    Verdict JudgeAutomaticCapture(Sequence nSequence, Window hOwner, Tick nNow, const Compare& sameRecords,
                                  const Compare& remainderOf);
    // An automatic capture took nothing: the clipboard was held open by
    // another program (bHeld), or it was private, empty or closed under it.
    // Only a held one is tried again: nAfterMs later, or never again once
    // kHeldBoundMs has passed since it was first found held, when the copy
    // is lost and the person is told (bLost).
    struct Retry {
        unsigned nAfterMs;  // 0: no retry
        bool bLost;
    };
    Retry CaptureFailed(bool bHeld, Tick nNow);
    // A retry's time has come. True: the window captures again, as an
    // automatic capture of a new change, then calls EndChange.
    bool RetryDue();
    // Any capture, automatic or not: read (still to be named), then stored.
    // A capture read has read the clipboard as it is: no retry waits then.
    void CaptureRead(Sequence nSequence);
    void CaptureStored(Sequence nSequence, const CClipList::Node* pNode, Window hOwner, Tick nNow, bool bAutomatic);
    void ClipRemoved(const CClipList::Node* pNode);
    // A restore of ours left the clipboard at this sequence number; a retry
    // that waits would take it for a copy, and ends.
    void Restored(Sequence nSequence)
    {
        m_nOwnWrite = nSequence;
        m_bRetrying = false;
    }

    // Notices and departures are passed on down the chain; one that comes
    // back to us while we pass it on (a chain that loops) goes no further.
    enum class Passing { Notice, Departure };
    bool BeginPassingOn(Passing what);
    void EndPassingOn(Passing what) { PassingFlag(what) = false; }
    // A viewer leaves the chain (WM_CHANGECBCHAIN).
    enum class Departure {
        Relink,   // it was our next: the one after it is now
        PassOn,
        Nothing,  // we would be our own successor: the chain would loop
    };
    static Departure ViewerLeaves(Window hRemove, Window hAfter, Window hNext, Window hSelf);

private:
    bool& PassingFlag(Passing what) { return what == Passing::Notice ? m_bPassingNotice : m_bPassingDeparture; }

    bool m_bInChain = false;
    bool m_bListening = false;
    // The sequence number when the chain last brought a notice, and whether
    // a check waits for the chain to bring the listener's change.
    Sequence m_nChainSequence = 0;
    bool m_bAwaitingChain = false;
    bool m_bLaterPosted = false;
    bool m_bInChange = false;
    // The user switched Auto Paste since the last change.
    bool m_bSkipNext = false;
    // A capture that found the clipboard held waits to be tried again: since
    // when, and the delay before its last try.
    bool m_bRetrying = false;
    Tick m_nHeldSince = 0;
    unsigned m_nRetryDelay = 0;
    // The change handled last (once one was).
    Sequence m_nHandled = 0;
    bool m_bHandledAny = false;
    // After our last restore (0: none yet), and as our last capture read it.
    Sequence m_nOwnWrite = 0;
    Sequence m_nSeen = 0;
    // The last capture while its copy is still current: its clip, the window
    // that owned that clipboard, when, and whether it was automatic.
    const CClipList::Node* m_pLast = nullptr;
    Window m_hLastOwner = 0;
    Tick m_nLastTick = 0;
    bool m_bLastAutomatic = false;
    bool m_bPassingNotice = false;
    bool m_bPassingDeparture = false;
};
