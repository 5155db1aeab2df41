// How the main window's clip commands scale with the number of clips held,
// and whether deleting every clip gives the memory back. The real window runs
// its own modal loop; the steps below run inside it, on its ticks. For 1,000
// and then 10,000 clips it measures the fill (one capture per clip), one
// capture, one Copier, one click that sums 1,000 selected clips and Supprimer
// of them all, and prints each figure with the ratio 10,000 against 1,000 (per
// clip for the fill and Supprimer, per operation for the others). The 10,000
// round runs three times; before and after each it reads the committed pages
// and the heap bytes in use. Some systems keep a little memory for every
// clipboard read (Wine keeps a 1 KiB block per GetClipboardData): a minimal
// loop of reads measures that in the same run, the program's reads are
// counted, and what is left beyond them is printed apart. Asserts nothing.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include "clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/keeperapp.h"
#include "clips/clip.h"
#include "base/sysapi.h"
#include "mainwnd/keeperdlg.h"
#include "res/resource.h"
#include "tests/support/modal_driver.h"

namespace {

constexpr int kRepeats = 15;       // single operations: the median of this many
constexpr int kClickSelection = 1000;

// What the process holds: its committed private pages as the address space
// shows them, the bytes in use in its heaps (a heap keeps freed pages for
// later, so committed pages alone cannot tell a leak from a reserve), and
// the system's own counts.
struct Memory {
    unsigned long long committed = 0;
    unsigned long long heapInUse = 0;
    unsigned long long privateUsage = 0;
    unsigned long long workingSet = 0;
};

unsigned long long HeapBytesInUse()
{
    HANDLE heaps[64];
    const DWORD nHeaps = GetProcessHeaps(64, heaps);
    unsigned long long n = 0;
    for (DWORD i = 0; i < nHeaps && i < 64; ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY e = {};
        while (HeapWalk(heaps[i], &e))
            if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                n += e.cbData;
        HeapUnlock(heaps[i]);
    }
    return n;
}

// Every clipboard read of the program goes through the system-call table:
// counted here, because each read may keep memory of the system's own.
decltype(SysApi::GetClipboardData) g_pRealGetClipboardData = nullptr;
unsigned long long g_nClipboardReads = 0;
HANDLE WINAPI CountingGetClipboardData(UINT nFormat)
{
    ++g_nClipboardReads;
    return g_pRealGetClipboardData(nFormat);
}

Memory MeasureMemory()
{
    Memory m;
    m.heapInUse = HeapBytesInUse();
    MEMORY_BASIC_INFORMATION mbi;
    const BYTE* p = nullptr;
    while (VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE)
            m.committed += mbi.RegionSize;
        const BYTE* pNext = static_cast<const BYTE*>(mbi.BaseAddress) + mbi.RegionSize;
        if (pNext <= p)
            break;
        p = pNext;
    }
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc)) {
        m.privateUsage = pmc.PrivateUsage;
        m.workingSet = pmc.WorkingSetSize;
    }
    return m;
}

double KiB(unsigned long long n) { return static_cast<double>(n) / 1024.0; }
double SignedKiB(unsigned long long after, unsigned long long before)
{
    return (static_cast<double>(after) - static_cast<double>(before)) / 1024.0;
}

// The program that copies: a window without a title, so that automatic
// naming numbers the clips ("Texte 1", "Texte 2", ...).
HWND MakeSource()
{
    return CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void OfferText(HWND hOwner, const char* pszText)
{
    const SIZE_T n = std::strlen(pszText) + 1;
    OpenClipboard(hOwner);
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
    std::memcpy(GlobalLock(h), pszText, n);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
}

// The cost of one message to the list, now: the machine's speed drifts while
// a long run goes on, so each step measures its own unit.
double MessageCost(HWND hList)
{
    constexpr int kBatch = 1000;
    std::vector<double> v;
    for (int i = 0; i < 5; ++i) {
        const double t0 = Now();
        for (int j = 0; j < kBatch; ++j)
            SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0);
        v.push_back((Now() - t0) / kBatch);
    }
    return Median(v);
}

