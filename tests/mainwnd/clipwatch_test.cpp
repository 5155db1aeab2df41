// The watch's rules as one table: each row plays events as the window hands
// them over ("verb arguments > decision expected", verbs in Player::Play).
// Windows are w0 (none), w1 (ours), w2...; clips n1, n2; times in ms.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "mainwnd/clipwatch.h"

namespace {

using Watch = CClipboardWatch;

// An enumerator's name: the words in the enumeration's order.
template <typename E>
std::string Name(E e, std::vector<std::string> words) { return words.at(static_cast<std::size_t>(e)); }

struct Player {
    Watch watch;
    CClipList::Node nodes[3] = {};
    std::vector<std::string> t;  // the event's words

    Watch::Sequence N(std::size_t i) const { return static_cast<Watch::Sequence>(std::stoul(t.at(i))); }
    Watch::Window W(std::size_t i) const { return std::stoul(t.at(i).substr(1)); }
    bool Has(const char* word) const { return std::find(t.begin(), t.end(), word) != t.end(); }
    Watch::Passing What() const { return Has("notice") ? Watch::Passing::Notice : Watch::Passing::Departure; }

    // A notice arrives, or one posted comes back > now|later|waiting; the later one is posted.
    std::string Arrive(bool bBack = false)
    {
        const Watch::Arrival a = watch.NoticeArrives(Has("open"), bBack);
        if (a == Watch::Arrival::Later)
            watch.LaterPosted(true);
        return Name(a, {"now", "later", "waiting"});
    }
    // "begin N [own] [restoring] [skip] [off]" > handled | show|silent take|skip|none; skip: Auto Paste switched before
    std::string Begin()
    {
        if (Has("skip"))
            watch.AutoPasteSwitched();
        const Watch::Change c = watch.BeginChange({N(1), Has("own"), Has("restoring"), !Has("off")});
        return !c.bNew ? "handled" : (c.bNameOwner ? "show " : "silent ") + Name(c.capture, {"none", "take", "skip"});
    }

