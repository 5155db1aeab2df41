#include "readers/dibreader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

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

// A record copied so that its last byte is the last readable one: the page
// after it cannot be touched, so a read past the record faults at once.
class GuardedRecord {
public:
    explicit GuardedRecord(const Bytes& bytes)
    {
#ifdef _WIN32
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        m_nPage = si.dwPageSize;
#else
        m_nPage = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
#endif
        const std::size_t nData = (bytes.size() + m_nPage - 1) / m_nPage * m_nPage;
        m_nTotal = nData + m_nPage;
#ifdef _WIN32
        m_pBase = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, m_nTotal, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD dwOld = 0;
        VirtualProtect(m_pBase + nData, m_nPage, PAGE_NOACCESS, &dwOld);
#else
        m_pBase = static_cast<std::uint8_t*>(
            mmap(nullptr, m_nTotal, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(m_pBase + nData, m_nPage, PROT_NONE);
#endif
        m_pData = m_pBase + nData - bytes.size();
        if (!bytes.empty())
            std::memcpy(m_pData, bytes.data(), bytes.size());
        m_nSize = bytes.size();
    }
    ~GuardedRecord()
    {
#ifdef _WIN32
        VirtualFree(m_pBase, 0, MEM_RELEASE);
#else
        munmap(m_pBase, m_nTotal);
#endif
    }
    GuardedRecord(const GuardedRecord&) = delete;
    GuardedRecord& operator=(const GuardedRecord&) = delete;
    const std::uint8_t* Data() const { return m_pData; }
    std::size_t Size() const { return m_nSize; }

private:
    std::size_t m_nPage = 0, m_nTotal = 0, m_nSize = 0;
    std::uint8_t* m_pBase = nullptr;
    std::uint8_t* m_pData = nullptr;
};

volatile std::uint8_t g_sink;

// Reads every byte of a range the plan names, as the painter and GDI will.
void Touch(const std::uint8_t* pData, const DibRange& r)
{
    std::uint8_t x = 0;
    for (std::uint32_t i = 0; i < r.nBytes; ++i)
        x ^= pData[r.nOffset + i];
    g_sink = x;
}

// Plans the painting of a record and reads all it names, checking that each
// range lies inside the record.
DibPaintPlan PlanAndTouch(const std::uint8_t* pData, std::size_t nSize)
{
    const DibPaintPlan p = PlanDibPaint(pData, nSize);
    if (p.bPaint) {
        for (const DibRange& r : {p.masks, p.table, p.bits}) {
            EXPECT_LE(r.End(), nSize);
            Touch(pData, r);
        }
    }
    return p;
}

// A 16-bit bit-field DIB, 2 x 1, with a header of any size; the masks are
// written at offset 40 (as far as the header has room for them when it is
// not the 40-byte one, which they follow).
Bytes BitFieldDib(std::uint32_t nHeaderSize, std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    Info info;
    info.headerSize = nHeaderSize;
    info.bits = 16;
    info.compression = DIB_BITFIELDS;
    info.width = 2;
    info.height = 1;
    const std::size_t nMasks = nHeaderSize == DIB_INFO_HEADER ? 12 : 0;
    Bytes b = InfoDib(info, nMasks + 4);
    Bytes masks(12);
    Put32(masks, 0, red);
    Put32(masks, 4, green);
    Put32(masks, 8, blue);
    std::memcpy(&b[40], masks.data(), std::min<std::size_t>(12, nHeaderSize + nMasks - 40));
    if (nHeaderSize >= DIB_V3_HEADER)
        Put32(b, 52, 0xFF000000);
    return b;
}

TEST(DibMasks, WhereTheMasksAreForEachHeaderSize)
{
    struct Case {
        std::uint32_t headerSize;
        std::uint32_t maskBytes;        // from offset 40, alpha included
        std::uint32_t maskBytesAfter;   // of those, after the header
    } cases[] = {
        {40, 12, 12}, {52, 12, 0}, {56, 16, 0}, {64, 16, 0}, {100, 16, 0}, {108, 16, 0}, {124, 16, 0}, {200, 16, 0},
    };
    for (const Case& c : cases) {
        const Bytes b = BitFieldDib(c.headerSize, 0xF800, 0x07E0, 0x001F);
        const DibLayout d = Read(b);
        EXPECT_TRUE(d.valid()) << c.headerSize;
        EXPECT_EQ(d.masks.nOffset, 40u) << c.headerSize;
        EXPECT_EQ(d.masks.nBytes, c.maskBytes) << c.headerSize;
        EXPECT_EQ(d.nMaskBytes, c.maskBytesAfter) << c.headerSize;
        EXPECT_EQ(d.nTableOffset, c.headerSize + c.maskBytesAfter) << c.headerSize;
        EXPECT_EQ(d.nBitsOffset, c.headerSize + c.maskBytesAfter) << c.headerSize;
        // The painter is handed the red, green and blue masks from there.
        const DibPaintPlan p = PlanDibPaint(b.data(), b.size());
        ASSERT_TRUE(p.bPaint) << c.headerSize;
        EXPECT_EQ(p.masks.nOffset, 40u);
        EXPECT_EQ(p.masks.nBytes, 12u);
        EXPECT_EQ(p.redMask, 0xF800u) << c.headerSize;
        EXPECT_EQ(p.greenMask, 0x07E0u) << c.headerSize;
        EXPECT_EQ(p.blueMask, 0x001Fu) << c.headerSize;
        EXPECT_EQ(p.nCompression, DIB_BITFIELDS);
        EXPECT_EQ(p.nTableEntries, 0u);
    }

    // Between 40 and 52 bytes a bit-field header has no room for its masks
    // and no published form: it is not painted.
    for (std::uint32_t size = 41; size < 52; ++size) {
        const Bytes b = BitFieldDib(size, 0xF800, 0x07E0, 0x001F);
        const DibLayout d = Read(b);
        EXPECT_EQ(d.fault, DibFault::UnknownHeader) << size;
        EXPECT_EQ(d.masks.nBytes, 0u) << size;
        EXPECT_FALSE(PlanDibPaint(b.data(), b.size()).bPaint) << size;
    }
    // Other compressions with such a header keep their table after it.
    Info info;
    info.headerSize = 44;
    info.bits = 24;
    info.width = 1;
    info.height = 1;
    const DibLayout d = Read(InfoDib(info, 4));
    EXPECT_TRUE(d.valid());
    EXPECT_EQ(d.masks.nBytes, 0u);
    EXPECT_EQ(d.nBitsOffset, 44u);
}

TEST(DibMasks, GuardedRecordsAreReadNoFurtherThanTheirEnd)
{
    for (std::uint32_t size : {40u, 41u, 44u, 48u, 51u, 52u, 56u, 108u}) {
        const GuardedRecord r(BitFieldDib(size, 0x7C00, 0x03E0, 0x001F));
        const DibPaintPlan p = PlanAndTouch(r.Data(), r.Size());
        EXPECT_EQ(p.bPaint, size == 40 || size >= 52) << size;
        if (p.bPaint) {
            EXPECT_EQ(p.redMask, 0x7C00u) << size;
            EXPECT_EQ(p.bits.End(), r.Size()) << size;
        }
    }
    // Masks after a 40-byte header that the record cuts.
    Bytes b = BitFieldDib(40, 0x7C00, 0x03E0, 0x001F);
    for (std::size_t n : {40, 44, 51, 52}) {
        const GuardedRecord r(Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)));
        EXPECT_FALSE(PlanAndTouch(r.Data(), r.Size()).bPaint) << n;
    }
}