void SelectNone(HWND hList) { ListView_SetItemState(hList, -1, 0, LVIS_SELECTED); }
void SelectOnly(HWND hList, int nItem)
{
    SelectNone(hList);
    ListView_SetItemState(hList, nItem, LVIS_SELECTED, LVIS_SELECTED);
}

std::string StatusText(HWND hStatus, int nPart)
{
    char sz[256] = {};
    const LRESULT r = SendMessageA(hStatus, SB_GETTEXTLENGTHA, nPart, 0);
    if (LOWORD(r) < sizeof sz)
        SendMessageA(hStatus, SB_GETTEXTA, nPart, reinterpret_cast<LPARAM>(sz));
    return sz;
}

// One round: fill the window with n clips, time the commands at that size,
// delete them all.
struct Round {
    int n = 0;
    double fillPerClip = 0;     // every capture of the fill, per clip
    double capture = 0;         // one capture with n clips held (median)
    double repaint = 0;         // the list repainting itself once, full
    double copierLast = 0;      // Copier of the newest clip
    double copierFirst = 0;     // Copier of the oldest clip
    double clickSpread = 0;     // click, 1,000 selected across the whole list
    double clickFirst = 0;      // click, the first 1,000 selected
    double supprimerPerClip = 0;
    double supprimerRepaint = 0;  // the list's repaint after Supprimer
    std::string clickText, totalAfter;
    int itemsAfter = -1;
    Memory before, after;
    unsigned long long nReads = 0;  // clipboard reads made by the program in the round
    // One message to the list, measured in the step of the fill, of the
    // single commands and of Supprimer.
    double unitFill = 0, unitCommands = 0, unitSupprimer = 0;
};

// What the commands are made of, timed alone in the same window: a message
// to the list, a status bar redraw, a capture without the window.
struct Baseline {
    double message = 0;
    double statusRedraw = 0;
    double clipCapture = 0;
    double clipRestore = 0;
    // Heap bytes that one clipboard read alone leaves in use, and committed
    // bytes, from a minimal loop: open, read one format, close.
    double readKeepsHeap = 0;
    double readKeepsCommitted = 0;
};

class Bench {
public:
    Bench() : m_hSource(MakeSource()) {}
    ~Bench() { DestroyWindow(m_hSource); }

    // Adds the steps of one round to the script.
    void AddRound(ModalScript& script, int n, std::vector<Round>& rounds, std::size_t index)
    {
        script
            .Then([this, n, &rounds, index] {
                Round& r = rounds[index];
                r.n = n;
                OfferText(m_hSource, "abc");
                r.before = MeasureMemory();
                r.nReads = g_nClipboardReads;
                r.unitFill = MessageCost(List());
                Fill(r);
            })
            .Then([this, &rounds, index] { Commands(rounds[index]); })
            .Then([this, &rounds, index] { Supprimer(rounds[index]); })
            .Then([&rounds, index] {
                Round& r = rounds[index];
                r.after = MeasureMemory();
                r.nReads = g_nClipboardReads - r.nReads;
            });
    }

    void AddBaseline(ModalScript& script, Baseline& b)
    {
        script.Then([this, &b] {
            OfferText(m_hSource, "abc");
            const HWND hList = List(), hStatus = Status();
            constexpr int kBatch = 1000;
            std::vector<double> v;
            for (int i = 0; i < kRepeats; ++i) {
                const double t0 = Now();
                for (int j = 0; j < kBatch; ++j)
                    SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0);
                v.push_back((Now() - t0) / kBatch);
            }
            b.message = Median(v);
            v.clear();
            for (int i = 0; i < kRepeats; ++i) {
                const double t0 = Now();
                RedrawWindow(hStatus, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                v.push_back(Now() - t0);
            }
            b.statusRedraw = Median(v);
            v.clear();
            std::vector<double> w;
            for (int i = 0; i < kRepeats; ++i) {
                CClip clip;
                const double t0 = Now();
                clip.CaptureFromClipboard(Wnd());
                v.push_back(Now() - t0);
                const double t1 = Now();
                clip.RestoreToClipboard(Wnd());
                w.push_back(Now() - t1);
            }
            b.clipCapture = Median(v);
            b.clipRestore = Median(w);

            OfferText(m_hSource, "abc");
            constexpr int kReads = 4000;
            const Memory m0 = MeasureMemory();
            for (int i = 0; i < kReads; ++i) {
                OpenClipboard(Wnd());
                if (const HANDLE h = GetClipboardData(CF_UNICODETEXT); h != nullptr && GlobalLock(h) != nullptr)
                    GlobalUnlock(h);
                CloseClipboard();
            }
            const Memory m1 = MeasureMemory();
            b.readKeepsHeap = (static_cast<double>(m1.heapInUse) - static_cast<double>(m0.heapInUse)) / kReads;
            b.readKeepsCommitted = (static_cast<double>(m1.committed) - static_cast<double>(m0.committed)) / kReads;
        });
    }

