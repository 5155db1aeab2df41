#include "tests/support/clipboard_fixture.h"

#include <cstring>
#include <ostream>

#include "clips/clip.h"

void PrintTo(const ReadFormat& f, std::ostream* os)
{
    *os << "{format " << f.id << (f.bHasData ? "" : " (no data)") << ", " << f.bytes.size() << " bytes}";
}

namespace {
const char kClassName[] = "TrovelleTestWindow";
}

TestWindow::TestWindow(const char* pszTitle)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClassName;
        RegisterClassA(&wc);
        registered = true;
    }
    m_hWnd = CreateWindowA(kClassName, pszTitle, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleA(nullptr), this);
}

TestWindow::~TestWindow()
{
    if (m_hWnd != nullptr)
        DestroyWindow(m_hWnd);
}

LRESULT CALLBACK TestWindow::WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(hWnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (self != nullptr && msg == WM_RENDERFORMAT) {
        ++self->m_nRenderRequests;
        auto it = self->m_delayed.find(static_cast<UINT>(wParam));
        if (it != self->m_delayed.end() && it->second.mode == SourceFormat::Delayed)
            SetClipboardData(it->first, GlobalFromBytes(it->second.bytes));
        return 0;
    }
    if (msg == WM_RENDERALLFORMATS)
        return 0;
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

bool TestWindow::Offer(const std::vector<SourceFormat>& formats)
{
    if (!OpenClipboard(m_hWnd))
        return false;
    EmptyClipboard();
    m_delayed.clear();
    bool ok = true;
    for (const SourceFormat& f : formats) {
        if (f.mode == SourceFormat::Now) {
            HANDLE h = f.id == CF_ENHMETAFILE ? static_cast<HANDLE>(SetEnhMetaFileBits(
                                                   static_cast<UINT>(f.bytes.size()), f.bytes.data()))
                                              : static_cast<HANDLE>(GlobalFromBytes(f.bytes));
            if (SetClipboardData(f.id, h) == nullptr)
                ok = false;
        } else {
            m_delayed[f.id] = f;
            SetClipboardData(f.id, nullptr);
        }
    }
    CloseClipboard();
    return ok;
}

HGLOBAL GlobalFromBytes(const Bytes& bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (h != nullptr && !bytes.empty()) {
        std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
        GlobalUnlock(h);
    }
    return h;
}

Bytes TextBytes(const std::string& s)
{
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

Bytes PatternBytes(std::size_t n, unsigned seed)
{
    Bytes b(n);
    unsigned x = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = static_cast<BYTE>(x >> 16);
    }
    return b;
}

UINT RegisterFormat(const char* pszName) { return RegisterClipboardFormatA(pszName); }

HENHMETAFILE MakeMetafile(int nShapes)
{
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < nShapes; ++i) {
        Rectangle(dc, i, i, 10 + 3 * i, 20 + i);
        Ellipse(dc, 2 * i, i, 30 + i, 15 + 2 * i);
    }
    return CloseEnhMetaFile(dc);
}

Bytes MetafileBits(HENHMETAFILE h)
{
    const UINT n = GetEnhMetaFileBits(h, 0, nullptr);
    Bytes b(n);
    if (n != 0)
        GetEnhMetaFileBits(h, n, b.data());
    return b;
}

std::vector<ReadFormat> ReadClipboard(HWND hReader)
{
    std::vector<ReadFormat> out;
    if (!OpenClipboard(hReader)) {
        ADD_FAILURE() << "the reader could not open the clipboard";
        return out;
    }
    for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) {
        ReadFormat r{f, false, {}};
        HANDLE h = GetClipboardData(f);
        r.bHasData = h != nullptr;
        if (h != nullptr && IsEnhMetaFileFormat(f)) {
            r.bytes = MetafileBits(static_cast<HENHMETAFILE>(h));
        } else if (h != nullptr && !IsGdiHandleFormat(f)) {
            const SIZE_T n = GlobalSize(h);
            const BYTE* p = static_cast<const BYTE*>(GlobalLock(h));
            if (p != nullptr) {
                r.bytes.assign(p, p + n);
                GlobalUnlock(h);
            }
        }
        out.push_back(std::move(r));
    }
    CloseClipboard();
    return out;
}

std::vector<ReadFormat> StorableOnly(const std::vector<ReadFormat>& all)
{
    std::vector<ReadFormat> out;
    for (const ReadFormat& f : all)
        if (!CClip::IsSkippedFormat(f.id))
            out.push_back(f);
    return out;
}

bool EmptyTheClipboard(HWND hWnd)
{
    if (!OpenClipboard(hWnd))
        return false;
    EmptyClipboard();
    CloseClipboard();
    return true;
}

namespace {
int g_nLiveCopies = 0;

LPVOID WINAPI CountedVirtualAlloc(LPVOID a, SIZE_T n, DWORD type, DWORD protect)
{
    LPVOID p = ::VirtualAlloc(a, n, type, protect);
    g_nLiveCopies += p != nullptr;
    return p;
}

BOOL WINAPI CountedVirtualFree(LPVOID a, SIZE_T n, DWORD type)
{
    const BOOL r = ::VirtualFree(a, n, type);
    g_nLiveCopies -= r != FALSE;
    return r;
}
}  // namespace

CopyCounter::CopyCounter()
    : m_alloc(&SysApi::VirtualAlloc, CountedVirtualAlloc), m_free(&SysApi::VirtualFree, CountedVirtualFree)
{
    g_nLiveCopies = 0;
}

int CopyCounter::Live() const { return g_nLiveCopies; }

void ClipboardTest::SetUp() { ASSERT_TRUE(EmptyTheClipboard(keeper.hwnd())); }

void ClipboardTest::TearDown() { EmptyTheClipboard(keeper.hwnd()); }