TEST(DibGeometry, RlePicturesHaveADecodedSizeCeiling)
{
    struct Case {
        std::int32_t width;
        std::int32_t height;
        std::uint16_t bits;
        bool bAccepted;
    } cases[] = {
        {16384, 16384, 8, true},  {16385, 16384, 8, false}, {16384, 16385, 8, false},
        {32768, 16384, 4, true},  {32769, 16384, 4, false}, {65535, 65535, 8, false},
        {1, 0x7FFFFFFF, 8, false}, {0x7FFFFFFF, 1, 4, false}, {4000, 4000, 8, true},
    };
    for (const Case& c : cases) {
        Info info;
        info.compression = c.bits == 8 ? DIB_RLE8 : DIB_RLE4;
        info.bits = c.bits;
        info.width = c.width;
        info.height = c.height;
        info.clrUsed = 2;
        info.sizeImage = 4;
        const Bytes b = InfoDib(info, 8 + 4);
        const DibLayout d = Read(b);
        const std::string name = std::to_string(c.width) + "x" + std::to_string(c.height) + "x" + std::to_string(c.bits);
        EXPECT_EQ(d.valid(), c.bAccepted) << name;
        if (!c.bAccepted) {
            EXPECT_EQ(d.fault, DibFault::BadSize) << name;
        }
        EXPECT_EQ(PlanDibPaint(b.data(), b.size()).bPaint, c.bAccepted) << name;
    }
    // Uncompressed bits have no such ceiling: they must be in the record,
    // and only the rows it holds are painted.
    Info info;
    info.width = 65535;
    info.height = 65535;
    info.clrUsed = 1;
    const Bytes b = InfoDib(info, 4 + 65536 * 2);
    const DibPaintPlan p = PlanDibPaint(b.data(), b.size());
    EXPECT_TRUE(p.bPaint);
    EXPECT_EQ(p.nLines, 2u);
    EXPECT_EQ(p.nTopRow, 65533u);
}

