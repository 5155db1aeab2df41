// The DIB painter under Wine, painting into a 32-bit bitmap in memory whose
// pixels are read back directly. Every record is copied to the very end of
// readable memory, so a read past it faults at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dialogs/dibpainter.h"
#include "tests/support/clipboard_fixture.h"

namespace {

using Grid = std::vector<std::vector<COLORREF>>;

// What the canvas holds where nothing was painted: a colour no test picture uses.
constexpr COLORREF kUntouched = RGB(17, 93, 171);

// A record copied so that its last byte is the last readable one: the page
// after it is PAGE_NOACCESS.
class GuardedRecord {
public:
    explicit GuardedRecord(const Bytes& bytes)
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        const SIZE_T page = si.dwPageSize;
        const SIZE_T cbData = (bytes.size() + page - 1) / page * page;
        m_pBase = static_cast<BYTE*>(VirtualAlloc(nullptr, cbData + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD dwOld = 0;
        VirtualProtect(m_pBase + cbData, page, PAGE_NOACCESS, &dwOld);
        m_pData = m_pBase + cbData - bytes.size();
        std::copy(bytes.begin(), bytes.end(), m_pData);
        m_dwSize = static_cast<DWORD>(bytes.size());
    }
    ~GuardedRecord() { VirtualFree(m_pBase, 0, MEM_RELEASE); }
    GuardedRecord(const GuardedRecord&) = delete;
    GuardedRecord& operator=(const GuardedRecord&) = delete;
    const BYTE* Data() const { return m_pData; }
    DWORD Size() const { return m_dwSize; }

private:
    BYTE* m_pBase = nullptr;
    BYTE* m_pData = nullptr;
    DWORD m_dwSize = 0;
};

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
Grid Expected(const Grid& picture, int cx, int cy)
{
    Grid g(static_cast<std::size_t>(cy), std::vector<COLORREF>(static_cast<std::size_t>(cx), kUntouched));
    for (std::size_t y = 0; y < picture.size() && y < g.size(); ++y)
        for (std::size_t x = 0; x < picture[y].size() && x < g[y].size(); ++x)
            g[y][x] = picture[y][x];
    return g;
}

// Pixel by pixel; a channel may be off by nTolerance levels (a 4, 5 or
// 6-bit channel widened to 8 bits).
void ExpectGrid(const Grid& seen, const Grid& expected, int nTolerance, const std::string& name)
{
    ASSERT_EQ(seen.size(), expected.size()) << name;
    int nWrong = 0;
    std::string where;
    for (std::size_t y = 0; y < seen.size(); ++y)
        for (std::size_t x = 0; x < seen[y].size(); ++x) {
            const COLORREF a = seen[y][x], b = expected[y][x];
            const int d = std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                                    std::abs(GetBValue(a) - GetBValue(b))});
            if (d > nTolerance && ++nWrong <= 4) {
                char sz[96];
                wsprintfA(sz, " (%d,%d) is #%02X%02X%02X, not #%02X%02X%02X;", static_cast<int>(x),
                          static_cast<int>(y), GetRValue(a), GetGValue(a), GetBValue(a), GetRValue(b), GetGValue(b),
                          GetBValue(b));
                where += sz;
            }
        }
    EXPECT_EQ(nWrong, 0) << name << ":" << where;
}

void Put32(Bytes& b, std::size_t at, DWORD v) { std::memcpy(&b[at], &v, 4); }

// An info header of any size: the 40-byte fields, zeros after them.
Bytes Header(DWORD nHeaderSize, LONG w, LONG h, WORD nBitCount, DWORD nCompression, DWORD nClrUsed = 0,
             DWORD nSizeImage = 0)
{
    const BITMAPINFOHEADER bih{nHeaderSize, w, h, 1, nBitCount, nCompression, nSizeImage, 0, 0, nClrUsed, 0};
    Bytes b(nHeaderSize, 0);
    std::memcpy(b.data(), &bih, std::min<std::size_t>(sizeof bih, nHeaderSize));
    return b;
}

