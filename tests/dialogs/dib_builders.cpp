#include "tests/dialogs/dib_builders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

GuardedRecord::GuardedRecord(const Bytes& bytes)
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

GuardedRecord::~GuardedRecord() { VirtualFree(m_pBase, 0, MEM_RELEASE); }

void Put32(Bytes& b, std::size_t at, DWORD v) { std::memcpy(&b[at], &v, 4); }

Bytes Header(DWORD nHeaderSize, LONG w, LONG h, WORD nBitCount, DWORD nCompression, DWORD nClrUsed,
             DWORD nSizeImage)
{
    const BITMAPINFOHEADER bih{nHeaderSize, w, h, 1, nBitCount, nCompression, nSizeImage, 0, 0, nClrUsed, 0};
    Bytes b(nHeaderSize, 0);
    std::memcpy(b.data(), &bih, std::min<std::size_t>(sizeof bih, nHeaderSize));
    return b;
}

namespace {

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

}  // namespace

Bytes Dib(int w, const Grid& rowsFromTop, bool bTopDown, int nBitCount)
{
    const int h = static_cast<int>(rowsFromTop.size());
    std::vector<COLORREF> table;
    if (nBitCount <= 8) {
        table = Colours(rowsFromTop);
        if (nBitCount != 8)
            table.resize(std::size_t{1} << nBitCount, RGB(1, 2, 3));
    }
    Bytes b = Header(40, w, bTopDown ? -h : h, static_cast<WORD>(nBitCount), BI_RGB,
                     nBitCount == 8 ? static_cast<DWORD>(table.size()) : 0);
    for (COLORREF c : table)
        b.insert(b.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 0});
    const int stride = (w * nBitCount + 31) / 32 * 4;
    for (int r = 0; r < h; ++r) {
        const auto& row = rowsFromTop[static_cast<std::size_t>(bTopDown ? r : h - 1 - r)];
        Bytes line(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < w; ++x) {
            const COLORREF c = row[static_cast<std::size_t>(x)];
            if (nBitCount <= 8) {
                // The leftmost pixel sits in the byte's high bits.
                const int bit = x * nBitCount;
                line[bit / 8] |= static_cast<BYTE>(IndexOf(table, c) << (8 - nBitCount - bit % 8));
            } else {
                const int n = nBitCount / 8;
                line[x * n] = GetBValue(c);
                line[x * n + 1] = GetGValue(c);
                line[x * n + 2] = GetRValue(c);
            }
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

Bytes CoreDib(int w, const Grid& rowsFromTop)
{
    const Bytes info = Dib(w, rowsFromTop, false);
    Bytes b(info.size() - 28, 0);
    b[0] = 12;
    b[4] = static_cast<BYTE>(w);
    b[6] = static_cast<BYTE>(rowsFromTop.size());
    b[8] = 1;
    b[10] = 24;
    std::copy(info.begin() + 40, info.end(), b.begin() + 12);
    return b;
}

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
            const std::size_t n = static_cast<std::size_t>(nBitCount / 8);
            std::memcpy(&line[static_cast<std::size_t>(x) * n], &v, n);
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

Bytes BitFieldDib(const Grid& picture, int nBitCount, const DWORD (&masks)[3], DWORD nHeaderSize, DWORD nTable,
                  DWORD dwAlphaMask)
{
    const LONG w = static_cast<LONG>(picture[0].size()), h = static_cast<LONG>(picture.size());
    Bytes b = Header(nHeaderSize, w, h, static_cast<WORD>(nBitCount), BI_BITFIELDS, nTable);
    if (nHeaderSize == 40)
        b.resize(52);
    std::memcpy(&b[40], masks, sizeof masks);
    if (dwAlphaMask != 0)
        Put32(b, 52, dwAlphaMask);
    b.resize(b.size() + nTable * 4, 0x55);
    const Bytes bits = MaskedBits(picture, nBitCount, masks);
    b.insert(b.end(), bits.begin(), bits.end());
    return b;
}

Bytes RleDib(const Grid& picture, bool bRle4, LONG w, LONG h)
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

Grid Expected(const Grid& picture, int cx, int cy, COLORREF background, int first, int last, int yOffset)
{
    if (last < 0)
        last = static_cast<int>(picture.size());
    Grid g(static_cast<std::size_t>(cy), std::vector<COLORREF>(static_cast<std::size_t>(cx), background));
    for (int r = first; r < last && r + yOffset < cy; ++r)
        for (std::size_t x = 0; x < picture[r].size() && x < g[r + yOffset].size(); ++x)
            g[static_cast<std::size_t>(r + yOffset)][x] = picture[r][x];
    return g;
}

void ExpectGrid(const Grid& seen, const Grid& expected, int nTolerance, const std::string& name)
{
    ASSERT_EQ(seen.size(), expected.size()) << name;
    int nWrong = 0;
    std::string where;
    for (std::size_t y = 0; y < seen.size(); ++y) {
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
    }
    EXPECT_EQ(nWrong, 0) << name << ":" << where;
}
