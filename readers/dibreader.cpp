#include "readers/dibreader.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();

// Little-endian reads, byte by byte: clip bytes have no alignment.
std::uint16_t U16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

std::uint32_t ColorsOfBitCount(std::uint16_t nBitCount)
{
    switch (nBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// The bit count and compression pairs that GDI paints from a DIB block.
bool IsPaintable(const DibHeader& h)
{
    if (h.IsCore())
        return h.nBitCount == 1 || h.nBitCount == 4 || h.nBitCount == 8 || h.nBitCount == 24;
    switch (h.nCompression) {
    case DIB_RGB:
        return h.nBitCount == 1 || h.nBitCount == 4 || h.nBitCount == 8 || h.nBitCount == 16 ||
               h.nBitCount == 24 || h.nBitCount == 32;
    case DIB_RLE8: return h.nBitCount == 8;
    case DIB_RLE4: return h.nBitCount == 4;
    case DIB_BITFIELDS: return h.nBitCount == 16 || h.nBitCount == 32;
    default: return false;  // JPEG, PNG and anything unknown
    }
}

}  // namespace

std::uint32_t CountColors(const DibHeader& header)
{
    if (!header.IsCore() && header.nClrUsed != 0)
        return header.nClrUsed;
    return ColorsOfBitCount(header.nBitCount);
}

std::uint64_t ColorTableBytes(const DibHeader& header)
{
    return static_cast<std::uint64_t>(CountColors(header)) * (header.IsCore() ? 3 : 4);
}

DibLayout ReadDib(const std::uint8_t* pData, std::size_t nSize)
{
    DibLayout d;
    if (pData == nullptr)
        nSize = 0;
    // A record never holds 4 GiB; bytes beyond that are simply not looked at.
    const std::uint64_t size = std::min<std::uint64_t>(nSize, kMax32);

    if (size < 4)
        return d;  // Truncated
    DibHeader& h = d.header;
    const std::uint32_t nHeaderSize = U32(pData);
    if (nHeaderSize == DIB_CORE_HEADER) {
        if (size < DIB_CORE_HEADER)
            return d;
        h.nHeaderSize = nHeaderSize;
        h.nWidth = U16(pData + 4);
        h.nHeight = U16(pData + 6);
        h.nPlanes = U16(pData + 8);
        h.nBitCount = U16(pData + 10);
    } else if (nHeaderSize < DIB_INFO_HEADER) {
        d.fault = DibFault::UnknownHeader;
        return d;
    } else {
        // Longer headers (v4, v5) start with the same 40 bytes.
        if (size < nHeaderSize)
            return d;
        h.nHeaderSize = nHeaderSize;
        h.nWidth = I32(pData + 4);
        h.nHeight = I32(pData + 8);
        h.nPlanes = U16(pData + 12);
        h.nBitCount = U16(pData + 14);
        h.nCompression = U32(pData + 16);
        h.nSizeImage = U32(pData + 20);
        h.nClrUsed = U32(pData + 32);
    }

    d.nColors = CountColors(h);
    d.nTableOffset = nHeaderSize;
    if (!h.IsCore() && h.nCompression == DIB_BITFIELDS) {
        // The masks follow a 40-byte header and sit inside one of 52 bytes
        // or more; between the two there is no room for them.
        if (nHeaderSize > DIB_INFO_HEADER && nHeaderSize < DIB_V2_HEADER) {
            d.fault = DibFault::UnknownHeader;
            return d;
        }
        d.masks = {DIB_MASKS_OFFSET, nHeaderSize >= DIB_V3_HEADER ? 16u : DIB_RGB_MASKS_BYTES};
        if (nHeaderSize == DIB_INFO_HEADER) {
            d.nMaskBytes = d.masks.nBytes;
            d.nTableOffset += d.nMaskBytes;
        }
    }
    if (!IsPaintable(h)) {
        d.fault = DibFault::Unsupported;
        return d;
    }
    // INT32_MIN has no positive counterpart; RLE streams are always bottom-up.
    if (h.nWidth <= 0 || h.nHeight == 0 || h.nHeight == std::numeric_limits<std::int32_t>::min() ||
        (d.IsRle() && h.nHeight < 0)) {
        d.fault = DibFault::BadSize;
        return d;
    }

    const std::uint64_t tableEnd = std::uint64_t{d.nTableOffset} + ColorTableBytes(h);
    if (tableEnd > size) {
        d.fault = DibFault::TableOutside;
        return d;
    }
    d.nTableBytes = static_cast<std::uint32_t>(tableEnd - d.nTableOffset);
    d.nBitsOffset = static_cast<std::uint32_t>(tableEnd);
    const std::uint32_t nRemaining = static_cast<std::uint32_t>(size - tableEnd);

    d.nRows = h.nHeight < 0 ? static_cast<std::uint32_t>(-static_cast<std::int64_t>(h.nHeight))
                            : static_cast<std::uint32_t>(h.nHeight);
    // Each row is padded to whole 32-bit words. Width < 2^31 and a bit count
    // of at most 32 keep the stride below 2^34, and rows < 2^31: a product
    // with a stride below 2^33 does not wrap (RLE strides are below 2^32).
    const std::uint64_t stride = (static_cast<std::uint64_t>(h.nWidth) * h.nBitCount + 31) / 32 * 4;
    if (d.IsRle()) {
        if (stride * d.nRows > MAX_RLE_DECODED_BYTES) {
            d.fault = DibFault::BadSize;
            return d;
        }
        d.nBitsBytes = h.nSizeImage != 0 ? h.nSizeImage : nRemaining;
    } else {
        // The declared image size is only a hint and is not trusted.
        if (stride > kMax32 || stride * d.nRows > kMax32) {  // the product only when stride <= 2^32
            d.fault = DibFault::BadSize;
            return d;
        }
        d.nStride = static_cast<std::uint32_t>(stride);
        d.nBitsBytes = static_cast<std::uint32_t>(stride * d.nRows);
        d.nRowsPresent = std::min(d.nRows, nRemaining / d.nStride);
    }
    d.nBitsAvailable = std::min(d.nBitsBytes, nRemaining);
    d.fault = d.nBitsAvailable < d.nBitsBytes ? DibFault::BitsOutside : DibFault::None;
    return d;
}

std::vector<DibColor> ReadColorTable(const std::uint8_t* pData, std::size_t nSize,
                                     const DibLayout& layout)
{
    std::vector<DibColor> colors;
    if (pData == nullptr || layout.header.nHeaderSize == 0)
        return colors;  // the header itself was not readable
    const std::uint64_t entry = layout.header.IsCore() ? 3 : 4;
    const std::uint64_t size = std::min<std::uint64_t>(nSize, kMax32);
    const std::uint64_t start = layout.nTableOffset;
    if (start > size)
        return colors;
    const std::uint64_t n = std::min<std::uint64_t>(layout.nColors, (size - start) / entry);
    colors.reserve(static_cast<std::size_t>(n));
    for (std::uint64_t i = 0; i < n; ++i) {
        const std::uint8_t* q = pData + start + i * entry;
        colors.push_back({q[2], q[1], q[0]});
    }
    return colors;
}

DibColor FixedPaletteEntry(int i)
{
    return {static_cast<std::uint8_t>(32 * (i % 8)), static_cast<std::uint8_t>(32 * ((i / 8) % 8)),
            static_cast<std::uint8_t>(64 * ((i / 64) % 4))};
}

std::vector<DibColor> BuildPaletteEntries(const std::uint8_t* pData, std::size_t nSize,
                                          const DibLayout& layout)
{
    std::vector<DibColor> entries;
    if (layout.header.nHeaderSize != DIB_INFO_HEADER)
        return entries;
    // Only what can be shown gets a palette, and only from a table inside the record.
    if (layout.fault != DibFault::None && layout.fault != DibFault::BitsOutside)
        return entries;
    if (layout.nColors != 0) {
        entries = ReadColorTable(pData, nSize, layout);
        if (entries.size() > MAX_PALETTE_ENTRIES)
            entries.resize(MAX_PALETTE_ENTRIES);
    } else if (layout.header.nBitCount == 24) {
        entries.reserve(FIXED_PALETTE_SIZE);
        for (int i = 0; i < FIXED_PALETTE_SIZE; ++i)
            entries.push_back(FixedPaletteEntry(i));
    }
    return entries;
}

DibPaintPlan PlanDibPaint(const std::uint8_t* pData, std::size_t nSize)
{
    DibPaintPlan p;
    const DibLayout d = ReadDib(pData, nSize);
    // The whole bitmap, or the rows (or the stream) its record holds; an
    // empty stream, which a whole RLE DIB may have, shows nothing either.
    const bool bShown = (d.valid() || d.fault == DibFault::BitsOutside) &&
                        (d.IsRle() ? d.nBitsAvailable > 0 : d.nRowsPresent > 0);
    if (!bShown)
        return p;
    const DibHeader& h = d.header;
    p.nWidth = h.nWidth;
    p.nBitCount = h.nBitCount;
    p.nCompression = h.IsCore() ? DIB_RGB : h.nCompression;

    if (p.nCompression == DIB_BITFIELDS) {
        // GDI takes the red, green and blue masks; an alpha mask is not painted.
        p.masks = {d.masks.nOffset, DIB_RGB_MASKS_BYTES};
        const std::uint8_t* q = pData + p.masks.nOffset;
        p.redMask = U32(q);
        p.greenMask = U32(q + 4);
        p.blueMask = U32(q + 8);
    } else if (h.nBitCount <= 8) {
        // Only the entries a pixel can name; a core table's 3-byte entries
        // are widened by the painter. Paintable bit counts this low always
        // have at least one entry.
        p.nTableEntryBytes = h.IsCore() ? 3 : 4;
        p.nTableEntries = std::min(d.nColors, std::uint32_t{1} << h.nBitCount);
        p.table = {d.nTableOffset, p.nTableEntries * p.nTableEntryBytes};
        for (std::uint32_t i = 0; i < p.nTableEntries; ++i) {
            const std::uint8_t* q = pData + p.table.nOffset + i * p.nTableEntryBytes;
            p.colors[i] = {q[2], q[1], q[0]};
        }
    }
    p.nClrUsed = p.nTableEntries;

    p.nRows = d.nRows;
    if (d.IsRle()) {
        // GDI decodes no further than the image size it is given.
        p.nLines = d.nRows;
        p.nHeight = h.nHeight;  // positive: RLE is bottom-up only
        p.bits = {d.nBitsOffset, d.nBitsAvailable};
    } else {
        // Only the rows inside the record. Bottom-up rows start at the
        // picture's bottom, so a cut bitmap keeps its place in the picture.
        p.nLines = d.nRowsPresent;
        p.bits = {d.nBitsOffset, d.nStride * d.nRowsPresent};
        // nLines <= nRows < 2^31: negating it cannot overflow.
        p.nHeight = d.IsTopDown() ? -static_cast<std::int32_t>(p.nLines) : static_cast<std::int32_t>(p.nLines);
        p.nTopRow = d.IsTopDown() ? 0 : d.nRows - p.nLines;
    }
    p.nSizeImage = p.bits.nBytes;
    p.bPaint = true;
    return p;
}
