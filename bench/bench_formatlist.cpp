// The clipboard format list for a clipboard of 30 formats, one of them of
// 64 MiB, against a minimal program doing the same clipboard work in the same
// run: open the clipboard, enumerate the formats, get each one's name and its
// data's size (GetClipboardData, GlobalSize), close it. As for a user, the
// clipboard belongs to another program: a second process of this benchmark
// puts the formats there, so the data has to come over from the system.
//  1. "Actualiser" on a dialog already open: FillFormatList and the repaint
//     of its rows (UpdateWindow), against that bare enumeration; the
//     difference is the list view's rows, texts and painting.
//  2. Opening the dialog up to its first paint (dialog from its template,
//     columns, fill, shown and painted) against a minimal window holding a
//     list view of the same size, given the same columns and rows the
//     minimal way, shown and painted; each then destroyed, outside the time.
// Each is measured on a clipboard set anew before every round (nobody has
// fetched its data yet: what a user pays after copying something) and on an
// unchanged one (the system may hand out again what it fetched before).
// Rounds run alternately; medians. Prints ratios; asserts nothing.
#include <windows.h>

#include <commctrl.h>

#include "clock.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/formatlistdlg.h"
#include "res/resource.h"

namespace {

constexpr int kFormats = 30;
constexpr SIZE_T kLarge = 64u << 20;
constexpr int kFreshRounds = 15;
constexpr int kSameRounds = 41;

struct Offer {
    UINT id;
    SIZE_T n;
};

std::vector<Offer> MakeOffers()
{
    std::vector<Offer> offers;
    for (int i = 0; i < kFormats; ++i) {
        char name[40];
        wsprintfA(name, "Bench Format List %02d", i);
        // The large one in the middle of the list; the others 16 to 4 KiB.
        const SIZE_T n = i == kFormats / 2 ? kLarge : static_cast<SIZE_T>(16 + (i * 2654435761u >> 8) % 4080);
        offers.push_back({RegisterClipboardFormatA(name), n});
    }
    return offers;
}

void PutOnClipboard(HWND owner, const std::vector<Offer>& offers)
{
    if (!OpenClipboard(owner))
        return;
    EmptyClipboard();
    for (const Offer& f : offers) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, f.n);
        std::memset(GlobalLock(h), static_cast<int>(f.id & 0xFF), f.n);
        GlobalUnlock(h);
        SetClipboardData(f.id, h);
    }
    CloseClipboard();
}

// The minimal program's work; what it learns is kept so that none of it is skipped.
struct Seen {
    char name[255];
    UINT id;
    SIZE_T size;
};

int BareEnumeration(HWND hWnd, std::vector<Seen>& seen)
{
    seen.clear();
    if (!OpenClipboard(hWnd))
        return 0;
    for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) {
        Seen s{};
        s.id = f;
        GetClipboardFormatNameA(f, s.name, sizeof s.name);
        HANDLE h = GetClipboardData(f);
        s.size = h != nullptr ? GlobalSize(h) : 0;
        seen.push_back(s);
    }
    CloseClipboard();
    return static_cast<int>(seen.size());
}