// The rows of a 16 or 32-bit picture, bottom row first, each channel where
// its mask puts it.
Bytes MaskedBits(const Grid& rowsFromTop, int nBitCount, const DWORD (&masks)[3])
{
    auto channel = [](BYTE v, DWORD mask) {
        const int shift = std::countr_zero(mask);
        const DWORD nMax = mask >> shift;
        return (v * nMax + 127) / 255 << shift;
    };
    const int w = static_cast<int>(rowsFromTop[0].size());
    const int stride = (w * nBitCount + 31) / 32 * 4;
    Bytes b;
    for (auto row = rowsFromTop.rbegin(); row != rowsFromTop.rend(); ++row) {
        Bytes line(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < w; ++x) {
            const COLORREF c = (*row)[x];
            const DWORD v = channel(GetRValue(c), masks[0]) | channel(GetGValue(c), masks[1]) |
                            channel(GetBValue(c), masks[2]);
            std::memcpy(&line[static_cast<std::size_t>(x * nBitCount / 8)], &v, static_cast<std::size_t>(nBitCount / 8));
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

// A bit-field DIB: the masks follow a 40-byte header and sit at offset 40
// inside a longer one, with an alpha mask after them when the header has
// room for it (which painting ignores).
Bytes BitFieldDib(DWORD nHeaderSize, const Grid& picture, int nBitCount, const DWORD (&masks)[3])
{
    const LONG w = static_cast<LONG>(picture[0].size()), h = static_cast<LONG>(picture.size());
    Bytes b = Header(nHeaderSize, w, h, static_cast<WORD>(nBitCount), BI_BITFIELDS);
    if (nHeaderSize == 40)
        b.resize(52);
    std::memcpy(&b[40], masks, sizeof masks);
    if (nHeaderSize >= 56)
        Put32(b, 52, 0xFF000000);
    const Bytes bits = MaskedBits(picture, nBitCount, masks);
    b.insert(b.end(), bits.begin(), bits.end());
    return b;
}

// The distinct colours of a picture, in order of first appearance.
std::vector<COLORREF> Colours(const Grid& picture)
{
    std::vector<COLORREF> table;
    for (const auto& row : picture)
        for (COLORREF c : row)
            if (std::find(table.begin(), table.end(), c) == table.end())
                table.push_back(c);
    return table;
}

BYTE IndexOf(const std::vector<COLORREF>& table, COLORREF c)
{
    return static_cast<BYTE>(std::find(table.begin(), table.end(), c) - table.begin());
}

// The encoded runs of one row, then the escape that ends the line.
void EncodeRow(Bytes& stream, const std::vector<COLORREF>& row, const std::vector<COLORREF>& table, bool bRle4)
{
    for (std::size_t x = 0; x < row.size();) {
        std::size_t n = 1;
        while (x + n < row.size() && row[x + n] == row[x] && n < 255)
            ++n;
        const BYTE i = IndexOf(table, row[x]);
        stream.insert(stream.end(), {static_cast<BYTE>(n), bRle4 ? static_cast<BYTE>(i << 4 | i) : i});
        x += n;
    }
}

// An RLE8 or RLE4 DIB w x h whose stream gives the picture's rows at the
// top of the bitmap; the rows below it are jumped over with delta escapes
// (a stream can describe a large, mostly empty picture in a few bytes).
Bytes RleDib(const Grid& picture, bool bRle4, LONG w = 0, LONG h = 0)
{
    const std::vector<COLORREF> table = Colours(picture);
    if (w == 0)
        w = static_cast<LONG>(picture[0].size());
    if (h == 0)
        h = static_cast<LONG>(picture.size());
    Bytes stream;
    for (LONG up = h - static_cast<LONG>(picture.size()); up > 0;) {
        const LONG dy = std::min<LONG>(up, 255);
        stream.insert(stream.end(), {0, 2, 0, static_cast<BYTE>(dy)});
        up -= dy;
    }
    for (auto row = picture.rbegin(); row != picture.rend(); ++row) {
        EncodeRow(stream, *row, table, bRle4);
        stream.insert(stream.end(), {0, static_cast<BYTE>(row + 1 == picture.rend() ? 1 : 0)});
    }
    Bytes b = Header(40, w, h, bRle4 ? 4 : 8, bRle4 ? BI_RLE4 : BI_RLE8, static_cast<DWORD>(table.size()),
                     static_cast<DWORD>(stream.size()));
    for (COLORREF c : table)
        b.insert(b.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 0});
    b.insert(b.end(), stream.begin(), stream.end());
    return b;
}

// A 24-bit bottom-up DIB of the picture.
Bytes Dib24(const Grid& picture)
{
    const LONG w = static_cast<LONG>(picture[0].size()), h = static_cast<LONG>(picture.size());
    Bytes b = Header(40, w, h, 24, BI_RGB);
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) / 4 * 4;
    for (auto row = picture.rbegin(); row != picture.rend(); ++row) {
        Bytes line(stride, 0);
        for (std::size_t x = 0; x < row->size(); ++x) {
            line[3 * x] = GetBValue((*row)[x]);
            line[3 * x + 1] = GetGValue((*row)[x]);
            line[3 * x + 2] = GetRValue((*row)[x]);
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

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
        ExpectGrid(Paint(b, 4, 2), Expected({}, 4, 2), 0, "header of " + std::to_string(nHeaderSize));
    }
}

TEST(DibPainter, BitFieldMasksInsideLongerHeaders)
{
    // Masks that differ from what 16 and 32-bit pixels mean without them,
    // and colours whose channels differ, so that a mask taken from the wrong
    // place or a default in its stead shows.
    const Grid picture = {{R, O, B, W}, {K, P, G, R}, {B, W, O, K}};
    const DWORD rgb565[3] = {0xF800, 0x07E0, 0x001F};
    const DWORD reversed[3] = {0x000000FF, 0x0000FF00, 0x00FF0000};
    const DWORD rgb444[3] = {0x000F, 0x00F0, 0x0F00};  // blue highest, red lowest
    struct Case {
        const char* name;
        Bytes bytes;
        int nTolerance;
    } cases[] = {
        {"52-byte header, 16-bit 5-6-5", BitFieldDib(52, picture, 16, rgb565), 8},
        {"52-byte header, 32-bit red in the low byte", BitFieldDib(52, picture, 32, reversed), 0},
        {"56-byte header, 32-bit red in the low byte", BitFieldDib(56, picture, 32, reversed), 0},
        {"56-byte header, 16-bit 4-4-4", BitFieldDib(56, picture, 16, rgb444), 17},
        {"108-byte header, 16-bit 4-4-4", BitFieldDib(108, picture, 16, rgb444), 17},
        {"108-byte header, 32-bit red in the low byte", BitFieldDib(108, picture, 32, reversed), 0},
        {"124-byte header, 16-bit 5-6-5", BitFieldDib(124, picture, 16, rgb565), 8},
        {"40-byte header, 16-bit 4-4-4 after it", BitFieldDib(40, picture, 16, rgb444), 17},
    };
    for (const Case& c : cases)
        ExpectGrid(Paint(c.bytes, 6, 4), Expected(picture, 6, 4), c.nTolerance, c.name);
}

TEST(DibPainter, RleBitmapsPaintTheirRuns)
{
    const COLORREF C = RGB(10, 20, 30), D = RGB(250, 128, 0), E = RGB(90, 200, 60);
    const Grid picture = {{C, C, D, E, E}, {D, D, D, D, C}, {E, C, E, C, D}};
    ExpectGrid(Paint(RleDib(picture, false), 7, 5), Expected(picture, 7, 5), 0, "RLE8");
    ExpectGrid(Paint(RleDib(picture, true), 7, 5), Expected(picture, 7, 5), 0, "RLE4");
    // A large picture, mostly empty, described in a few hundred bytes: what
    // its stream sets at the top is shown.
    ExpectGrid(Paint(RleDib(picture, false, 4000, 4000), 7, 5), Expected(picture, 7, 5), 0, "RLE8 4000 x 4000");
    ExpectGrid(Paint(RleDib(picture, true, 4000, 4000), 7, 5), Expected(picture, 7, 5), 0, "RLE4 4000 x 4000");
}

TEST(DibPainter, RlePicturesTooLargeToDecodeAreNotPainted)
{
    // A few bytes that declare 65535 x 65535, and streams that paint the
    // top rows of pictures just past the decoding limit: none is handed to
    // GDI, which would decode each into a buffer of the declared size.
    const Grid picture = {{R, B, G}, {W, K, R}};
    const Grid nothing = Expected({}, 5, 4);
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
    Bytes flat = Dib24(picture);
    Put32(flat, 8, static_cast<DWORD>(INT_MIN));
    const Grid nothing = Expected({}, 5, 4);
    ExpectGrid(Paint(flat, 5, 4), nothing, 0, "24-bit");

    Bytes masked = BitFieldDib(40, picture, 32, {0xFF0000, 0xFF00, 0xFF});
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
    Bytes tall = Dib24(picture);
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
        Grid expected = Expected({}, 4, 7);
        for (int r = 0; r < c.nRowsShown; ++r)
            for (int x = 0; x < 3; ++x)
                expected[3 + r][x] = picture[r][x];
        ExpectGrid(canvas.Read(), expected, 0, std::to_string(c.cx) + " x " + std::to_string(c.cy));
    }
}

}  // namespace
