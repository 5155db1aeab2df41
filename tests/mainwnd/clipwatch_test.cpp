// The watch's rules as one table: each row plays a sequence of events as the
// window hands them over, and names the decision expected after each.
//
// An event is "verb arguments", then "> decision" where one is expected.
// Windows are w0 (none), w1 (ours), w2 ...; clips n1, n2; times in ms.
//   join [alone]              joined the chain, with the listener or without
//   leave > what              what leaving stops: chain, listener, check
//   chain N                   the chain brought a notice at sequence number N
//   listener N > check|none   the listener told of N: a chain check or not
//   started, due > rejoin     the check started; its time is up
//   arrive [open] > now|later|waiting, back    a notice arrives; the later one comes back
//   begin N [own] [restoring] [skip] [off] > handled|show|silent take|skip|none
//   end                       the change has been handled
//   change N [...]            arrive, begin and end at once
//   read N, stored N nK wK T auto|manual, failed, removed nK, restored N
//   judge N wK T same|remainder|other > keep|repeat|remainder
//   pass notice|departure > yes|no, passed ...   passing on begun, ended
//   leaves wR wA wN > relink|passon|nothing    a viewer leaves; we are w1
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "mainwnd/clipwatch.h"

namespace {

using Watch = CClipboardWatch;

const char* Word(Watch::Capture c)
{
    return c == Watch::Capture::Take ? "take" : c == Watch::Capture::Skip ? "skip" : "none";
}

struct Player {
    Watch watch;
    CClipList::Node nodes[3] = {};

    static Watch::Window Win(const std::string& w) { return std::stoul(w.substr(1)); }
    const CClipList::Node* Node(const std::string& n) { return &nodes[std::stoul(n.substr(1))]; }

    std::string Begin(std::istringstream& in)
    {
        Watch::Facts facts{0, false, false, false, true};
        in >> facts.nSequence;
        for (std::string flag; in >> flag;) {
            facts.bOwnedByUs |= flag == "own";
            facts.bRestoring |= flag == "restoring";
            facts.bSkipNext |= flag == "skip";
            facts.bAutoPaste &= flag != "off";
        }
        const Watch::Change c = watch.BeginChange(facts);
        return !c.bNew ? "handled" : std::string(c.bNameOwner ? "show " : "silent ") + Word(c.capture);
    }
    std::string Arrive(bool bOpen)
    {
        switch (watch.NoticeArrives(bOpen)) {
        case Watch::Arrival::Now:
            return "now";
        case Watch::Arrival::Later:
            watch.LaterPosted(true);
            return "later";
        default:
            return "waiting";
        }
    }

