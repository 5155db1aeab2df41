#include "dialogs/dibreader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t at, std::uint16_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct Info {
    std::int32_t width = 4;
    std::int32_t height = 2;
    std::uint16_t bits = 8;
    std::uint32_t compression = DIB_RGB;
    std::uint32_t clrUsed = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t headerSize = DIB_INFO_HEADER;
};

// An info header of any length (fields past 40 bytes left zero), followed by
// `after` bytes of a recognisable pattern: masks, table and bits.
Bytes InfoDib(const Info& i, std::size_t after)
{
    Bytes b(i.headerSize + after);
    Put32(b, 0, i.headerSize);
    Put32(b, 4, static_cast<std::uint32_t>(i.width));
    Put32(b, 8, static_cast<std::uint32_t>(i.height));
    Put16(b, 12, 1);
    Put16(b, 14, i.bits);
    Put32(b, 16, i.compression);
    Put32(b, 20, i.sizeImage);
    Put32(b, 32, i.clrUsed);
    for (std::size_t k = i.headerSize; k < b.size(); ++k)
        b[k] = static_cast<std::uint8_t>(k * 7);
    return b;
}

Bytes CoreDib(std::uint16_t width, std::uint16_t height, std::uint16_t bits, std::size_t after)
{
    Bytes b(DIB_CORE_HEADER + after);
    Put32(b, 0, DIB_CORE_HEADER);
    Put16(b, 4, width);
    Put16(b, 6, height);
    Put16(b, 8, 1);
    Put16(b, 10, bits);
    for (std::size_t k = DIB_CORE_HEADER; k < b.size(); ++k)
        b[k] = static_cast<std::uint8_t>(k * 7);
    return b;
}

DibLayout Read(const Bytes& b) { return ReadDib(b.data(), b.size()); }

TEST(DibColors, CountTableAndWhereTheBitsStart)
{
    struct Case {
        std::uint16_t bits;
        std::uint32_t clrUsed;
        std::uint32_t colors;
        std::uint32_t bitsOffset;
    } cases[] = {
        {8, 0, 256, 40 + 1024}, {8, 20, 20, 40 + 80}, {1, 0, 2, 48},  {4, 0, 16, 104},
        {24, 0, 0, 40},         {24, 16, 16, 40 + 64}, {16, 0, 0, 40}, {32, 0, 0, 40},
        {1, 1, 1, 44},  // colours used wins whatever the bit count
    };
    for (const Case& c : cases) {
        Info info;
        info.width = 5;
        info.height = 3;
        info.bits = c.bits;
        info.clrUsed = c.clrUsed;
        const std::uint32_t stride = (5 * c.bits + 31) / 32 * 4;
        const Bytes b = InfoDib(info, c.bitsOffset - 40 + stride * 3);
        const DibLayout d = Read(b);
        EXPECT_TRUE(d.valid()) << c.bits << "/" << c.clrUsed;
        EXPECT_EQ(d.nColors, c.colors) << c.bits << "/" << c.clrUsed;
        EXPECT_EQ(CountColors(d.header), c.colors);
        EXPECT_EQ(d.nTableBytes, c.colors * 4) << c.bits << "/" << c.clrUsed;
        EXPECT_EQ(ColorTableBytes(d.header), c.colors * 4u);
        EXPECT_EQ(d.nBitsOffset, c.bitsOffset) << c.bits << "/" << c.clrUsed;
        EXPECT_EQ(d.nStride, stride);
        EXPECT_EQ(d.nBitsBytes, stride * 3);
        EXPECT_EQ(d.nRowsPresent, 3u);
    }
}