TEST(DibPlan, AHeightOfIntMinIsRefusedEverywhere)
{
    const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    struct Case {
        std::uint16_t bits;
        std::uint32_t compression;
        std::uint32_t headerSize;
    } cases[] = {{24, DIB_RGB, 40},       {1, DIB_RGB, 40},        {8, DIB_RLE8, 40}, {4, DIB_RLE4, 40},
                 {32, DIB_BITFIELDS, 40}, {16, DIB_BITFIELDS, 56}, {32, DIB_RGB, 124}};
    for (const Case& c : cases) {
        Info info;
        info.bits = c.bits;
        info.compression = c.compression;
        info.headerSize = c.headerSize;
        info.height = kMin;
        const Bytes b = InfoDib(info, 2048);
        const DibLayout d = Read(b);
        EXPECT_EQ(d.fault, DibFault::BadSize) << c.bits << "/" << c.compression;
        EXPECT_EQ(d.header.nHeight, kMin);
        EXPECT_TRUE(d.IsTopDown());
        EXPECT_EQ(d.nRows, 0u);
        EXPECT_FALSE(PlanDibPaint(b.data(), b.size()).bPaint);
    }
    // One more than INT32_MIN has a row count (whose bits are too many).
    Info info;
    info.bits = 1;
    info.width = 1;
    info.height = kMin + 1;
    Bytes b = InfoDib(info, 8 + 4 * 3);
    const DibLayout d = Read(b);
    EXPECT_EQ(d.fault, DibFault::BadSize);
    EXPECT_EQ(d.nRows, 0x7FFFFFFFu);
    // A tall top-down bitmap cut after three rows: those three, at the top.
    info.height = -(1 << 28);
    b = InfoDib(info, 8 + 4 * 3);
    const DibPaintPlan p = PlanDibPaint(b.data(), b.size());
    EXPECT_TRUE(p.bPaint);
    EXPECT_EQ(p.nRows, 1u << 28);
    EXPECT_EQ(p.nLines, 3u);
    EXPECT_EQ(p.nHeight, -3);
    EXPECT_EQ(p.nTopRow, 0u);
}

