// Reads a packed DIB (the bytes of a CF_DIB block: a header, an optional set
// of colour masks, a colour table, then the pixel bits) into the facts the
// painter needs. The bytes come from whatever program filled the clipboard,
// so every offset is checked against the record's size and nothing outside
// the record is ever read. Pure code: no Win32 call.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Compression values of the info header.
constexpr std::uint32_t DIB_RGB = 0;
constexpr std::uint32_t DIB_RLE8 = 1;
constexpr std::uint32_t DIB_RLE4 = 2;
constexpr std::uint32_t DIB_BITFIELDS = 3;

// Header sizes of the published forms.
constexpr std::uint32_t DIB_CORE_HEADER = 12;
constexpr std::uint32_t DIB_INFO_HEADER = 40;
constexpr std::uint32_t DIB_V2_HEADER = 52;  // the info header and its red, green and blue masks
constexpr std::uint32_t DIB_V3_HEADER = 56;  // and an alpha mask
constexpr std::uint32_t DIB_V4_HEADER = 108;
constexpr std::uint32_t DIB_V5_HEADER = 124;

// Where the colour masks of a bit-field DIB are. A 40-byte header is
// followed by the red, green and blue ones. Every longer published header
// extends the one before it and holds them at offset 40, right after the
// 40-byte fields (red, green, blue, then alpha from 56 bytes up), so any
// header of 52 bytes or more is read that way. A header of 41 to 51 bytes
// has no room for them and no published form: a bit-field DIB with one is
// not painted.
constexpr std::uint32_t DIB_MASKS_OFFSET = 40;
constexpr std::uint32_t DIB_RGB_MASKS_BYTES = 12;

// An RLE stream can describe a huge, mostly empty picture in a few bytes,
// and GDI decodes it into a buffer of the whole picture's size on every
// paint. No real clipboard picture needs more than a 16384 x 16384 8-bit
// one does (256 MiB, counted as rows padded to 32-bit words at the stream's
// own bit count); an RLE DIB that would is not painted.
constexpr std::uint64_t MAX_RLE_DECODED_BYTES = std::uint64_t{16384} * 16384;

// The header's fields, the same for both forms. A core header has no
// compression, image size or colours used: those read as 0, and its 16-bit
// width and height are widened.
struct DibHeader {
    std::uint32_t nHeaderSize = 0;  // first field: 12 for a core header, 40 or more otherwise
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;       // negative: the rows are stored top row first
    std::uint16_t nPlanes = 0;
    std::uint16_t nBitCount = 0;
    std::uint32_t nCompression = 0;
    std::uint32_t nSizeImage = 0;
    std::uint32_t nClrUsed = 0;

    bool IsCore() const { return nHeaderSize == DIB_CORE_HEADER; }
};

// Number of colour table entries: a core header's count comes from its bit
// count; an info header's nonzero colours-used wins, whatever the bit count;
// otherwise 1, 4 and 8 bits give 2, 16 and 256 and every other bit count 0.
// Unlike a 16-bit count, the whole 32-bit field is kept, so that a table
// declared larger than any record is seen as such rather than wrapping round.
std::uint32_t CountColors(const DibHeader& header);

// Size of the colour table in bytes: 3-byte entries after a core header,
// 4-byte entries otherwise. 64-bit, since the count can be anything.
std::uint64_t ColorTableBytes(const DibHeader& header);

// Why a DIB cannot be painted whole.
enum class DibFault {
    None,
    Truncated,      // fewer bytes than the header's size field, or than its own size says
    UnknownHeader,  // a header size that is neither 12 nor 40 or more, or a bit-field
                    // header of 41 to 51 bytes (no known place for its masks)
    Unsupported,    // a bit count or compression that GDI does not paint from a DIB block
    BadSize,        // zero or negative width, zero height, a height of INT32_MIN, a
                    // bottom-up-only form stored top-down, bits that would need 4 GiB
                    // or more, or an RLE picture past MAX_RLE_DECODED_BYTES
    TableOutside,   // the colour masks or the colour table go past the record
    BitsOutside,    // the pixel bits go past the record
};

// A span of the record: nBytes bytes from nOffset.
struct DibRange {
    std::uint32_t nOffset = 0;
    std::uint32_t nBytes = 0;

    std::uint64_t End() const { return std::uint64_t{nOffset} + nBytes; }
};

// Everything known about one packed DIB. The reader fills in as much as the
// bytes allowed before it met a fault: the header when the header was whole,
// the offsets when the table was inside the record, and so on.
//
// What the painter shows (PlanDibPaint below): a DIB that is valid() is
// painted whole, unless it is an RLE one whose stream has no bytes. One
// whose fault is BitsOutside can be shown as far as its bytes allow:
// nRowsPresent whole rows of an uncompressed or bit-field bitmap (the first
// rows stored: the bottom ones when bottom-up), or the RLE stream cut at
// nBitsAvailable. Any other fault shows nothing.
struct DibLayout {
    DibFault fault = DibFault::Truncated;
    DibHeader header;