// The minimal open: a window with a list view the size of the dialog's,
// three columns, the same rows, shown and painted.
HWND BareOpen(const RECT& rcWindow, const RECT& rcList, std::vector<Seen>& seen)
{
    const HWND hWnd = CreateWindowExA(0, "BenchFormatList", "Minimal", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                      rcWindow.left, rcWindow.top, rcWindow.right - rcWindow.left,
                                      rcWindow.bottom - rcWindow.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                                      nullptr);
    const HWND hList = CreateWindowExA(0, WC_LISTVIEWA, "List1",
                                       WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER,
                                       rcList.left, rcList.top, rcList.right - rcList.left,
                                       rcList.bottom - rcList.top, hWnd, nullptr, GetModuleHandleA(nullptr), nullptr);
    const char* headings[] = {"Type", "ID", "Taille"};
    const int widths[] = {rcList.right - rcList.left - 149, 45, 100};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNA col{};
        col.mask = LVCF_WIDTH | LVCF_TEXT;
        col.cx = widths[i];
        col.pszText = const_cast<char*>(headings[i]);
        SendMessageA(hList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
    }
    BareEnumeration(hWnd, seen);
    for (int i = 0; i < static_cast<int>(seen.size()); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = seen[i].name;
        SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        char sz[32];
        wsprintfA(sz, "%d", static_cast<int>(seen[i].id));
        item.iSubItem = 1;
        item.pszText = sz;
        SendMessageA(hList, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        wsprintfA(sz, "%d octets", static_cast<int>(seen[i].size));
        item.iSubItem = 2;
        SendMessageA(hList, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    }
    ShowWindow(hWnd, SW_SHOWNORMAL);
    UpdateWindow(hWnd);
    return hWnd;
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

struct Pair {
    double ours, base;
};

// Alternately, so that drift in the machine hits both sides alike; before
// each timed call, prepare() runs untimed.
Pair Measure(int rounds, const std::function<void()>& prepare, const std::function<void()>& ours,
             const std::function<void()>& base)
{
    auto time = [&](const std::function<void()>& f) {
        prepare();
        Pump();
        const double t0 = Now();
        f();
        return Now() - t0;
    };
    time(ours);
    time(base);
    std::vector<double> a, b;
    for (int i = 0; i < rounds; ++i) {
        if (i % 2 == 0) {
            a.push_back(time(ours));
            b.push_back(time(base));
        } else {
            b.push_back(time(base));
            a.push_back(time(ours));
        }
    }
    return {Median(a), Median(b)};
}

void Print(const char* what, int rounds, const Pair& p)
{
    std::printf("  %s, median of %d: format list %.3f ms, minimal %.3f ms, ratio %.2f\n", what, rounds, p.ours * 1e3,
                p.base * 1e3, p.ours / p.base);
}

// The source program: owns the clipboard and sets it anew whenever asked.
const char* const kEventNames[] = {"TrovelleBenchOffer", "TrovelleBenchOffered", "TrovelleBenchQuit"};

int RunSource()
{
    const HWND hWnd = CreateWindowA("STATIC", "source", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const std::vector<Offer> offers = MakeOffers();
    HANDLE events[3];
    for (int i = 0; i < 3; ++i)
        events[i] = OpenEventA(EVENT_ALL_ACCESS, FALSE, kEventNames[i]);
    const HANDLE waits[2] = {events[0], events[2]};
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(2, waits, FALSE, 120000, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) {
            PutOnClipboard(hWnd, offers);
            SetEvent(events[1]);
        } else if (r == WAIT_OBJECT_0 + 2) {
            Pump();
        } else {
            break;  // asked to quit, or forgotten
        }
    }
    if (OpenClipboard(hWnd)) {
        EmptyClipboard();
        CloseClipboard();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--source") == 0)
        return RunSource();

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "BenchFormatList";
    RegisterClassA(&wc);

    HANDLE events[3];
    for (int i = 0; i < 3; ++i)
        events[i] = CreateEventA(nullptr, FALSE, FALSE, kEventNames[i]);
    char szExe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szExe, MAX_PATH);
    std::string cmd = std::string("\"") + szExe + "\" --source";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(szExe, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("format list: the source program could not be started\n");
        return 1;
    }
    auto offer = [&] {
        SetEvent(events[0]);
        WaitForSingleObject(events[1], 60000);
    };
    auto none = [] {};

    const HWND hReader = CreateWindowA("STATIC", "reader", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::vector<Seen> seen;
    offer();
    CFormatListDlg dlg;
    if (!dlg.Create(IDD_FORMATS)) {
        std::printf("format list: the dialog could not be made\n");
        return 1;
    }
    dlg.ShowWindow(SW_SHOWNORMAL);
    UpdateWindow(dlg);
    RECT rcWindow, rcList;
    GetWindowRect(dlg.m_hWnd, &rcWindow);
    GetWindowRect(dlg.m_list.m_hWnd, &rcList);
    MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&rcList), 2);
    std::printf("%d formats, one of %lu MiB, from another process; rows shown %d, formats seen by the minimal "
                "program %d:\n",
                kFormats, static_cast<unsigned long>(kLarge >> 20), ListView_GetItemCount(dlg.m_list),
                BareEnumeration(hReader, seen));

    auto refresh = [&] {
        dlg.FillFormatList();
        UpdateWindow(dlg);
    };
    auto bare = [&] { BareEnumeration(hReader, seen); };
    Print("Actualiser to rows painted vs bare enumeration, clipboard set anew", kFreshRounds,
          Measure(kFreshRounds, offer, refresh, bare));
    Print("Actualiser to rows painted vs bare enumeration, unchanged clipboard", kSameRounds,
          Measure(kSameRounds, none, refresh, bare));
    dlg.DestroyWindow();

    // Whole opens; each window is destroyed before the next round, untimed.
    HWND hOpen = nullptr;
    CFormatListDlg* pOpen = nullptr;
    auto openOurs = [&] {
        pOpen = new CFormatListDlg;
        pOpen->Create(IDD_FORMATS);
        pOpen->ShowWindow(SW_SHOWNORMAL);
        UpdateWindow(*pOpen);
    };
    auto openBare = [&] { hOpen = BareOpen(rcWindow, rcList, seen); };
    auto closeAll = [&] {
        delete pOpen;  // destroys its window
        pOpen = nullptr;
        if (hOpen != nullptr)
            DestroyWindow(hOpen);
        hOpen = nullptr;
    };
    Print("open to first paint vs minimal list window, clipboard set anew", kFreshRounds,
          Measure(kFreshRounds, [&] { closeAll(); offer(); }, openOurs, openBare));
    Print("open to first paint vs minimal list window, unchanged clipboard", kSameRounds,
          Measure(kSameRounds, closeAll, openOurs, openBare));
    closeAll();

    SetEvent(events[2]);
    WaitForSingleObject(pi.hProcess, 20000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    DestroyWindow(hReader);
    return 0;
}