TEST(DibColors, LongHeadersPutTheTableAfterTheWholeHeader)
{
    for (std::uint32_t size : {DIB_V4_HEADER, DIB_V5_HEADER, 52u, 56u}) {
        Info info;
        info.headerSize = size;
        info.width = 4;
        info.height = 1;
        const Bytes b = InfoDib(info, 1024 + 4);
        const DibLayout d = Read(b);
        EXPECT_TRUE(d.valid()) << size;
        EXPECT_EQ(d.nTableOffset, size);
        EXPECT_EQ(d.nBitsOffset, size + 1024);
        // Only a 40-byte header gets a palette.
        EXPECT_EQ(ReadColorTable(b.data(), b.size(), d).size(), 256u);
        EXPECT_TRUE(BuildPaletteEntries(b.data(), b.size(), d).empty()) << size;
    }
    Info v5;
    v5.headerSize = DIB_V5_HEADER;
    v5.bits = 24;
    v5.width = 1;
    v5.height = 1;
    const DibLayout d = Read(InfoDib(v5, 4));
    EXPECT_TRUE(d.valid());
    EXPECT_EQ(d.nBitsOffset, DIB_V5_HEADER);
}

TEST(DibColors, BitFieldsMasksFollowOnlyTheShortHeader)
{
    Info info;
    info.compression = DIB_BITFIELDS;
    info.width = 2;
    info.height = 2;
    for (std::uint16_t bits : {16, 32}) {
        info.bits = bits;
        const std::uint32_t stride = bits == 16 ? 4 : 8;
        const DibLayout d = Read(InfoDib(info, 12 + stride * 2));
        EXPECT_TRUE(d.valid()) << bits;
        EXPECT_EQ(d.nMaskBytes, 12u);
        EXPECT_EQ(d.nColors, 0u);
        EXPECT_EQ(d.nBitsOffset, 52u) << bits;
    }

    // An optional table after the masks.
    info.bits = 32;
    info.clrUsed = 2;
    Bytes b = InfoDib(info, 12 + 8 + 16);
    Put32(b, 52, 0x00302010);
    DibLayout d = Read(b);
    EXPECT_TRUE(d.valid());
    EXPECT_EQ(d.nTableOffset, 52u);
    EXPECT_EQ(d.nBitsOffset, 60u);
    EXPECT_EQ(ReadColorTable(b.data(), b.size(), d)[0], (DibColor{0x30, 0x20, 0x10}));

    // v4 and v5 headers hold their masks.
    info.clrUsed = 0;
    info.headerSize = DIB_V5_HEADER;
    d = Read(InfoDib(info, 16));
    EXPECT_TRUE(d.valid());
    EXPECT_EQ(d.nMaskBytes, 0u);
    EXPECT_EQ(d.nBitsOffset, DIB_V5_HEADER);

    // Masks cut by the end of the record.
    info.headerSize = DIB_INFO_HEADER;
    EXPECT_EQ(Read(InfoDib(info, 8)).fault, DibFault::TableOutside);
    // Bits that would fit if the masks were forgotten do not.
    EXPECT_EQ(Read(InfoDib(info, 16)).fault, DibFault::BitsOutside);
}

TEST(DibColors, CoreHeaderHasTriplesAndUnsignedSizes)
{
    Bytes b = CoreDib(3, 2, 8, 768 + 4 * 2);
    b[12] = 10;  // blue
    b[13] = 20;  // green
    b[14] = 30;  // red
    b[15] = 1;   // the next entry's blue, not a reserved byte
    DibLayout d = Read(b);
    EXPECT_TRUE(d.valid());
    EXPECT_TRUE(d.header.IsCore());
    EXPECT_EQ(d.nColors, 256u);
    EXPECT_EQ(d.nTableBytes, 768u);
    EXPECT_EQ(d.nBitsOffset, 780u);
    const std::vector<DibColor> table = ReadColorTable(b.data(), b.size(), d);
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[0], (DibColor{30, 20, 10}));
    EXPECT_EQ(table[1].blue, 1);
    EXPECT_TRUE(BuildPaletteEntries(b.data(), b.size(), d).empty());

    // Sizes are unsigned 16-bit: never top-down.
    d = Read(CoreDib(40000, 50000, 24, 0));
    EXPECT_EQ(d.header.nWidth, 40000);
    EXPECT_EQ(d.header.nHeight, 50000);
    EXPECT_EQ(d.fault, DibFault::BadSize);  // 6 GB of bits
    d = Read(CoreDib(40000, 1000, 24, 0));
    EXPECT_FALSE(d.IsTopDown());
    EXPECT_EQ(d.nBitsOffset, 12u);
    EXPECT_EQ(d.fault, DibFault::BitsOutside);

    // A core header has no colours-used field: the bytes where it would be
    // belong to the table.
    b = CoreDib(1, 1, 1, 6 + 4 + 40);
    Put32(b, 32, 5);
    d = Read(b);
    EXPECT_EQ(d.nColors, 2u);
    EXPECT_EQ(d.nBitsOffset, 18u);

    EXPECT_EQ(Read(CoreDib(1, 1, 16, 8)).fault, DibFault::Unsupported);
    EXPECT_EQ(Read(CoreDib(1, 1, 32, 8)).fault, DibFault::Unsupported);
}