TEST(DibPlan, OnlyTheMasksOrTheEntriesAPixelCanNameAreHanded)
{
    // A 1-bit bitmap that declares five colours: the two a pixel can name.
    Info info;
    info.width = 5;
    info.height = 3;
    info.bits = 1;
    info.clrUsed = 5;
    Bytes b = InfoDib(info, 20 + 4 * 3);
    b[40] = 10;
    b[41] = 20;
    b[42] = 30;
    DibPaintPlan p = PlanDibPaint(b.data(), b.size());
    ASSERT_TRUE(p.bPaint);
    EXPECT_EQ(p.nTableEntries, 2u);
    EXPECT_EQ(p.nClrUsed, 2u);
    EXPECT_EQ(p.table.nOffset, 40u);
    EXPECT_EQ(p.table.nBytes, 8u);
    EXPECT_EQ(p.colors[0], (DibColor{30, 20, 10}));
    EXPECT_EQ(p.bits.nOffset, 60u);

    // A core header: 3-byte entries.
    b = CoreDib(2, 2, 8, 768 + 4 * 2);
    b[12] = 1;
    b[13] = 2;
    b[14] = 3;
    p = PlanDibPaint(b.data(), b.size());
    ASSERT_TRUE(p.bPaint);
    EXPECT_EQ(p.nTableEntryBytes, 3u);
    EXPECT_EQ(p.table.nBytes, 768u);
    EXPECT_EQ(p.colors[0], (DibColor{3, 2, 1}));
    EXPECT_EQ(p.bits.nOffset, 780u);

    // 24 bits with a table: the table is skipped, not handed.
    info.bits = 24;
    info.clrUsed = 16;
    info.height = 1;
    b = InfoDib(info, 64 + 16);
    p = PlanDibPaint(b.data(), b.size());
    EXPECT_EQ(p.nTableEntries, 0u);
    EXPECT_EQ(p.table.nBytes, 0u);
    EXPECT_EQ(p.bits.nOffset, 104u);

    // Bit fields and a table after the masks: the masks only.
    info.bits = 32;
    info.compression = DIB_BITFIELDS;
    info.clrUsed = 2;
    b = InfoDib(info, 12 + 8 + 20);
    Put32(b, 40, 0xFF);
    p = PlanDibPaint(b.data(), b.size());
    EXPECT_EQ(p.redMask, 0xFFu);
    EXPECT_EQ(p.nTableEntries, 0u);
    EXPECT_EQ(p.bits.nOffset, 60u);
}

TEST(DibPlan, AnRleStreamOfNoBytesIsNotHanded)
{
    // Whole as the reader sees it (no image size: the stream is what
    // remains, here nothing), yet there is nothing to decode.
    Info info;
    info.compression = DIB_RLE8;
    info.width = 4;
    info.height = 2;
    info.clrUsed = 2;
    const Bytes b = InfoDib(info, 8);
    EXPECT_TRUE(Read(b).valid());
    EXPECT_FALSE(PlanDibPaint(b.data(), b.size()).bPaint);
    info.sizeImage = 6;
    EXPECT_FALSE(PlanDibPaint(InfoDib(info, 8).data(), 48).bPaint);
}

// Every cut of DIBs of each form, each in a block of exactly that size:
// whatever the plan names is read, and must be inside the block.
TEST(DibPlan, EveryCutOfEveryFormStaysInsideTheRecord)
{
    std::vector<Bytes> dibs = {BitFieldDib(40, 0xF800, 0x7E0, 0x1F), BitFieldDib(52, 0xF800, 0x7E0, 0x1F),
                               BitFieldDib(56, 0xF800, 0x7E0, 0x1F), BitFieldDib(108, 0xF800, 0x7E0, 0x1F),
                               CoreDib(3, 2, 8, 768 + 8), CoreDib(3, 2, 24, 24)};
    Info info;
    info.width = 3;
    info.height = -2;
    info.clrUsed = 3;
    dibs.push_back(InfoDib(info, 12 + 8));
    info.compression = DIB_RLE8;
    info.height = 2;
    dibs.push_back(InfoDib(info, 12 + 6));
    info.compression = DIB_RLE4;
    info.bits = 4;
    dibs.push_back(InfoDib(info, 12 + 6));
    for (std::size_t k = 0; k < dibs.size(); ++k) {
        const Bytes& whole = dibs[k];
        ASSERT_TRUE(Read(whole).valid()) << k;
        EXPECT_TRUE(PlanAndTouch(whole.data(), whole.size()).bPaint) << k;
        for (std::size_t n = 0; n < whole.size(); ++n) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            PlanAndTouch(cut.data(), cut.size());
        }
    }
}

}  // namespace
