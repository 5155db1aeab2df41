// Fuzz target: a packed DIB as another program might put it on the clipboard.
// Besides the sanitizers' own checks, every range the reader reports is read
// here the way the painter will read it, and so is every range of the paint
// plan (masks, colour table, bits: all the painter and GDI read), so a range
// that strays outside the record is caught as an overflow.
#include "readers/dibreader.h"

#include <cstdlib>

namespace {

volatile std::uint8_t g_sink;

void Touch(const std::uint8_t* p, std::size_t n)
{
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < n; ++i)
        x ^= p[i];
    g_sink = x;
}

void Check(bool b)
{
    if (!b)
        std::abort();
}

std::uint32_t U32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void CheckPlan(const std::uint8_t* pData, std::size_t nSize)
{
    const DibPaintPlan p = PlanDibPaint(pData, nSize);
    if (!p.bPaint)
        return;
    for (const DibRange& r : {p.masks, p.table, p.bits}) {
        Check(r.End() <= nSize);
        Touch(pData + r.nOffset, r.nBytes);
    }

    // What the painter hands GDI is what those ranges hold.
    if (p.nCompression == DIB_BITFIELDS) {
        Check(p.masks.nBytes == DIB_RGB_MASKS_BYTES);
        const std::uint8_t* q = pData + p.masks.nOffset;
        Check(p.redMask == U32(q) && p.greenMask == U32(q + 4) && p.blueMask == U32(q + 8));
    } else {
        Check(p.masks.nBytes == 0);
    }
    Check(p.nTableEntries <= (p.nBitCount <= 8 ? 1u << p.nBitCount : 0u));
    Check(p.nClrUsed == p.nTableEntries);
    Check(p.table.nBytes == p.nTableEntries * p.nTableEntryBytes);
    for (std::uint32_t i = 0; i < p.nTableEntries; ++i) {
        const std::uint8_t* q = pData + p.table.nOffset + i * p.nTableEntryBytes;
        Check(p.colors[i] == (DibColor{q[2], q[1], q[0]}));
    }

    // Scan lines: at least one, and never more than the picture has.
    Check(p.nWidth > 0 && p.nLines > 0);
    Check(p.nLines <= p.nRows && p.nRows <= 0x7FFFFFFFu);
    Check(std::uint64_t{p.nTopRow} + p.nLines <= p.nRows);
    Check(p.nSizeImage == p.bits.nBytes && p.bits.nBytes > 0);
    const std::uint64_t stride = (static_cast<std::uint64_t>(p.nWidth) * p.nBitCount + 31) / 32 * 4;
    if (p.nCompression == DIB_RLE8 || p.nCompression == DIB_RLE4) {
        // A stream decodes into the whole picture, within the ceiling.
        Check(p.nHeight > 0 && static_cast<std::uint32_t>(p.nHeight) == p.nLines && p.nLines == p.nRows);
        Check(stride * p.nRows <= MAX_RLE_DECODED_BYTES);
    } else {
        // GDI reads nLines whole rows: exactly the bits range.
        Check(stride * p.nLines == p.bits.nBytes);
        Check(p.nHeight == static_cast<std::int32_t>(p.nLines) || p.nHeight == -static_cast<std::int32_t>(p.nLines));
        Check(p.nHeight < 0 ? p.nTopRow == 0 : p.nTopRow + p.nLines == p.nRows);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const DibLayout d = ReadDib(pData, nSize);
    if (d.valid() || d.fault == DibFault::BitsOutside) {
        if (std::uint64_t{d.nTableOffset} + d.nTableBytes > nSize ||
            std::uint64_t{d.nBitsOffset} + d.nBitsAvailable > nSize ||
            std::uint64_t{d.nRowsPresent} * d.nStride > d.nBitsAvailable || d.masks.End() > nSize)
            std::abort();
        if (d.valid() && d.nBitsAvailable != d.nBitsBytes)
            std::abort();
        Touch(pData, d.nBitsOffset);
        Touch(pData + d.nBitsOffset, d.nBitsAvailable);
    }
    const std::vector<DibColor> table = ReadColorTable(pData, nSize, d);
    if (table.size() > d.nColors)
        std::abort();
    const std::vector<DibColor> palette = BuildPaletteEntries(pData, nSize, d);
    if (palette.size() > MAX_PALETTE_ENTRIES)
        std::abort();
    CheckPlan(pData, nSize);
    return 0;
}