TEST(DibPalette, EntriesSwapRedAndBlue)
{
    Info info;
    info.bits = 1;
    info.width = 1;
    info.height = 1;
    Bytes b = InfoDib(info, 8 + 4);
    const std::uint8_t table[8] = {10, 20, 30, 0, 200, 100, 50, 99};
    std::copy(table, table + 8, b.begin() + 40);
    const DibLayout d = Read(b);
    const std::vector<DibColor> p = BuildPaletteEntries(b.data(), b.size(), d);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0], (DibColor{30, 20, 10}));
    EXPECT_EQ(p[1], (DibColor{50, 100, 200}));
}

TEST(DibPalette, TwentyFourBitsWithoutTableGetTheFixedPalette)
{
    Info info;
    info.bits = 24;
    info.width = 1;
    info.height = 1;
    Bytes b = InfoDib(info, 4);
    std::vector<DibColor> p = BuildPaletteEntries(b.data(), b.size(), Read(b));
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(p[0], (DibColor{0, 0, 0}));
    EXPECT_EQ(p[7], (DibColor{224, 0, 0}));
    EXPECT_EQ(p[8], (DibColor{0, 32, 0}));
    EXPECT_EQ(p[63], (DibColor{224, 224, 0}));
    EXPECT_EQ(p[64], (DibColor{0, 0, 64}));
    EXPECT_EQ(p[255], (DibColor{224, 224, 192}));

    // With a table of its own, the table.
    info.clrUsed = 16;
    b = InfoDib(info, 64 + 4);
    b[40] = 1;
    b[41] = 2;
    b[42] = 3;
    p = BuildPaletteEntries(b.data(), b.size(), Read(b));
    ASSERT_EQ(p.size(), 16u);
    EXPECT_EQ(p[0], (DibColor{3, 2, 1}));

    // 16 and 32 bits without a table: none.
    for (std::uint16_t bits : {16, 32}) {
        info.bits = bits;
        info.clrUsed = 0;
        b = InfoDib(info, 4);
        EXPECT_TRUE(BuildPaletteEntries(b.data(), b.size(), Read(b)).empty()) << bits;
    }
}

TEST(DibPalette, LargeTablesAreCutToWhatADisplayRealises)
{
    Info info;
    info.clrUsed = 300;
    info.width = 1;
    info.height = 1;
    const Bytes b = InfoDib(info, 1200 + 4);
    const DibLayout d = Read(b);
    EXPECT_TRUE(d.valid());
    EXPECT_EQ(d.nBitsOffset, 1240u);
    EXPECT_EQ(ReadColorTable(b.data(), b.size(), d).size(), 300u);
    EXPECT_EQ(BuildPaletteEntries(b.data(), b.size(), d).size(), 256u);
}

TEST(DibGeometry, RowsArePaddedToWholeWords)
{
    struct Case {
        std::int32_t width;
        std::uint16_t bits;
        std::uint32_t stride;
    } cases[] = {{1, 1, 4}, {32, 1, 4}, {33, 1, 8}, {9, 4, 8}, {3, 8, 4},
                 {5, 8, 8}, {3, 16, 8}, {3, 24, 12}, {5, 24, 16}, {3, 32, 12}};
    for (const Case& c : cases) {
        Info info;
        info.width = c.width;
        info.height = 1;
        info.bits = c.bits;
        info.clrUsed = c.bits <= 8 ? 1 : 0;
        const std::size_t table = c.bits <= 8 ? 4 : 0;
        const DibLayout d = Read(InfoDib(info, table + c.stride));
        EXPECT_TRUE(d.valid()) << c.width << "x" << c.bits;
        EXPECT_EQ(d.nStride, c.stride) << c.width << "x" << c.bits;
        // One byte less is not enough.
        EXPECT_EQ(Read(InfoDib(info, table + c.stride - 1)).fault, DibFault::BitsOutside);
    }
}

