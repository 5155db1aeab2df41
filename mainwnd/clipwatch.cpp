#include "mainwnd/clipwatch.h"

#include <algorithm>

namespace {

// Sequence numbers wrap: a is later than b when it is ahead by less than half
// the range.
std::int32_t Ahead(CClipboardWatch::Sequence a, CClipboardWatch::Sequence b)
{
    return static_cast<std::int32_t>(a - b);
}

}  // namespace

void CClipboardWatch::Joined(bool bListening)
{
    m_bInChain = true;
    m_bListening = bListening;
}

CClipboardWatch::Leaving CClipboardWatch::Leave()
{
    const Leaving leaving{m_bInChain, m_bListening, m_bAwaitingChain};
    m_bInChain = m_bListening = m_bAwaitingChain = m_bRetrying = false;
    return leaving;
}

void CClipboardWatch::ChainNotice(Sequence nSequence)
{
    m_nChainSequence = nSequence;
    m_bAwaitingChain = false;
}

bool CClipboardWatch::ListenerNotice(Sequence nSequence)
{
    // One check at a time: a later change is covered by the running one.
    return m_bInChain && !m_bAwaitingChain && nSequence != m_nChainSequence;
}

void CClipboardWatch::ChainCheckStarted(bool bStarted) { m_bAwaitingChain = bStarted; }

bool CClipboardWatch::ChainCheckDue()
{
    const bool bBroken = m_bAwaitingChain;
    m_bAwaitingChain = false;
    return bBroken;
}

CClipboardWatch::Arrival CClipboardWatch::NoticeArrives(bool bClipboardOpenHere, bool bPostedBack)
{
    if (bPostedBack)
        m_bLaterPosted = false;
    if (!bClipboardOpenHere && !m_bInChange)
        return Arrival::Now;
    // One waiting notice stands for all: handling looks at the clipboard as
    // it is then.
    return m_bLaterPosted ? Arrival::AlreadyWaiting : Arrival::Later;
}

CClipboardWatch::Change CClipboardWatch::BeginChange(const Facts& facts)
{
    const Sequence nSequence = facts.nSequence;
    // One change comes both down the chain and from the listener, and a
    // viewer may pass a notice on without a change: what was handled at this
    // sequence number has been handled. (No number at all, 0, tells nothing.)
    if (nSequence != 0 && m_bHandledAny && nSequence == m_nHandled)
        return {false, false, Capture::None};
    m_bHandledAny = true;
    m_nHandled = nSequence;
    m_bInChange = true;
    m_bRetrying = false;

    // The notice of a restore of ours that comes late, through a viewer
    // ahead of us: the restore has named its clip in part 0 already.
    const bool bLateOwnRestore =
        !facts.bRestoring && m_nOwnWrite != 0 && nSequence == m_nOwnWrite && facts.bOwnedByUs;
    Change change{true, !bLateOwnRestore, Capture::None};
    if (!facts.bAutoPaste)
        return change;
    if (m_bSkipNext || facts.bRestoring || bLateOwnRestore) {
        // A restore of ours is no new content; a skip covers one change.
        // Either way the clipboard is no longer the last capture's.
        change.capture = Capture::Skip;
        m_bSkipNext = false;
        m_pLast = nullptr;
    } else if (nSequence != m_nSeen) {
        // At the number just captured, it is that copy noticed again (a
        // viewer joining the chain passes a notice on without a change).
        change.capture = Capture::Take;
    }
    return change;
}

CClipboardWatch::Verdict CClipboardWatch::JudgeAutomaticCapture(Sequence nSequence, Window hOwner, Tick nNow,
                                                                const Compare& sameRecords,
                                                                const Compare& remainderOf)
{
    if (m_pLast == nullptr)
        return Verdict::Keep;
    // The same window, at once, the same bytes. Seen: a third announcement
    // is no new copy either.
    if (m_bLastAutomatic && hOwner != 0 && hOwner == m_hLastOwner && nNow - m_nLastTick <= kRepeatWindowMs &&
        sameRecords(*m_pLast)) {
        m_nSeen = nSequence;
        return Verdict::Repeat;
    }
    // When its owner is destroyed, the system drops the formats it never
    // rendered and announces the change: the same copy, fewer formats, no
    // owner. A copy loses its owner once: the next change is a new copy.
    if (hOwner == 0 && m_hLastOwner != 0 && remainderOf(*m_pLast)) {
        m_nSeen = nSequence;
        m_pLast = nullptr;
        return Verdict::Remainder;
    }
    return Verdict::Keep;
}

void CClipboardWatch::AutoPasteSwitched()
{
    m_bSkipNext = true;
    m_bRetrying = false;
}

CClipboardWatch::Retry CClipboardWatch::CaptureFailed(bool bHeld, Tick nNow)
{
    // The clipboard is no longer the last capture's.
    m_pLast = nullptr;
    if (!bHeld) {
        m_bRetrying = false;
        return {0, false};
    }
    if (!m_bRetrying) {
        m_bRetrying = true;
        m_nHeldSince = nNow;
        m_nRetryDelay = kFirstRetryMs;
        return {m_nRetryDelay, false};
    }
    // The last try comes at the bound itself, not past it.
    const Tick nHeld = nNow - m_nHeldSince;
    if (nHeld >= kHeldBoundMs) {
        m_bRetrying = false;
        return {0, true};
    }
    m_nRetryDelay = std::min({2 * m_nRetryDelay, kLongestRetryMs, static_cast<unsigned>(kHeldBoundMs - nHeld)});
    return {m_nRetryDelay, false};
}

bool CClipboardWatch::RetryDue()
{
    if (!m_bRetrying || m_bInChange)
        return false;
    m_bInChange = true;
    return true;
}

void CClipboardWatch::CaptureRead(Sequence nSequence)
{
    m_bRetrying = false;
    // Seen from now on, also while the naming dialog runs: a late notice of
    // this change is no new copy.
    if (Ahead(nSequence, m_nSeen) > 0)
        m_nSeen = nSequence;
}

void CClipboardWatch::CaptureStored(Sequence nSequence, const CClipList::Node* pNode, Window hOwner, Tick nNow,
                                    bool bAutomatic)
{
    // A capture finished inside the naming dialog saw a later clipboard: this
    // one is no longer the last.
    if (Ahead(nSequence, m_nSeen) < 0)
        return;
    m_nSeen = nSequence;
    m_pLast = pNode;
    m_hLastOwner = hOwner;
    m_nLastTick = nNow;
    m_bLastAutomatic = bAutomatic;
}

void CClipboardWatch::ClipRemoved(const CClipList::Node* pNode)
{
    if (pNode == m_pLast)
        m_pLast = nullptr;
}

bool CClipboardWatch::BeginPassingOn(Passing what)
{
    bool& bPassing = PassingFlag(what);
    if (bPassing)
        return false;
    bPassing = true;
    return true;
}

CClipboardWatch::Departure CClipboardWatch::ViewerLeaves(Window hRemove, Window hAfter, Window hNext, Window hSelf)
{
    if (hRemove != hNext)
        return Departure::PassOn;
    return hAfter != hSelf ? Departure::Relink : Departure::Nothing;
}