    // Plays one event; returns its decision, or "" for none.
    std::string Play(const std::string& event)
    {
        std::istringstream in(event);
        std::string verb, a, b, c, d, e;
        in >> verb;
        if (verb == "join")
            watch.Joined(!(in >> a));
        if (verb == "leave") {
            const Watch::Leaving l = watch.Leave();
            return !l.bLeaveChain ? "nothing"
                                  : std::string("chain") + (l.bStopListening ? " listener" : "") +
                                        (l.bStopChainCheck ? " check" : "");
        }
        if (verb == "chain" && in >> a)
            watch.ChainNotice(std::stoul(a));
        if (verb == "listener" && in >> a)
            return watch.ListenerNotice(std::stoul(a)) ? "check" : "none";
        if (verb == "started")
            watch.ChainCheckStarted(true);
        if (verb == "due")
            return watch.ChainCheckDue() ? "rejoin" : "none";
        if (verb == "arrive")
            return Arrive(static_cast<bool>(in >> a));
        if (verb == "back")
            watch.LaterArrived();
        if (verb == "begin")
            return Begin(in);
        if (verb == "end")
            watch.EndChange();
        if (verb == "change") {
            if (const std::string arrival = Arrive(false); arrival != "now")
                return arrival;
            const std::string decision = Begin(in);
            watch.EndChange();
            return decision;
        }
        if (verb == "read" && in >> a)
            watch.CaptureRead(std::stoul(a));
        if (verb == "stored" && in >> a >> b >> c >> d >> e)
            watch.CaptureStored(std::stoul(a), Node(b), Win(c), std::stoul(d), e == "auto");
        if (verb == "failed")
            watch.AutomaticCaptureFailed();
        if (verb == "removed" && in >> a)
            watch.ClipRemoved(Node(a));
        if (verb == "restored" && in >> a)
            watch.Restored(std::stoul(a));
        if (verb == "judge" && in >> a >> b >> c >> d) {
            auto is = [&](const char* what) { return [=](const CClipList::Node&) { return d == what; }; };
            const Watch::Verdict v =
                watch.JudgeAutomaticCapture(std::stoul(a), Win(b), std::stoul(c), is("same"), is("remainder"));
            return v == Watch::Verdict::Keep ? "keep" : v == Watch::Verdict::Repeat ? "repeat" : "remainder";
        }
        if ((verb == "pass" || verb == "passed") && in >> a) {
            const Watch::Passing what = a == "notice" ? Watch::Passing::Notice : Watch::Passing::Departure;
            if (verb == "passed")
                watch.EndPassingOn(what);
            else
                return watch.BeginPassingOn(what) ? "yes" : "no";
        }
        if (verb == "leaves" && in >> a >> b >> c) {
            const Watch::Departure d = Watch::ViewerLeaves(Win(a), Win(b), Win(c), 1);
            return d == Watch::Departure::Relink ? "relink" : d == Watch::Departure::PassOn ? "passon" : "nothing";
        }
        return "";
    }
};

const struct {
    const char* pszRule;
    const char* pszEvents;
} kRules[] = {
    {"a change announced down the chain and by the listener is one capture",
     "join; chain 5; change 5 > show take; read 5; stored 5 n1 w2 100 auto; listener 5 > none; change 5 > handled"},
    {"the listener first: the chain is checked, and brings the change in time",
     "join; listener 7 > check; started; change 7 > show take; chain 7; change 7 > handled; due > none"},
    {"a chain broken ahead of us is rejoined; the notice of joining brings no change",
     "join; listener 7 > check; started; change 7 > show take; due > rejoin; chain 7; change 7 > handled"},
    {"one check at a time, and none outside the chain",
     "join; listener 7 > check; started; listener 8 > none; leave > chain listener check; listener 9 > none"},
    {"leaving is done once", "join alone; leave > chain; leave > nothing"},
    {"a notice while the clipboard is open here waits, once, and comes back",
     "join; arrive open > later; arrive open > waiting; back; change 9 > show take"},
    {"a notice while another is handled waits its turn",
     "join; arrive > now; begin 9 > show take; arrive > later; end; back; change 10 > show take"},
    {"the notice of our restore while it runs names the owner and captures nothing",
     "restored 11; change 11 own restoring > show skip"},
    {"the late notice of our restore names nothing and captures nothing",
     "restored 11; change 11 own > silent skip; restored 12; change 12 own off > silent none"},
    {"at a restore's number with another owner, it is another program's change",
     "restored 13; change 13 > show take"},
    {"a skip covers one change", "change 3 skip > show skip; change 4 > show take"},
    {"without Auto Paste the owner is named and nothing captured", "change 3 off > show none"},
    {"the clipboard just captured, noticed at its number, is no new clip",
     "read 5; stored 5 n1 w2 100 manual; change 5 > show none"},
    {"a number of 0 tells nothing", "change 0 > show none; change 0 > show none"},
    {"numbers wrap", "read 2000000000; read 4000000000; read 2; change 2 > show none"},
    {"the same window, at once, the same bytes: a repeat, and a third one too",
     "read 5; stored 5 n1 w2 100 auto; judge 6 w2 300 same > repeat; change 6 > show none; "
     "judge 7 w2 350 same > repeat"},
    {"not a repeat: later, other bytes, another window, no window, or after Coller",
     "stored 5 n1 w2 100 auto; judge 6 w2 351 same > keep; judge 6 w2 110 other > keep; "
     "judge 6 w3 110 same > keep; judge 6 w0 110 same > keep; stored 7 n2 w2 200 manual; judge 8 w2 210 same > keep"},
    {"the clock wraps between two announcements",
     "stored 5 n1 w2 4294967200 auto; judge 6 w2 40 same > repeat; judge 7 w2 200 same > keep"},
    {"what remains of a copy when its owner goes, once",
     "stored 5 n1 w2 100 auto; judge 6 w0 110 remainder > remainder; change 6 > show none; "
     "judge 7 w0 120 remainder > keep"},
    {"a remainder needs the last copy to have had an owner",
     "stored 5 n1 w0 100 auto; judge 6 w0 110 remainder > keep; stored 7 n2 w2 100 auto; "
     "judge 8 w3 110 remainder > keep"},
    {"a failed capture, a removed clip or a skip forgets the last capture",
     "stored 5 n1 w2 100 auto; failed; judge 6 w2 110 same > keep; stored 7 n1 w2 200 auto; removed n1; "
     "judge 8 w2 210 same > keep; stored 9 n2 w2 300 auto; change 10 skip > show skip; judge 11 w2 310 same > keep"},
    {"a capture finished inside the naming dialog saw a later clipboard: it is not the last",
     "read 5; read 6; stored 6 n2 w3 100 auto; stored 5 n1 w2 110 manual; judge 7 w3 120 same > repeat"},
    {"a notice or departure that comes back while it is passed on goes no further",
     "pass notice > yes; pass notice > no; pass departure > yes; passed notice; pass notice > yes"},
    {"departures: our next relinks, never to ourselves; any other is passed on",
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