TEST(DibGeometry, TopDownAndIgnoredImageSize)
{
    Info info;
    info.bits = 24;
    info.width = 2;
    info.height = -3;
    info.sizeImage = 5;  // a wrong hint changes nothing
    const DibLayout d = Read(InfoDib(info, 8 * 3));
    EXPECT_TRUE(d.valid());
    EXPECT_TRUE(d.IsTopDown());
    EXPECT_EQ(d.nRows, 3u);
    EXPECT_EQ(d.nBitsBytes, 24u);

    info.sizeImage = 1000000;
    EXPECT_TRUE(Read(InfoDib(info, 8 * 3)).valid());
}

TEST(DibGeometry, RleStreamsUseTheirDeclaredSize)
{
    Info info;
    info.compression = DIB_RLE8;
    info.width = 16;
    info.height = 16;
    info.clrUsed = 2;
    info.sizeImage = 10;
    DibLayout d = Read(InfoDib(info, 8 + 10));
    EXPECT_TRUE(d.valid());
    EXPECT_TRUE(d.IsRle());
    EXPECT_EQ(d.nBitsOffset, 48u);
    EXPECT_EQ(d.nBitsBytes, 10u);
    EXPECT_EQ(d.nStride, 0u);

    info.sizeImage = 0;  // what remains
    d = Read(InfoDib(info, 8 + 37));
    EXPECT_TRUE(d.valid());
    EXPECT_EQ(d.nBitsBytes, 37u);

    info.sizeImage = 100;  // more than is there: cut where the record ends
    d = Read(InfoDib(info, 8 + 37));
    EXPECT_EQ(d.fault, DibFault::BitsOutside);
    EXPECT_EQ(d.nBitsBytes, 100u);
    EXPECT_EQ(d.nBitsAvailable, 37u);

    info.sizeImage = 0;
    info.height = -16;  // RLE is bottom-up only
    EXPECT_EQ(Read(InfoDib(info, 8 + 37)).fault, DibFault::BadSize);

    info.height = 16;
    info.compression = DIB_RLE4;  // with 8 bits
    EXPECT_EQ(Read(InfoDib(info, 8 + 37)).fault, DibFault::Unsupported);
    info.bits = 4;
    EXPECT_TRUE(Read(InfoDib(info, 8 + 37)).valid());
}

TEST(DibFaults, TruncatedOrUnknownHeaders)
{
    EXPECT_EQ(ReadDib(nullptr, 100).fault, DibFault::Truncated);
    const Bytes three = {40, 0, 0};
    EXPECT_EQ(Read(three).fault, DibFault::Truncated);

    Info info;
    Bytes b = InfoDib(info, 1024 + 8);
    EXPECT_EQ(ReadDib(b.data(), 39).fault, DibFault::Truncated);
    EXPECT_EQ(ReadDib(b.data(), 39).header.nHeaderSize, 0u);
    EXPECT_EQ(ReadDib(CoreDib(1, 1, 1, 10).data(), 11).fault, DibFault::Truncated);

    // A header that claims more than the record holds.
    info.headerSize = DIB_V5_HEADER;
    b = InfoDib(info, 0);
    EXPECT_EQ(ReadDib(b.data(), 100).fault, DibFault::Truncated);
    Put32(b, 0, 0xFFFFFFFF);
    EXPECT_EQ(Read(b).fault, DibFault::Truncated);

    for (std::uint32_t size : {0u, 4u, 11u, 13u, 16u, 39u}) {
        Put32(b, 0, size);
        EXPECT_EQ(Read(b).fault, DibFault::UnknownHeader) << size;
        EXPECT_TRUE(ReadColorTable(b.data(), b.size(), Read(b)).empty());
    }
}