    void Finish(ModalScript& script)
    {
        script.Then([this] { PostMessageA(Wnd(), WM_CLOSE, 0, 0); });
    }

    bool Run(ModalScript& script)
    {
        return script.Run([this] { m_dlg.DoModal(); }, [this] { m_dlg.EndDialog(IDABORT); });
    }

private:
    HWND Wnd() const { return m_dlg.m_hWnd; }
    HWND List() const { return GetDlgItem(m_dlg.m_hWnd, IDC_CLIPLIST); }
    HWND Status() const { return GetDlgItem(m_dlg.m_hWnd, IDC_STATUSBAR); }
    void Command(UINT id) const { SendMessageA(Wnd(), WM_COMMAND, id, 0); }

    double TimeRepaint() const
    {
        InvalidateRect(List(), nullptr, TRUE);
        const double t0 = Now();
        UpdateWindow(List());
        return Now() - t0;
    }

    // The list's own click notice, as the control sends it after a click.
    void SendClick() const
    {
        NMITEMACTIVATE nm = {};
        nm.hdr.hwndFrom = List();
        nm.hdr.idFrom = IDC_CLIPLIST;
        nm.hdr.code = NM_CLICK;
        nm.iItem = -1;
        SendMessageA(Wnd(), WM_NOTIFY, IDC_CLIPLIST, reinterpret_cast<LPARAM>(&nm));
    }

    void Fill(Round& r)
    {
        // The last captures are timed one by one: one capture with about n held.
        const double t0 = Now();
        for (int i = 0; i < r.n - kRepeats; ++i)
            Command(ID_EDITION_COLLER);
        double total = Now() - t0;
        std::vector<double> single;
        for (int i = 0; i < kRepeats; ++i) {
            const double t1 = Now();
            Command(ID_EDITION_COLLER);
            single.push_back(Now() - t1);
            total += single.back();
        }
        r.fillPerClip = total / r.n;
        r.capture = Median(single);
    }

    void Commands(Round& r)
    {
        const HWND hList = List();
        r.unitCommands = MessageCost(hList);
        const int n = ListView_GetItemCount(hList);
        std::vector<double> t;
        for (int i = 0; i < kRepeats; ++i)
            t.push_back(TimeRepaint());
        r.repaint = Median(t);

        auto timeCopier = [&](int nItem) {
            SelectOnly(hList, nItem);
            std::vector<double> v;
            for (int i = 0; i < kRepeats; ++i) {
                const double t0 = Now();
                Command(ID_EDITION_COPIER);
                v.push_back(Now() - t0);
            }
            return Median(v);
        };
        r.copierLast = timeCopier(n - 1);
        r.copierFirst = timeCopier(0);

        auto timeClick = [&](auto itemOf) {
            SelectNone(hList);
            for (int i = 0; i < kClickSelection && i < n; ++i)
                ListView_SetItemState(hList, itemOf(i), LVIS_SELECTED, LVIS_SELECTED);
            std::vector<double> v;
            for (int i = 0; i < kRepeats; ++i) {
                const double t0 = Now();
                SendClick();
                v.push_back(Now() - t0);
            }
            return Median(v);
        };
        r.clickSpread = timeClick([n](int i) { return static_cast<int>(static_cast<long long>(i) * n / kClickSelection); });
        r.clickText = StatusText(Status(), 1);
        r.clickFirst = timeClick([](int i) { return i; });
    }

