// The DIB painter under Wine: painting into a 32-bit bitmap in memory whose
// pixels are read back directly, and the preview dialog's own paint, read
// back from the screen. Every record is copied to the very end of readable
// memory, so a read past it faults at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/keeperapp.h"
#include "dialogs/dibpainter.h"
#include "dialogs/previewdlg.h"
#include "mainwnd/keeperdlg.h"
#include "res/resource.h"
#include "tests/dialogs/dib_builders.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/controls.h"
#include "tests/support/keeper_window.h"
#include "tests/support/modal_driver.h"

namespace {

// What the canvas holds where nothing was painted: a colour no test picture uses.
constexpr COLORREF kUntouched = RGB(17, 93, 171);

// A cx x cy 32-bit top-down bitmap selected into a memory context.
class Canvas {
public:
    Canvas(int cx, int cy) : m_cx(cx), m_cy(cy)
    {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof bi.bmiHeader, cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        m_hBitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pPixels), nullptr, 0);
        m_hDC = CreateCompatibleDC(nullptr);
        m_hOld = SelectObject(m_hDC, m_hBitmap);
        const DWORD v = (GetRValue(kUntouched) << 16) | (GetGValue(kUntouched) << 8) | GetBValue(kUntouched);
        std::fill(m_pPixels, m_pPixels + cx * cy, v);
    }
    ~Canvas()
    {
        SelectObject(m_hDC, m_hOld);
        DeleteDC(m_hDC);
        DeleteObject(m_hBitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC DC() const { return m_hDC; }
    Grid Read() const
    {
        GdiFlush();
        Grid g(static_cast<std::size_t>(m_cy));
        for (int y = 0; y < m_cy; ++y)
            for (int x = 0; x < m_cx; ++x) {
                const DWORD v = m_pPixels[y * m_cx + x];
                g[y].push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
            }
        return g;
    }

private:
    int m_cx, m_cy;
    HBITMAP m_hBitmap = nullptr;
    HDC m_hDC = nullptr;
    HGDIOBJ m_hOld = nullptr;
    DWORD* m_pPixels = nullptr;
};

// What the preview does for one paint: a painter, its palette, Draw at (0, 0).
Grid Paint(const Bytes& record, int cx, int cy)
{
    const GuardedRecord guarded(record);
    const Canvas canvas(cx, cy);
    CDC dc;
    dc.m_hDC = canvas.DC();
    CDibPainter painter;
    painter.m_pDib = guarded.Data();
    painter.m_dwSize = guarded.Size();
    painter.PreparePalette();
    painter.Draw(&dc, 0, 0);
    dc.m_hDC = nullptr;
    return canvas.Read();
}

// The picture at the top left of a cx x cy canvas, untouched elsewhere.
Grid OnCanvas(const Grid& picture, int cx, int cy) { return Expected(picture, cx, cy, kUntouched); }

const COLORREF R = RGB(255, 0, 0), O = RGB(255, 128, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255),
               K = RGB(0, 0, 0), P = RGB(64, 0, 192), G = RGB(0, 255, 0);

TEST(DibPainter, BitFieldHeadersWithoutRoomForTheirMasksAreNotPainted)
{
    // Two 16-bit pixels after headers of 41 to 51 bytes: no published header
    // has those sizes, the masks can neither follow the header at 40 nor sit
    // whole inside it. What fits of them is written from offset 40, as a
    // program that thought them part of the header would; the record ends
    // with the pixels, and so before the twelve bytes from 40 for 41 and 44.
    const DWORD rgb565[3] = {0xF800, 0x07E0, 0x001F};
    const Grid picture = {{R, B}};
    for (DWORD nHeaderSize : {41u, 44u, 48u, 51u}) {
        Bytes b = Header(nHeaderSize, 2, 1, 16, BI_BITFIELDS);
        std::memcpy(&b[40], rgb565, std::min<std::size_t>(12, nHeaderSize - 40));
        const Bytes bits = MaskedBits(picture, 16, rgb565);
        b.insert(b.end(), bits.begin(), bits.end());
        ExpectGrid(Paint(b, 4, 2), OnCanvas({}, 4, 2), 0, "header of " + std::to_string(nHeaderSize));
    }
}

TEST(DibPainter, BitFieldMasksInsideLongerHeaders)
{
    // Masks that differ from what 16 and 32-bit pixels mean without them,
    // and colours whose channels differ, so that a mask taken from the wrong
    // place or a default in its stead shows. Headers with room for it carry
    // an alpha mask after the three, which painting ignores.
    const Grid picture = {{R, O, B, W}, {K, P, G, R}, {B, W, O, K}};
    const DWORD rgb565[3] = {0xF800, 0x07E0, 0x001F};
    const DWORD reversed[3] = {0x000000FF, 0x0000FF00, 0x00FF0000};
    const DWORD rgb444[3] = {0x000F, 0x00F0, 0x0F00};  // blue highest, red lowest
    const DWORD kAlpha = 0xFF000000;
    struct Case {
        const char* name;
        Bytes bytes;
        int nTolerance;
    } cases[] = {
        {"52-byte header, 16-bit 5-6-5", BitFieldDib(picture, 16, rgb565, 52), 8},
        {"52-byte header, 32-bit red in the low byte", BitFieldDib(picture, 32, reversed, 52), 0},
        {"56-byte header, 32-bit red in the low byte", BitFieldDib(picture, 32, reversed, 56, 0, kAlpha), 0},
        {"56-byte header, 16-bit 4-4-4", BitFieldDib(picture, 16, rgb444, 56, 0, kAlpha), 17},
        {"108-byte header, 16-bit 4-4-4", BitFieldDib(picture, 16, rgb444, 108, 0, kAlpha), 17},
        {"108-byte header, 32-bit red in the low byte", BitFieldDib(picture, 32, reversed, 108, 0, kAlpha), 0},
        {"124-byte header, 16-bit 5-6-5", BitFieldDib(picture, 16, rgb565, 124, 0, kAlpha), 8},
        {"40-byte header, 16-bit 4-4-4 after it", BitFieldDib(picture, 16, rgb444), 17},
    };
    for (const Case& c : cases)
        ExpectGrid(Paint(c.bytes, 6, 4), OnCanvas(picture, 6, 4), c.nTolerance, c.name);
}

TEST(DibPainter, RleBitmapsPaintTheirRuns)
{
    const COLORREF C = RGB(10, 20, 30), D = RGB(250, 128, 0), E = RGB(90, 200, 60);
    const Grid picture = {{C, C, D, E, E}, {D, D, D, D, C}, {E, C, E, C, D}};
    ExpectGrid(Paint(RleDib(picture, false), 7, 5), OnCanvas(picture, 7, 5), 0, "RLE8");
    ExpectGrid(Paint(RleDib(picture, true), 7, 5), OnCanvas(picture, 7, 5), 0, "RLE4");
    // A large picture, mostly empty, described in a few hundred bytes: what
    // its stream sets at the top is shown.
    ExpectGrid(Paint(RleDib(picture, false, 4000, 4000), 7, 5), OnCanvas(picture, 7, 5), 0, "RLE8 4000 x 4000");
    ExpectGrid(Paint(RleDib(picture, true, 4000, 4000), 7, 5), OnCanvas(picture, 7, 5), 0, "RLE4 4000 x 4000");
}

TEST(DibPainter, RlePicturesTooLargeToDecodeAreNotPainted)
{
    // A few bytes that declare 65535 x 65535, and streams that paint the
    // top rows of pictures just past the decoding limit: none is handed to
    // GDI, which would decode each into a buffer of the declared size.
    const Grid picture = {{R, B, G}, {W, K, R}};
    const Grid nothing = OnCanvas({}, 5, 4);
    Bytes tiny = Header(40, 65535, 65535, 8, BI_RLE8, 2, 4);
    tiny.insert(tiny.end(), {0, 0, 255, 0, 255, 0, 0, 0});  // red, blue
    tiny.insert(tiny.end(), {1, 1, 0, 1});                  // one blue pixel, end of bitmap
    ExpectGrid(Paint(tiny, 5, 4), nothing, 0, "RLE8 65535 x 65535 in four bytes");
    ExpectGrid(Paint(RleDib(picture, false, 65535, 65535), 5, 4), nothing, 0, "RLE8 65535 x 65535, top rows");
    ExpectGrid(Paint(RleDib(picture, false, 16385, 16384), 5, 4), nothing, 0, "RLE8 16385 x 16384");
    ExpectGrid(Paint(RleDib(picture, true, 32769, 16384), 5, 4), nothing, 0, "RLE4 32769 x 16384");
}

TEST(DibPainter, AHeightOfIntMinIsNeverNegated)
{
    const Grid picture = {{R, G, B}, {W, K, O}};
    Bytes flat = Dib(3, picture, false);
    Put32(flat, 8, static_cast<DWORD>(INT_MIN));
    const Grid nothing = OnCanvas({}, 5, 4);
    ExpectGrid(Paint(flat, 5, 4), nothing, 0, "24-bit");

    Bytes masked = BitFieldDib(picture, 32, {0xFF0000, 0xFF00, 0xFF});
    Put32(masked, 8, static_cast<DWORD>(INT_MIN));
    ExpectGrid(Paint(masked, 5, 4), nothing, 0, "bit fields");

    Bytes rle = RleDib(picture, false);
    Put32(rle, 8, static_cast<DWORD>(INT_MIN));
    ExpectGrid(Paint(rle, 5, 4), nothing, 0, "RLE8");

    // The header comes back as stored, and its image size is not made up
    // from a height that has no size.
    const GuardedRecord guarded(flat);
    CDibPainter painter;
    painter.m_pDib = guarded.Data();
    painter.m_dwSize = guarded.Size();
    BITMAPINFOHEADER header{};
    ASSERT_TRUE(painter.GetHeader(header));
    EXPECT_EQ(header.biHeight, INT_MIN);
    EXPECT_EQ(header.biWidth, 3);
    EXPECT_EQ(header.biSizeImage, 0u);
}

TEST(DibPainter, DestinationSizesAtTheLimitsOfAnInt)
{
    // A bitmap that declares six rows and holds its bottom three: those
    // three are painted three rows down. A destination height of INT_MIN,
    // or a negative one, leaves no room for them.
    const Grid picture = {{R, G, B}, {W, K, O}, {P, B, R}};
    Bytes tall = Dib(3, picture, false);
    Put32(tall, 8, 6);
    const GuardedRecord guarded(tall);
    CDibPainter painter;
    painter.m_pDib = guarded.Data();
    painter.m_dwSize = guarded.Size();
    struct Case {
        int cx, cy;
        int nRowsShown;
    } cases[] = {{3, 6, 3}, {3, 4, 1}, {3, INT_MIN, 0}, {3, -1, 0}, {INT_MIN, 6, 0}, {INT_MAX, INT_MAX, 3}};
    for (const Case& c : cases) {
        const Canvas canvas(4, 7);
        CDC dc;
        dc.m_hDC = canvas.DC();
        EXPECT_TRUE(painter.DrawBits(&dc, 0, 0, c.cx, c.cy));
        dc.m_hDC = nullptr;
        Grid expected = OnCanvas({}, 4, 7);
        for (int r = 0; r < c.nRowsShown; ++r)
            for (int x = 0; x < 3; ++x)
                expected[3 + r][x] = picture[r][x];
        ExpectGrid(canvas.Read(), expected, 0, std::to_string(c.cx) + " x " + std::to_string(c.cy));
    }
}

// The preview through the main window: a right click on a clip of each
// kind of bitmap opens it, painted at the top left.
class PaintedPreview : public KeeperWindowTest {};

TEST_F(PaintedPreview, BitmapsArePaintedAtTheTopLeftTheRightWayUp)
{
    const COLORREF R = RGB(255, 0, 0), G = RGB(0, 255, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255),
                   K = RGB(0, 0, 0), Y = RGB(255, 255, 0);
    const Grid picture = {{R, G, B, W}, {K, Y, R, G}, {B, B, W, K}};
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"24-bit bottom-up", Dib(4, picture, false)},
        {"24-bit top-down", Dib(4, picture, true)},
        {"8-bit with its table", Dib(4, picture, false, 8)},
        {"32-bit", Dib(4, picture, false, 32)},
        {"core header", CoreDib(4, picture)},
    };
    for (const Case& c : cases) {
        Grid seen;
        std::string caption;
        CKeeperDlg window;
        ModalScript script;
        script.Then([&] {
                  InsertClip(GetDlgItem(window.m_hWnd, IDC_CLIPLIST), {{CF_DIB, c.bytes}}, true);
                  PostRightClick(window.m_hWnd);
              })
            .Await([] { return IsWindowVisible(FindWindowA("#32770", "Aper\xe7u : Bitmap")) != FALSE; })
            .Then([&] {
                HWND hDlg = FindWindowA("#32770", "Aper\xe7u : Bitmap");
                ASSERT_NE(hDlg, nullptr);
                caption = WindowText(hDlg);
                SetWindowPos(hDlg, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
                RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                HDC hDC = GetDC(hDlg);
                for (int y = 0; y < 4; ++y) {
                    seen.emplace_back();
                    for (int x = 0; x < 5; ++x)
                        seen.back().push_back(GetPixel(hDC, x, y) & 0xFFFFFF);
                }
                ReleaseDC(hDlg, hDC);
                if (c.name == cases[0].name)
                    SaveWindowPicture(hDlg, "preview_bitmap");
                PostMessageA(hDlg, WM_CLOSE, 0, 0);
            })
            .Then([&] { PostMessageA(window.m_hWnd, WM_CLOSE, 0, 0); });
        EXPECT_TRUE(script.RunModal(window)) << c.name;
        ASSERT_EQ(seen.size(), 4u) << c.name;
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(seen[y][x], picture[y][x]) << c.name << " at " << x << "," << y;
            EXPECT_EQ(seen[y][4], face) << c.name << " right of the picture, row " << y;
        }
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(seen[3][x], face) << c.name << " below the picture, column " << x;
        theKeeperApp.DeleteAllClips();
        theKeeperApp.m_listClips.RemoveAll();
    }
}

