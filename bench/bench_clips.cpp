// Capture and restore against a minimal program doing the same clipboard work
// in the same Wine session: it opens the clipboard, copies the same formats
// into the same kind of private pages (or writes them back) and closes it.
// Prints ratios; asserts nothing.
#include <windows.h>

#include "clock.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "clips/clip.h"

namespace {

HWND MakeWindow()
{
    return CreateWindowA("STATIC", "bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

struct Offer {
    UINT id;
    std::vector<BYTE> bytes;
};

void PutOnClipboard(HWND owner, const std::vector<Offer>& formats)
{
    OpenClipboard(owner);
    EmptyClipboard();
    for (const Offer& f : formats) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, f.bytes.size());
        std::memcpy(GlobalLock(h), f.bytes.data(), f.bytes.size());
        GlobalUnlock(h);
        SetClipboardData(f.id, h);
    }
    CloseClipboard();
}

// The minimal capture: every format copied into its own committed pages.
struct Copy {
    UINT id;
    void* p;
    SIZE_T n;
};

std::vector<Copy> BaselineCapture(HWND hWnd)
{
    std::vector<Copy> out;
    OpenClipboard(hWnd);
    for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) {
        HANDLE h = GetClipboardData(f);
        const SIZE_T n = GlobalSize(h);
        const void* src = GlobalLock(h);
        void* dst = VirtualAlloc(nullptr, n, MEM_COMMIT, PAGE_READWRITE);
        std::memcpy(dst, src, n);
        GlobalUnlock(h);
        out.push_back({f, dst, n});
    }
    CloseClipboard();
    return out;
}

void BaselineRestore(HWND hWnd, const std::vector<Copy>& copies)
{
    OpenClipboard(hWnd);
    EmptyClipboard();
    for (const Copy& c : copies) {
        HGLOBAL h = GlobalAlloc(GMEM_DDESHARE, c.n);
        std::memcpy(GlobalLock(h), c.p, c.n);
        GlobalUnlock(h);
        SetClipboardData(c.id, h);
    }
    CloseClipboard();
}

void Free(std::vector<Copy>& copies)
{
    for (Copy& c : copies)
        VirtualFree(c.p, 0, MEM_RELEASE);
    copies.clear();
}

struct Pair {
    double ours, base;
};

// Runs both sides alternately so that drift in the machine hits both alike.
Pair Measure(int rounds, const std::function<double()>& ours, const std::function<double()>& base)
{
    std::vector<double> a, b;
    for (int i = 0; i < rounds; ++i) {
        if (i % 2 == 0) {
            a.push_back(ours());
            b.push_back(base());
        } else {
            b.push_back(base());
            a.push_back(ours());
        }
    }
    return {Median(a), Median(b)};
}

void Run(const char* title, const std::vector<Offer>& formats, int rounds)
{
    HWND source = MakeWindow(), keeper = MakeWindow();
    std::size_t total = 0;
    for (const Offer& f : formats)
        total += f.bytes.size();

    PutOnClipboard(source, formats);
    // The first capture also learns the names of the registered formats.
    double firstOurs, firstBase;
    {
        CClip clip;
        double t0 = Now();
        clip.CaptureFromClipboard(keeper);
        firstOurs = Now() - t0;
        t0 = Now();
        std::vector<Copy> copies = BaselineCapture(keeper);
        firstBase = Now() - t0;
        Free(copies);
    }
    const Pair capture = Measure(
        rounds,
        [&] {
            CClip clip;
            const double t0 = Now();
            clip.CaptureFromClipboard(keeper);
            return Now() - t0;
        },
        [&] {
            const double t0 = Now();
            std::vector<Copy> copies = BaselineCapture(keeper);
            const double t = Now() - t0;
            Free(copies);
            return t;
        });

    CClip clip;
    clip.CaptureFromClipboard(keeper);
    std::vector<Copy> copies = BaselineCapture(keeper);
    const Pair restore = Measure(
        rounds,
        [&] {
            const double t0 = Now();
            clip.RestoreToClipboard(keeper);
            return Now() - t0;
        },
        [&] {
            const double t0 = Now();
            BaselineRestore(keeper, copies);
            return Now() - t0;
        });
    Free(copies);

    std::printf("%s (%zu formats, %zu bytes, median of %d)\n", title, formats.size(), total, rounds);
    std::printf("  capture: %.3f ms vs minimal %.3f ms  ratio %.3f\n", capture.ours * 1e3, capture.base * 1e3,
                capture.ours / capture.base);
    std::printf("  first capture, names not yet known: %.3f ms vs minimal %.3f ms  ratio %.3f\n", firstOurs * 1e3,
                firstBase * 1e3, firstOurs / firstBase);
    std::printf("  restore: %.3f ms vs minimal %.3f ms  ratio %.3f\n", restore.ours * 1e3, restore.base * 1e3,
                restore.ours / restore.base);
    if (formats.size() == 1) {
        // Throughput beside a plain copy of the same bytes into fresh pages.
        std::vector<double> m;
        for (int i = 0; i < rounds; ++i) {
            void* dst = VirtualAlloc(nullptr, total, MEM_COMMIT, PAGE_READWRITE);
            const double t0 = Now();
            std::memcpy(dst, formats[0].bytes.data(), total);
            m.push_back(Now() - t0);
            VirtualFree(dst, 0, MEM_RELEASE);
        }
        const double memcpyTime = Median(m);
        std::printf("  capture throughput %.0f MB/s; memcpy into fresh pages %.0f MB/s (ratio %.2f)\n",
                    total / capture.ours / 1e6, total / memcpyTime / 1e6, capture.ours / memcpyTime);
    }
    OpenClipboard(keeper);
    EmptyClipboard();
    CloseClipboard();
    DestroyWindow(source);
    DestroyWindow(keeper);
}

}  // namespace

int main()
{
    std::vector<Offer> big = {{RegisterClipboardFormatA("Bench Large"), std::vector<BYTE>(64u << 20)}};
    for (std::size_t i = 0; i < big[0].bytes.size(); ++i)
        big[0].bytes[i] = static_cast<BYTE>(i * 131u >> 3);
    Run("one 64 MiB format", big, 15);

    std::vector<Offer> small;
    unsigned x = 12345;
    for (int i = 0; i < 200; ++i) {
        char name[32];
        wsprintfA(name, "Bench Small %d", i);
        x = x * 1103515245u + 12345u;
        const std::size_t n = 16 + (x >> 8) % (4096 - 16 + 1);
        small.push_back({RegisterClipboardFormatA(name), std::vector<BYTE>(n, static_cast<BYTE>(i))});
    }
    Run("200 small formats of 16 to 4096 bytes", small, 101);
    return 0;
}