    void Supprimer(Round& r)
    {
        const HWND hList = List();
        r.unitSupprimer = MessageCost(hList);
        ListView_SetItemState(hList, -1, LVIS_SELECTED, LVIS_SELECTED);
        const int n = ListView_GetItemCount(hList);
        const double t0 = Now();
        Command(ID_EDITION_SUPPRIMER);
        r.supprimerPerClip = (Now() - t0) / n;
        const double t1 = Now();
        UpdateWindow(hList);
        r.supprimerRepaint = Now() - t1;
        r.itemsAfter = ListView_GetItemCount(hList);
        r.totalAfter = StatusText(Status(), 2);
    }

    HWND m_hSource;
    CKeeperDlg m_dlg;
};

void PrintRound(const Round& r)
{
    std::printf("%d clips (one message to the list: %.1f us at the fill, %.1f at the commands, %.1f at Supprimer)\n",
                r.n, r.unitFill * 1e6, r.unitCommands * 1e6, r.unitSupprimer * 1e6);
    std::printf("  fill %.1f us/clip, Supprimer of all %.1f us/clip (repaint after it %.2f ms)\n",
                r.fillPerClip * 1e6, r.supprimerPerClip * 1e6, r.supprimerRepaint * 1e3);
    std::printf("  one capture %.3f ms; Copier newest %.3f ms, oldest %.3f ms; full repaint %.3f ms\n",
                r.capture * 1e3, r.copierLast * 1e3, r.copierFirst * 1e3, r.repaint * 1e3);
    std::printf("  click with %d selected: spread over the list %.3f ms (\"%s\"), the first ones %.3f ms\n",
                std::min(kClickSelection, r.n), r.clickSpread * 1e3, r.clickText.c_str(), r.clickFirst * 1e3);
    std::printf("  after Supprimer: %d items, \"%s\"\n", r.itemsAfter, r.totalAfter.c_str());
}

// The ratio as timed, and in units of one message measured beside each.
void PrintRatio(const char* what, double small, double smallUnit, double large, double largeUnit)
{
    const double raw = large / small;
    const double inUnits = (large / largeUnit) / (small / smallUnit);
    std::printf("  %-38s %8.3f %8.3f  %s\n", what, raw, inUnits, inUnits <= 1.5 ? "" : "(above 1.5)");
}