// What a cx x cy corner of the preview should show: picture rows
// [first, last) shifted down by yOffset, the dialog's background elsewhere.
Grid OnDialog(const Grid& picture, int cx, int cy, int first = 0, int last = -1, int yOffset = 0)
{
    return Expected(picture, cx, cy, GetSysColor(COLOR_BTNFACE), first, last, yOffset);
}

// One bitmap preview shows each record in turn, each a GuardedRecord; for each
// paint the top left cx x cy client pixels are read back.
std::vector<Grid> PaintedGrids(const std::vector<Bytes>& records, int cx, int cy, const char* pszPicture = nullptr)
{
    std::vector<Grid> grids;
    std::unique_ptr<GuardedRecord> pRecord;  // outlives the dialog that points into it
    CPreviewDlg dlg;
    dlg.m_nFormat = CF_DIB;
    ModalScript script;
    script.Then([] {});
    for (std::size_t i = 0; i < records.size(); ++i) {
        script.Then([&, i] {
            auto pNext = std::make_unique<GuardedRecord>(records[i]);
            dlg.m_pData = pNext->Data();
            dlg.m_dwSize = pNext->Size();
            pRecord = std::move(pNext);
            SetWindowPos(dlg.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            HDC hDC = GetDC(dlg.m_hWnd);
            Grid& g = grids.emplace_back();
            for (int y = 0; y < cy; ++y) {
                g.emplace_back();
                for (int x = 0; x < cx; ++x)
                    g.back().push_back(GetPixel(hDC, x, y) & 0xFFFFFF);
            }
            ReleaseDC(dlg.m_hWnd, hDC);
            if (i == 0 && pszPicture != nullptr)
                SaveWindowPicture(dlg.m_hWnd, pszPicture);
        });
    }
    script.Then([&] { PostMessageA(dlg.m_hWnd, WM_CLOSE, 0, 0); });
    EXPECT_TRUE(script.RunModal(dlg));
    return grids;
}

TEST(PreviewDialog, OneAndFourBitBitmapsTakeTheirColoursFromTheTable)
{
    // Colours of no fixed palette, so that only the table can give them.
    const COLORREF A = RGB(200, 30, 90), B = RGB(20, 160, 220);
    const Grid two = {{A, B, B, A, A, A, B, A, B, B}, {B, A, A, B, B, B, A, B, A, A}, {A, A, B, B, A, B, A, A, A, B}};
    const COLORREF C = RGB(10, 20, 30), D = RGB(250, 128, 0), E = RGB(90, 200, 60), F = RGB(128, 128, 255),
                   H = RGB(255, 255, 255), K = RGB(0, 0, 0), L = RGB(70, 10, 140);
    // An odd width: the last pixel of a row fills half a byte.
    const Grid sixteen = {{C, D, E, F, H}, {K, L, C, D, E}, {F, H, K, L, C}};
    struct Case {
        const char* name;
        const Grid& picture;
        Bytes bytes;
    };
    const Case cases[] = {
        {"1-bit bottom-up, rows across two bytes", two, Dib(10, two, false, 1)},
        {"1-bit top-down", two, Dib(10, two, true, 1)},
        {"4-bit bottom-up", sixteen, Dib(5, sixteen, false, 4)},
        {"4-bit top-down", sixteen, Dib(5, sixteen, true, 4)},
    };
    std::vector<Bytes> records;
    for (const Case& c : cases)
        records.push_back(c.bytes);
    const std::vector<Grid> seen = PaintedGrids(records, 12, 4, "preview_bitmap_1bit");
    ASSERT_EQ(seen.size(), std::size(cases));
    for (std::size_t i = 0; i < seen.size(); ++i)
        ExpectGrid(seen[i], OnDialog(cases[i].picture, 12, 4), 0, cases[i].name);
}

TEST(PreviewDialog, BitFieldBitmapsFollowTheirMasks)
{
    // Colours whose channels differ, so that a swapped or shifted channel
    // and pixels read from the masks' place both show.
    const COLORREF R = RGB(255, 0, 0), O = RGB(255, 128, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255),
                   K = RGB(0, 0, 0), P = RGB(64, 0, 192), G = RGB(0, 255, 0);
    const Grid picture = {{R, O, B, W}, {K, P, G, R}, {B, W, O, K}};
    const DWORD rgb565[3] = {0xF800, 0x07E0, 0x001F};
    const DWORD rgb555[3] = {0x7C00, 0x03E0, 0x001F};
    // Red in the low byte: the reverse of the usual order.
    const DWORD reversed[3] = {0x000000FF, 0x0000FF00, 0x00FF0000};
    struct Case {
        const char* name;
        Bytes bytes;
        int nTolerance;
    };
    const Case cases[] = {
        {"16-bit 5-6-5, masks after the header", BitFieldDib(picture, 16, rgb565), 8},
        {"16-bit 5-5-5, masks then a table", BitFieldDib(picture, 16, rgb555, 40, 2), 8},
        {"32-bit, red in the low byte", BitFieldDib(picture, 32, reversed), 0},
        {"32-bit, masks then a table", BitFieldDib(picture, 32, reversed, 40, 3), 0},
        {"16-bit 5-6-5, masks inside a 108-byte header", BitFieldDib(picture, 16, rgb565, 108), 8},
        {"32-bit, masks inside a 124-byte header", BitFieldDib(picture, 32, reversed, 124), 0},
    };
    std::vector<Bytes> records;
    for (const Case& c : cases)
        records.push_back(c.bytes);
    const std::vector<Grid> seen = PaintedGrids(records, 6, 4);
    ASSERT_EQ(seen.size(), std::size(cases));
    for (std::size_t i = 0; i < seen.size(); ++i)
        ExpectGrid(seen[i], OnDialog(picture, 6, 4), cases[i].nTolerance, cases[i].name);
}

TEST(PreviewDialog, BitmapsThatClaimMoreThanTheirRecordHoldsShowOnlyWhatItHolds)
{
    const COLORREF R = RGB(255, 0, 0), G = RGB(0, 255, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255),
                   K = RGB(0, 0, 0), Y = RGB(255, 255, 0);
    const Grid picture = {{R, G, B, W}, {K, Y, R, G}, {B, B, W, K}};
    const int cx = 6, cy = 7;
    const Grid nothing = OnDialog({}, cx, cy);

    Bytes tallBottomUp = Dib(4, picture, false);
    Put32(tallBottomUp, 8, 6);
    Bytes tallTopDown = Dib(4, picture, true);
    Put32(tallTopDown, 8, static_cast<DWORD>(-6));
    Bytes cutRow = Dib(4, picture, false);
    cutRow.resize(cutRow.size() - 5);
    Bytes bigTable = Dib(4, picture, false, 8);
    Put32(bigTable, 32, 200);
    Bytes hugeTable = Dib(4, picture, false, 8);
    Put32(hugeTable, 32, 0xFFFFFFFF);
    const DWORD rgb565[3] = {0xF800, 0x07E0, 0x001F};
    Bytes cutMasks = BitFieldDib(picture, 16, rgb565);
    cutMasks.resize(46);
    Bytes cutHeader = Dib(4, picture, false);
    cutHeader.resize(30);
    Bytes wide = Dib(4, picture, false);
    Put32(wide, 4, 100000);
    Put32(wide, 8, 1);
    // An RLE8 stream cut after its bottom row, with an image size claiming
    // far more: the table puts red at 0, green 1, blue 2, white 3, black 4.
    Bytes rle = Dib(4, picture, false, 8);
    rle.resize(40 + 6 * 4);
    Put32(rle, 16, BI_RLE8);
    Put32(rle, 20, 1000);
    rle.insert(rle.end(), {2, 2, 1, 3, 1, 4, 0, 0});

    struct Case {
        const char* name;
        Bytes bytes;
        Grid expected;
    };
    const Case cases[] = {
        // Six rows declared, three stored: a bottom-up bitmap stores its
        // bottom rows first, so those three are shown in the picture's
        // bottom half and its top half stays empty.
        {"bottom-up, taller than its bytes", tallBottomUp, OnDialog(picture, cx, cy, 0, 3, 3)},
        // Top-down stores the top rows first: they are shown, nothing below.
        {"top-down, taller than its bytes", tallTopDown, OnDialog(picture, cx, cy)},
        // The record ends inside the top row: only whole rows are shown.
        {"cut inside its top row", cutRow, OnDialog(picture, cx, cy, 1, 3)},
        // A colour table, or masks, or a header, that go past the record
        // leave nothing to paint: nothing is shown.
        {"200 colours declared, 6 stored", bigTable, nothing},
        {"4294967295 colours declared", hugeTable, nothing},
        {"masks cut", cutMasks, nothing},
        {"header cut", cutHeader, nothing},
        // A row longer than the whole record: not one row can be shown.
        {"a row wider than the record", wide, nothing},
        // Compressed bits are decoded as far as the record goes.
        {"RLE8 stream cut after its bottom row", rle, OnDialog(picture, cx, cy, 2, 3)},
    };
    std::vector<Bytes> records;
    for (const Case& c : cases)
        records.push_back(c.bytes);
    const std::vector<Grid> seen = PaintedGrids(records, cx, cy);
    ASSERT_EQ(seen.size(), std::size(cases));
    for (std::size_t i = 0; i < seen.size(); ++i)
        ExpectGrid(seen[i], cases[i].expected, 0, cases[i].name);
}

}  // namespace