    // Plays one event; returns its decision, or "" for none.
    std::string Play(const std::string& event)
    {
        std::istringstream in(event);
        t.clear();
        for (std::string word; in >> word;)
            t.push_back(word);
        auto is = [this](const char* w) { return [this, w](const CClipList::Node&) { return t.at(4) == w; }; };
        const std::map<std::string, std::function<std::string()>> verbs = {
            {"join", [&] { watch.Joined(!Has("alone")); return ""; }},
            {"leave", [&] {  // > nothing | chain [listener] [check]
                 const Watch::Leaving l = watch.Leave();
                 return !l.bLeaveChain ? "nothing" : std::string("chain") + (l.bStopListening ? " listener" : "") +
                                                         (l.bStopChainCheck ? " check" : "");
             }},
            {"chain", [&] { watch.ChainNotice(N(1)); return ""; }},
            {"listener", [&] { return watch.ListenerNotice(N(1)) ? "check" : "none"; }},
            {"started", [&] { watch.ChainCheckStarted(true); return ""; }},
            {"due", [&] { return watch.ChainCheckDue() ? "rejoin" : "none"; }},
            {"back", [&] { return Arrive(true); }},
            {"begin", [&] { return Begin(); }},
            {"end", [&] { watch.EndChange(); return ""; }},
            {"change", [&] {  // N [open] [...]: arrives, begins and ends
                 const std::string arrival = Arrive(), decision = arrival == "now" ? Begin() : arrival;
                 watch.EndChange();
                 return decision;
             }},
            {"read", [&] { watch.CaptureRead(N(1)); return ""; }},
            {"stored", [&] { watch.CaptureStored(N(1), &nodes[W(2)], W(3), N(4), Has("auto")); return ""; }},
            {"failed", [&] { watch.CaptureFailed(false, 0); return ""; }},
            {"held", [&] {  // T > retry N | lost
                 const Watch::Retry r = watch.CaptureFailed(true, N(1));
                 return r.bLost ? "lost" : "retry " + std::to_string(r.nAfterMs);
             }},
            {"again", [&] { return watch.RetryDue() ? "capture" : "none"; }},
            {"switched", [&] { watch.AutoPasteSwitched(); return ""; }},
            {"removed", [&] { watch.ClipRemoved(&nodes[W(1)]); return ""; }},
            {"restored", [&] { watch.Restored(N(1)); return ""; }},
            {"judge", [&] {  // N wK T same|remainder|other
                 return Name(watch.JudgeAutomaticCapture(N(1), W(2), N(3), is("same"), is("remainder")),
                             {"keep", "repeat", "remainder"});
             }},
            {"pass", [&] { return watch.BeginPassingOn(What()) ? "yes" : "no"; }},
            {"passed", [&] { watch.EndPassingOn(What()); return ""; }},
            {"leaves", [&] {  // wRemoved wAfter wNext, we being w1
                 return Name(Watch::ViewerLeaves(W(1), W(2), W(3), 1), {"relink", "passon", "nothing"});
             }},
        };
        return verbs.at(t.at(0))();
    }
};

const struct {
    const char* pszRule;
    const char* pszEvents;
} kRules[] = {
    {"a change announced both ways is one capture; the listener's first asks the chain, which answers in time",
     "join; chain 5; change 5 > show take; read 5; stored 5 n1 w2 100 auto; listener 5 > none; change 5 > handled; "
     "listener 7 > check; started; change 7 > show take; chain 7; change 7 > handled; due > none"},
    {"a broken chain is rejoined, whose notice brings no change; one check at a time; leaving stops it, once",
     "join; listener 7 > check; started; listener 8 > none; change 7 > show take; due > rejoin; chain 7; "
     "change 7 > handled; listener 9 > check; started; leave > chain listener check; listener 10 > none; "
     "leave > nothing; join alone; leave > chain"},
    {"a notice while the clipboard is open here, or while another is handled, waits, once, and comes back",
     "change 8 open > later; change 8 open > waiting; back > now; begin 9 > show take; change 10 > later; end; "
     "back > now; change 10 > show take"},
    {"our restore's notice: named while it runs, silent when late, another program's change with another owner",
     "restored 11; change 11 own restoring > show skip; restored 12; change 12 own > silent skip; restored 13; "
     "change 13 own off > silent none; restored 14; change 14 > show take"},
    {"a skip covers one change; without Auto Paste nothing is taken; 0 tells nothing; the number just captured is "
     "no new clip, also where the numbers wrap",
     "change 3 skip > show skip; change 4 > show take; change 5 off > show none; change 0 > show none; "
     "change 0 > show none; read 5; stored 5 n1 w2 100 manual; change 5 > show none; read 2000000000; "
     "read 4000000000; read 2; read 1; change 2 > show none"},
    {"a repeat is the same window at once with the same bytes, also where the clock wraps; not later, other bytes, "
     "another window, no window, or after Coller",
     "read 5; stored 5 n1 w2 100 auto; judge 6 w2 300 same > repeat; change 6 > show none; judge 7 w2 350 same > "
     "repeat; judge 6 w2 351 same > keep; judge 6 w2 110 other > keep; judge 6 w3 110 same > keep; judge 6 w0 110 "
     "same > keep; stored 8 n2 w2 4294967200 auto; judge 9 w2 40 same > repeat; judge 10 w2 200 same > keep; "
     "stored 11 n2 w2 300 manual; judge 12 w2 310 same > keep"},
    {"what remains of a copy when its owner goes, once; only of a copy that had an owner",
     "stored 5 n1 w2 100 auto; judge 6 w0 110 remainder > remainder; change 6 > show none; judge 7 w0 120 remainder > "
     "keep; stored 8 n1 w0 100 auto; judge 9 w0 110 remainder > keep; judge 9 w3 110 remainder > keep"},
    {"a failed capture, a removed clip or a skip forgets the last capture; one stored inside the naming dialog, "
     "after a later one, is not the last",
     "stored 5 n1 w2 100 auto; failed; judge 6 w2 110 same > keep; stored 7 n1 w2 200 auto; removed n1; "
     "judge 8 w2 210 same > keep; stored 9 n2 w2 300 auto; change 10 skip > show skip; judge 11 w2 310 same > keep; "
     "read 20; read 21; stored 21 n2 w3 100 auto; stored 20 n1 w2 110 manual; judge 22 w3 120 same > repeat"},
    {"a held clipboard is tried again later, ever longer apart, until a capture reads it; a newer change takes "
     "its place; at the bound the copy is lost",
     "change 5 > show take; held 100 > retry 20; again > capture; held 120 > retry 40; end; again > capture; "
     "held 160 > retry 80; end; held 240 > retry 160; held 400 > retry 320; held 720 > retry 320; again > capture; "
     "read 5; end; again > none; held 0 > retry 20; change 6 > show take; again > none; held 10 > retry 20; end; "
     "held 3800 > retry 40; held 3990 > retry 20; held 4010 > lost; again > none"},
    {"a retry waits for no private or empty clipboard, nor after a restore, Coller, Auto Paste switched or leaving",
     "held 0 > retry 20; failed; again > none; held 0 > retry 20; restored 7; again > none; held 10 > retry 20; "
     "switched; again > none; held 20 > retry 20; read 8; again > none; join; held 30 > retry 20; "
     "leave > chain listener; again > none"},
    {"what comes back while it is passed on goes no further; departures relink our next, never to ourselves",
     "pass notice > yes; pass notice > no; pass departure > yes; passed notice; pass notice > yes; "
     "leaves w2 w3 w2 > relink; leaves w2 w1 w2 > nothing; leaves w4 w3 w2 > passon"},
};

TEST(ClipboardWatch, RulesAsOneTable)
{
    for (const auto& rule : kRules) {
        Player player;
        std::istringstream events(rule.pszEvents);
        for (std::string event; std::getline(events, event, ';');) {
            const std::size_t arrow = event.find('>');
            const std::string got = player.Play(event.substr(0, arrow));
            const std::string want = arrow == std::string::npos ? "" : event.substr(arrow + 2);
            EXPECT_EQ(got, want) << rule.pszRule << ", at:" << event;
        }
    }
}

}  // namespace
