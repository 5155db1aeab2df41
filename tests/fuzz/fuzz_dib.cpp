// Fuzz target: a packed DIB as another program might put it on the clipboard.
// Besides the sanitizers' own checks, every range the reader reports is read
// here the way the painter will read it, so a range that strays outside the
// record is caught as an overflow.
#include "dialogs/dibreader.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const DibLayout d = ReadDib(pData, nSize);
    if (d.valid() || d.fault == DibFault::BitsOutside) {
        if (std::uint64_t{d.nTableOffset} + d.nTableBytes > nSize ||
            std::uint64_t{d.nBitsOffset} + d.nBitsAvailable > nSize ||
            std::uint64_t{d.nRowsPresent} * d.nStride > d.nBitsAvailable)
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
    return 0;
}
