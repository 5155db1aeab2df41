// The watch's rules as one table: each row plays events as the window hands
// them over, "verb arguments", with "> decision" where one is expected.
// Windows are w0 (none), w1 (ours), w2...; clips n1, n2; times in ms.
//   join [alone] | leave > chain [listener] [check] | chain N | listener N > check|none
//   started | due > rejoin|none                the check the listener asks for
//   arrive [open] > now|later|waiting | back   a notice arrives; the later one comes back
//   begin N [own] [restoring] [skip] [off] > handled | show|silent take|skip|none
//   end | change N [...]                       change: arrive, begin and end at once
//   read N | stored N nK wK T auto|manual | failed | removed nK | restored N
//   judge N wK T same|remainder|other > keep|repeat|remainder
//   pass|passed notice|departure > yes|no | leaves wRemoved wAfter wNext > relink|passon|nothing
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "mainwnd/clipwatch.h"

namespace {

using Watch = CClipboardWatch;

struct Player {
    Watch watch;
    CClipList::Node nodes[3] = {};
    std::vector<std::string> t;  // the event's words

    unsigned long N(std::size_t i) const { return std::stoul(t.at(i)); }
    Watch::Window W(std::size_t i) const { return std::stoul(t.at(i).substr(1)); }
    bool Has(const char* word) const { return std::find(t.begin(), t.end(), word) != t.end(); }

    std::string Arrive(bool bOpen)
    {
        const Watch::Arrival a = watch.NoticeArrives(bOpen);
        if (a == Watch::Arrival::Later)
            watch.LaterPosted(true);
        return std::vector<std::string>{"now", "later", "waiting"}[static_cast<int>(a)];
    }
    std::string Begin()
    {
        const Watch::Change c = watch.BeginChange({static_cast<Watch::Sequence>(N(1)), Has("own"), Has("restoring"),
                                                   Has("skip"), !Has("off")});
        const char* const kCapture[] = {"none", "take", "skip"};
        if (!c.bNew)
            return "handled";
        return std::string(c.bNameOwner ? "show " : "silent ") + kCapture[static_cast<int>(c.capture)];
    }

    // Plays one event; returns its decision, or "" for none.
    std::string Play(const std::string& event)
    {
        std::istringstream in(event);
        t.clear();
        for (std::string word; in >> word;)
            t.push_back(word);
        const std::string& v = t.at(0);
        if (v == "join")
            watch.Joined(!Has("alone"));
        if (v == "leave") {
            const Watch::Leaving l = watch.Leave();
            return !l.bLeaveChain ? "nothing"
                                  : std::string("chain") + (l.bStopListening ? " listener" : "") +
                                        (l.bStopChainCheck ? " check" : "");
        }
        if (v == "chain")
            watch.ChainNotice(N(1));
        if (v == "listener")
            return watch.ListenerNotice(N(1)) ? "check" : "none";
        if (v == "started")
            watch.ChainCheckStarted(true);
        if (v == "due")
            return watch.ChainCheckDue() ? "rejoin" : "none";
        if (v == "arrive")
            return Arrive(Has("open"));
        if (v == "back")
            watch.LaterArrived();
        if (v == "begin")
            return Begin();
        if (v == "end")
            watch.EndChange();
        if (v == "change") {
            const std::string arrival = Arrive(false), decision = arrival == "now" ? Begin() : arrival;
            watch.EndChange();
            return decision;
        }
        if (v == "read")
            watch.CaptureRead(N(1));
        if (v == "stored")
            watch.CaptureStored(N(1), &nodes[W(2)], W(3), N(4), Has("auto"));
        if (v == "failed")
            watch.AutomaticCaptureFailed();
        if (v == "removed")
            watch.ClipRemoved(&nodes[W(1)]);
        if (v == "restored")
            watch.Restored(N(1));
        if (v == "judge") {
            auto is = [this](const char* w) { return [this, w](const CClipList::Node&) { return t.at(4) == w; }; };
            const Watch::Verdict r = watch.JudgeAutomaticCapture(N(1), W(2), N(3), is("same"), is("remainder"));
            return std::vector<std::string>{"keep", "repeat", "remainder"}[static_cast<int>(r)];
        }
        const Watch::Passing what = Has("notice") ? Watch::Passing::Notice : Watch::Passing::Departure;
        if (v == "pass")
            return watch.BeginPassingOn(what) ? "yes" : "no";
        if (v == "passed")
            watch.EndPassingOn(what);
        if (v == "leaves") {
            const Watch::Departure d = Watch::ViewerLeaves(W(1), W(2), W(3), 1);
            return std::vector<std::string>{"relink", "passon", "nothing"}[static_cast<int>(d)];
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