void PrintMemory(const char* what, const Round& first, const Round& last, const Baseline& b)
{
    const Memory& m0 = first.before;
    const Memory& m1 = last.after;
    std::printf("  %s: committed private %.0f -> %.0f KiB (%+.0f KiB), heap in use %.0f -> %.0f KiB (%+.0f KiB), "
                "working set %+.0f KiB\n",
                what, KiB(m0.committed), KiB(m1.committed), SignedKiB(m1.committed, m0.committed), KiB(m0.heapInUse),
                KiB(m1.heapInUse), SignedKiB(m1.heapInUse, m0.heapInUse), SignedKiB(m1.workingSet, m0.workingSet));
    if (m0.privateUsage != 0 || m1.privateUsage != 0)
        std::printf("    PrivateUsage %.0f -> %.0f KiB (%+.0f KiB)\n", KiB(m0.privateUsage), KiB(m1.privateUsage),
                    SignedKiB(m1.privateUsage, m0.privateUsage));
    unsigned long long nReads = 0;
    for (const Round* p = &first; p <= &last; ++p)
        nReads += p->nReads;
    const double system = static_cast<double>(nReads) * b.readKeepsHeap;
    const double heapGrowth = static_cast<double>(m1.heapInUse) - static_cast<double>(m0.heapInUse);
    const double committedGrowth = static_cast<double>(m1.committed) - static_cast<double>(m0.committed);
    std::printf("    %llu clipboard reads, of which the system alone keeps %.0f KiB; beyond that: heap in use %+.0f KiB, "
                "committed %+.0f KiB\n",
                nReads, system / 1024.0, (heapGrowth - system) / 1024.0, (committedGrowth - system) / 1024.0);
}

}  // namespace

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    // Automatic naming, so that no naming dialog opens; nothing captured on
    // its own; no tray icon.
    theKeeperApp.m_bAutoName = 1;
    theKeeperApp.m_bAutoPaste = 0;
    theKeeperApp.m_bTaskIcon = 0;
    theKeeperApp.m_bHideWhenMinimized = 0;
    g_pRealGetClipboardData = Sys().GetClipboardData;
    Sys().GetClipboardData = CountingGetClipboardData;

    // A first round of 1,000 warms up what is made once (format names, the
    // heap, the list's arrays); the rounds compared come after it.
    // Other sizes may be given for a quick look: bench_scale 100 1000.
    int nSmall = 1000, nLarge = 10000;
    if (argc == 3) {
        nSmall = std::max(std::atoi(argv[1]), 2 * kRepeats);
        nLarge = std::max(std::atoi(argv[2]), 2 * kRepeats);
    }
    const std::vector<int> sizes = {nSmall, nSmall, nLarge, nLarge, nLarge};
    std::vector<Round> rounds(sizes.size());
    Baseline baseline;
    bool bFinished = false;
    {
        Bench bench;
        ModalScript script;
        bench.AddBaseline(script, baseline);
        for (std::size_t i = 0; i < sizes.size(); ++i)
            bench.AddRound(script, sizes[i], rounds, i);
        bench.Finish(script);
        bFinished = bench.Run(script);
    }
    theKeeperApp.DeleteAllClips();
    theKeeperApp.m_listClips.RemoveAll();
    if (!bFinished)
        std::printf("the window's loop did not run every step\n");

    std::printf("Main window with many clips (one short CF_TEXT each; median of %d for single operations)\n",
                kRepeats);
    std::printf("Parts, alone: a message to the list %.2f us, a status bar redraw %.3f ms, a clip's own capture "
                "%.3f ms and restore %.3f ms\n",
                baseline.message * 1e6, baseline.statusRedraw * 1e3, baseline.clipCapture * 1e3,
                baseline.clipRestore * 1e3);
    std::printf("One clipboard read alone (open, read, close) leaves %.0f bytes in use in the heap, %.0f committed\n",
                baseline.readKeepsHeap, baseline.readKeepsCommitted);
    for (std::size_t i = 1; i < rounds.size(); ++i)
        PrintRound(rounds[i]);

    const Round& small = rounds[1];
    const Round& large = rounds[2];
    std::printf("Ratio %d clips vs %d (target at most 1.5)\n", large.n, small.n);
    std::printf("  %-38s %8s %8s\n", "", "as timed", "in messages");
    PrintRatio("fill, per clip", small.fillPerClip, small.unitFill, large.fillPerClip, large.unitFill);
    PrintRatio("Supprimer of all, per clip", small.supprimerPerClip, small.unitSupprimer, large.supprimerPerClip,
               large.unitSupprimer);
    PrintRatio("one capture", small.capture, small.unitFill, large.capture, large.unitFill);
    PrintRatio("Copier of the newest clip", small.copierLast, small.unitCommands, large.copierLast, large.unitCommands);
    PrintRatio("Copier of the oldest clip", small.copierFirst, small.unitCommands, large.copierFirst,
               large.unitCommands);
    PrintRatio("click, 1,000 spread over the list", small.clickSpread, small.unitCommands, large.clickSpread,
               large.unitCommands);
    PrintRatio("click, the first 1,000", small.clickFirst, small.unitCommands, large.clickFirst, large.unitCommands);

    std::printf("Memory, %d clips captured then deleted (within 1 MiB is the aim)\n", large.n);
    for (std::size_t i = 2; i < rounds.size(); ++i) {
        char what[32];
        std::snprintf(what, sizeof what, "round %zu", i - 1);
        PrintMemory(what, rounds[i], rounds[i], baseline);
    }
    PrintMemory("from before the first clip to the end", rounds.front(), rounds.back(), baseline);
    return 0;
}