    // Where a bit-field DIB's masks are: from DIB_MASKS_OFFSET, 12 bytes
    // after a 40-byte header or inside a 52-byte one, 16 (alpha included)
    // inside headers of 56 bytes and up. Empty for other compressions.
    DibRange masks;
    std::uint32_t nMaskBytes = 0;    // of those, the bytes that follow the header (12 after a
                                     // 40-byte one, 0 when the header holds them)
    std::uint32_t nColors = 0;       // CountColors
    std::uint32_t nTableOffset = 0;  // where the colour table starts, after the header (and
                                     // the masks that follow a 40-byte one)
    std::uint32_t nTableBytes = 0;   // ColorTableBytes
    std::uint32_t nBitsOffset = 0;   // where the pixel bits start, right after the table
    std::uint32_t nStride = 0;       // bytes per row, rounded up to 4; 0 for RLE
    std::uint32_t nRows = 0;         // |height|
    std::uint32_t nBitsBytes = 0;    // bytes the bits need: stride x rows, or for RLE the
                                     // declared image size (what remains when that is 0)
    std::uint32_t nBitsAvailable = 0;  // of those, how many the record holds
    std::uint32_t nRowsPresent = 0;    // whole rows inside the record; 0 for RLE

    // Header, masks, table and bits are all inside the record.
    bool valid() const { return fault == DibFault::None; }
    bool IsTopDown() const { return header.nHeight < 0; }
    bool IsRle() const
    {
        return !header.IsCore() &&
               (header.nCompression == DIB_RLE8 || header.nCompression == DIB_RLE4);
    }
};

// Reads nSize bytes at pData (null with any size reads as an empty record).
DibLayout ReadDib(const std::uint8_t* pData, std::size_t nSize);

struct DibColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const DibColor&, const DibColor&) = default;
};

// The colour table's entries as red, green, blue (they are stored blue, green,
// red and, for 4-byte entries, a reserved byte). Only entries inside the
// record are given; nothing when the header could not be read.
std::vector<DibColor> ReadColorTable(const std::uint8_t* pData, std::size_t nSize,
                                     const DibLayout& layout);

// Number of entries of the fixed palette given to 24-bit bitmaps without a
// colour table, and its entry i: 8 levels of red stepping fastest, 8 of green,
// 4 of blue.
constexpr int FIXED_PALETTE_SIZE = 256;
DibColor FixedPaletteEntry(int i);

// A logical palette never holds more entries than a display can realise.
constexpr std::uint32_t MAX_PALETTE_ENTRIES = 256;

// The entries of the logical palette for a DIB, or none: only a 40-byte header
// gets one (core and longer headers paint with the context's palette); its
// colour table when it has one (at most MAX_PALETTE_ENTRIES), the fixed palette
// for 24 bits without a table, none otherwise. Nothing for a DIB whose table is
// not inside the record.
std::vector<DibColor> BuildPaletteEntries(const std::uint8_t* pData, std::size_t nSize,
                                          const DibLayout& layout);

// What the painter hands GDI for one packed DIB: a 40-byte header of its
// own, the masks or colour table after it, and which bits, as how many
// scan lines. Every range lies inside the record; they are all the painter
// reads of it (GDI reads the bits range, and no further).
struct DibPaintPlan {
    bool bPaint = false;  // false: nothing of the bitmap can be shown

    // The header's fields.
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;  // of the lines handed: negative when stored top row first
    std::uint16_t nBitCount = 0;
    std::uint32_t nCompression = DIB_RGB;  // a core header's bits are plain ones
    std::uint32_t nSizeImage = 0;          // bits.nBytes
    std::uint32_t nClrUsed = 0;            // nTableEntries

    // Bit fields: the red, green and blue masks, read from the masks range.
    DibRange masks;
    std::uint32_t redMask = 0, greenMask = 0, blueMask = 0;

    // 8 bits or fewer: the table's entries a pixel can name (its first
    // 2^bit count at most), read from the table range.
    DibRange table;
    std::uint32_t nTableEntries = 0;
    std::uint32_t nTableEntryBytes = 0;  // 3 after a core header, 4 otherwise
    std::array<DibColor, 256> colors{};

    // The pixel bits: whole rows of an uncompressed or bit-field bitmap, the
    // stream as far as the record holds it for RLE.
    DibRange bits;
    std::uint32_t nLines = 0;   // scan lines handed to GDI
    std::uint32_t nRows = 0;    // rows of the whole picture
    std::uint32_t nTopRow = 0;  // the picture's row, from the top, where the lines handed start
};

// Plans the painting of nSize bytes at pData (see DibLayout for what can be
// shown of a DIB that is not whole).
DibPaintPlan PlanDibPaint(const std::uint8_t* pData, std::size_t nSize);
