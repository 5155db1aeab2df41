// Painting a 3840 x 2160 32-bit bitmap in the content preview, against the
// least program that shows the same bits: a window of the same style and
// client size whose WM_PAINT is one SetDIBitsToDevice of the whole bitmap.
// Three figures, each the median of many rounds run alternately:
//  1. a repaint as a user's uncovering of the window causes it: the whole
//     client area invalidated (with erasing) and UpdateWindow, so that each
//     side pays its background erase, its WM_PAINT and whatever it does per
//     paint (the preview builds its painter and palette for every paint);
//  2. the painting alone (what OnPaint does for a bitmap: painter, palette,
//     Draw) on the window's DC, against the bare call on the other's DC;
//  3. the same two into a 3840 x 2160 memory bitmap, where the whole picture
//     is converted rather than the part the window shows.
// GDI clips to the window in 1 and 2, so only the visible part is converted;
// getting the pixels to the X server happens after the paint and is not
// measured on either side. Prints ratios; asserts nothing.
#include <windows.h>

#include <commctrl.h>

#include "clock.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "dialogs/dibpainter.h"
#include "dialogs/previewdlg.h"
#include "res/resource.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160;
constexpr int kRounds = 201;       // paints of the window: short, so many
constexpr int kWholeRounds = 41;   // the whole picture

// A packed 32-bit DIB, bottom-up, with a pattern that no run-length trick of
// the display could shortcut.
std::vector<BYTE> MakeDib()
{
    BITMAPINFOHEADER h{sizeof h, kWidth, kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<BYTE> b(sizeof h + static_cast<std::size_t>(kWidth) * kHeight * 4);
    std::memcpy(b.data(), &h, sizeof h);
    DWORD* p = reinterpret_cast<DWORD*>(b.data() + sizeof h);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            *p++ = static_cast<DWORD>((x * 7) ^ (y * 13) ^ (x * y)) & 0xFFFFFF;
    return b;
}

const std::vector<BYTE>* g_pDib = nullptr;

void BarePaint(HDC hDC)
{
    const auto* pInfo = reinterpret_cast<const BITMAPINFO*>(g_pDib->data());
    SetDIBitsToDevice(hDC, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, g_pDib->data() + sizeof(BITMAPINFOHEADER),
                      pInfo, DIB_RGB_COLORS);
}

LRESULT CALLBACK BaseProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hDC = BeginPaint(hWnd, &ps);
        BarePaint(hDC);
        EndPaint(hWnd, &ps);
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

// What the preview does for each WM_PAINT of a bitmap, on any DC.
void PreviewPaint(HDC hDC)
{
    CDC dc;
    dc.m_hDC = hDC;
    CDibPainter painter;
    painter.m_pDib = g_pDib->data();
    painter.m_dwSize = static_cast<DWORD>(g_pDib->size());
    painter.PreparePalette();
    painter.Draw(&dc, 0, 0);
    SetWindowOrgEx(hDC, 0, 0, nullptr);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

double Time(const std::function<void()>& f)
{
    const double t0 = Now();
    f();
    GdiFlush();
    return Now() - t0;
}

struct Pair {
    double ours, base;
};

// Alternately, so that drift in the machine hits both sides alike.
Pair Measure(int rounds, const std::function<void()>& ours, const std::function<void()>& base)
{
    for (int i = 0; i < 3; ++i) {
        Time(ours);
        Time(base);
    }
    std::vector<double> a, b;
    for (int i = 0; i < rounds; ++i) {
        Pump();
        if (i % 2 == 0) {
            a.push_back(Time(ours));
            b.push_back(Time(base));
        } else {
            b.push_back(Time(base));
            a.push_back(Time(ours));
        }
    }
    return {Median(a), Median(b)};
}

void Print(const char* what, int rounds, const Pair& p)
{
    std::printf("  %s, median of %d: preview %.3f ms, bare SetDIBitsToDevice %.3f ms, ratio %.2f\n", what, rounds, p.ours * 1e3,
                p.base * 1e3, p.ours / p.base);
}

}  // namespace

int main()
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    const std::vector<BYTE> dib = MakeDib();
    g_pDib = &dib;

    CPreviewDlg dlg;
    dlg.m_pData = dib.data();
    dlg.m_dwSize = static_cast<DWORD>(dib.size());
    dlg.m_nFormat = CF_DIB;
    if (!dlg.Create(IDD_PREVIEW)) {
        std::printf("paint: the preview could not be made\n");
        return 1;
    }
    const HWND hDlg = dlg.m_hWnd;
    SetWindowPos(hDlg, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);

    // The baseline: same frame style, same window size, so the same client
    // area; the background of a dialog.
    WNDCLASSA wc{};
    wc.lpfnWndProc = BaseProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "BenchBarePaint";
    RegisterClassA(&wc);
    RECT rcDlg;
    GetWindowRect(hDlg, &rcDlg);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(hDlg, GWL_STYLE)) & (WS_POPUP | WS_CAPTION | WS_SYSMENU);
    const HWND hBase = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Minimal", style | WS_VISIBLE,
                                       rcDlg.right + 10, 0, rcDlg.right - rcDlg.left, rcDlg.bottom - rcDlg.top,
                                       nullptr, nullptr, wc.hInstance, nullptr);
    Pump();
    RECT rcA, rcB;
    GetClientRect(hDlg, &rcA);
    GetClientRect(hBase, &rcB);

    std::printf("%d x %d 32-bit bitmap (%zu bytes), client areas %ld x %ld and %ld x %ld:\n", kWidth, kHeight,
                dib.size(), rcA.right, rcA.bottom, rcB.right, rcB.bottom);

    auto repaint = [](HWND h) {
        return [h] {
            InvalidateRect(h, nullptr, TRUE);
            UpdateWindow(h);
        };
    };
    Print("repaint (invalidate, UpdateWindow)", kRounds, Measure(kRounds, repaint(hDlg), repaint(hBase)));

    const HDC hDlgDC = GetDC(hDlg), hBaseDC = GetDC(hBase);
    {
        // Both show the picture: one client pixel read back from each.
        const int x = 200, y = 100, yStored = kHeight - 1 - y;
        const DWORD v = static_cast<DWORD>((x * 7) ^ (yStored * 13) ^ (x * yStored)) & 0xFFFFFF;
        const COLORREF expected = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        std::printf("  pixel (%d,%d): bitmap %06lX, preview %06lX, minimal %06lX\n", x, y,
                    static_cast<unsigned long>(expected), static_cast<unsigned long>(GetPixel(hDlgDC, x, y)),
                    static_cast<unsigned long>(GetPixel(hBaseDC, x, y)));
    }
    Print("painting alone, on the window's DC", kRounds,
          Measure(kRounds, [&] { PreviewPaint(hDlgDC); }, [&] { BarePaint(hBaseDC); }));
    ReleaseDC(hBase, hBaseDC);
    ReleaseDC(hDlg, hDlgDC);

    // The whole picture, into a 32-bit memory bitmap of its size.
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, kWidth, kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pBits = nullptr;
    const HDC hMem = CreateCompatibleDC(nullptr);
    const HBITMAP hBitmap = CreateDIBSection(hMem, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    const HGDIOBJ hOld = SelectObject(hMem, hBitmap);
    Print("the whole picture, into a memory bitmap", kWholeRounds,
          Measure(kWholeRounds, [&] { PreviewPaint(hMem); }, [&] { BarePaint(hMem); }));
    SelectObject(hMem, hOld);
    DeleteObject(hBitmap);
    DeleteDC(hMem);

    DestroyWindow(hBase);
    dlg.DestroyWindow();
    return 0;
}