TEST(DibFaults, TablesPastTheRecord)
{
    Info info;  // 8 bits: 1024 bytes of table
    Bytes b = InfoDib(info, 1000);
    DibLayout d = Read(b);
    EXPECT_EQ(d.fault, DibFault::TableOutside);
    // What is there can still be read, and no more.
    EXPECT_EQ(ReadColorTable(b.data(), b.size(), d).size(), 250u);
    EXPECT_TRUE(BuildPaletteEntries(b.data(), b.size(), d).empty());

    // A count whose table size would wrap 32 bits.
    info.clrUsed = 0x40000001;
    d = Read(InfoDib(info, 8));
    EXPECT_EQ(d.fault, DibFault::TableOutside);
    info.clrUsed = 0xFFFFFFFF;
    EXPECT_EQ(Read(InfoDib(info, 8)).fault, DibFault::TableOutside);
}

TEST(DibFaults, BitsCutShortKeepTheWholeRows)
{
    Info info;
    info.bits = 24;
    info.width = 8;  // 24 bytes a row
    info.height = 4;
    DibLayout d = Read(InfoDib(info, 24 * 4 - 1));
    EXPECT_EQ(d.fault, DibFault::BitsOutside);
    EXPECT_EQ(d.nBitsBytes, 96u);
    EXPECT_EQ(d.nBitsAvailable, 95u);
    EXPECT_EQ(d.nRowsPresent, 3u);
    d = Read(InfoDib(info, 0));
    EXPECT_EQ(d.fault, DibFault::BitsOutside);
    EXPECT_EQ(d.nRowsPresent, 0u);
    EXPECT_EQ(d.nBitsAvailable, 0u);
}

TEST(DibFaults, AbsurdSizes)
{
    const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Case {
        std::int32_t width;
        std::int32_t height;
        std::uint16_t bits;
    } cases[] = {
        {0, 1, 24},
        {-1, 1, 24},
        {1, 0, 24},
        {1, std::numeric_limits<std::int32_t>::min(), 24},
        {kMax, 1, 32},        // one row would need 8 GiB
        {kMax, kMax, 32},     // stride x height wraps 64 bits if multiplied blindly
        {65536, 65536, 32},   // 16 GiB, wraps 32 bits to 0
        {65536, -65536, 8},
    };
    for (const Case& c : cases) {
        Info info;
        info.width = c.width;
        info.height = c.height;
        info.bits = c.bits;
        info.clrUsed = 1;
        EXPECT_EQ(Read(InfoDib(info, 64)).fault, DibFault::BadSize)
            << c.width << "x" << c.height << "x" << c.bits;
    }
}

TEST(DibFaults, FormsGdiDoesNotPaint)
{
    struct Case {
        std::uint16_t bits;
        std::uint32_t compression;
    } cases[] = {{0, 4}, {0, 5}, {24, 4}, {2, DIB_RGB}, {3, DIB_RGB},
                 {64, DIB_RGB}, {24, DIB_BITFIELDS}, {8, DIB_BITFIELDS}, {8, 7}};
    for (const Case& c : cases) {
        Info info;
        info.bits = c.bits;
        info.compression = c.compression;
        EXPECT_EQ(Read(InfoDib(info, 2048)).fault, DibFault::Unsupported)
            << c.bits << "/" << c.compression;
    }
}

// Every cut of a good DIB, copied into a block of exactly that size, so that
// the sanitizers catch any read past it.
TEST(DibFaults, EveryCutStaysInsideTheRecord)
{
    Info info;
    info.bits = 8;
    info.clrUsed = 3;
    info.width = 3;
    info.height = -2;
    const Bytes whole = InfoDib(info, 12 + 8);
    ASSERT_TRUE(Read(whole).valid());
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        const DibLayout d = ReadDib(cut.data(), cut.size());
        EXPECT_FALSE(d.valid()) << n;
        EXPECT_LE(ReadColorTable(cut.data(), cut.size(), d).size(), 3u);
        BuildPaletteEntries(cut.data(), cut.size(), d);
        if (d.fault == DibFault::BitsOutside) {
            EXPECT_LE(d.nBitsOffset + d.nBitsAvailable, n);
        }
    }
}

}  // namespace
