#include "dialogs/dibpainter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "dialogs/dibreader.h"

namespace {

// Our own header and table for GDI, never longer than what we fill.
struct PaintInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// What can be shown of a bitmap: the whole of it, or the rows its record holds.
bool IsPaintable(const DibLayout& d)
{
    if (d.valid())
        return true;
    return d.fault == DibFault::BitsOutside && (d.IsRle() ? d.nBitsAvailable > 0 : d.nRowsPresent > 0);
}

}  // namespace

CDibPainter::~CDibPainter()
{
    if (m_hPalette != nullptr)
        ::DeleteObject(m_hPalette);
}

WORD CDibPainter::CountColors(const BYTE* pDib, DWORD dwSize)
{
    return static_cast<WORD>(ReadDib(pDib, dwSize).nColors);
}

DWORD CDibPainter::ColorTableBytes(const BYTE* pDib, DWORD dwSize)
{
    const DibLayout d = ReadDib(pDib, dwSize);
    const std::uint64_t n = ::ColorTableBytes(d.header);
    return static_cast<DWORD>(std::min<std::uint64_t>(n, 0xFFFFFFFFu));
}

HPALETTE CDibPainter::BuildPalette(const BYTE* pDib, DWORD dwSize)
{
    if (pDib == nullptr)
        return nullptr;
    const DibLayout d = ReadDib(pDib, dwSize);
    const std::vector<DibColor> entries = BuildPaletteEntries(pDib, dwSize, d);
    if (entries.empty())
        return nullptr;
    std::vector<BYTE> block(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY), 0);
    auto* pLog = reinterpret_cast<LOGPALETTE*>(block.data());
    pLog->palVersion = 0x300;
    pLog->palNumEntries = static_cast<WORD>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        pLog->palPalEntry[i] = {entries[i].red, entries[i].green, entries[i].blue, 0};
    return ::CreatePalette(pLog);
}

void CDibPainter::PreparePalette()
{
    if (m_pDib != nullptr)
        m_hPalette = BuildPalette(m_pDib, m_dwSize);
}

BOOL CDibPainter::GetHeader(BITMAPINFOHEADER& header) const
{
    if (m_pDib == nullptr)
        return FALSE;
    const DibLayout d = ReadDib(m_pDib, m_dwSize);
    if (d.header.nHeaderSize == 0)
        return FALSE;
    header = {};
    header.biSize = sizeof header;
    header.biWidth = d.header.nWidth;
    header.biHeight = d.header.nHeight;
    header.biPlanes = d.header.nPlanes;
    header.biBitCount = d.header.nBitCount;
    header.biCompression = d.header.nCompression;
    header.biSizeImage = d.IsRle() && d.header.nSizeImage != 0 ? d.header.nSizeImage : d.nBitsBytes;
    header.biClrUsed = d.nColors;
    return TRUE;
}

BOOL CDibPainter::DrawBits(CDC* pDC, int x, int y, int cx, int cy) const
{
    if (m_pDib == nullptr)
        return FALSE;
    const DibLayout d = ReadDib(m_pDib, m_dwSize);
    if (!IsPaintable(d))
        return FALSE;

    PaintInfo info{};
    BITMAPINFOHEADER& h = info.header;
    h.biSize = sizeof h;
    h.biWidth = d.header.nWidth;
    h.biPlanes = 1;
    h.biBitCount = d.header.nBitCount;
    h.biCompression = d.header.IsCore() ? BI_RGB : d.header.nCompression;

    if (h.biCompression == BI_BITFIELDS) {
        // The masks follow a 40-byte header and sit inside a longer one.
        std::memcpy(info.colors, m_pDib + DIB_INFO_HEADER, 12);
    } else if (h.biBitCount <= 8) {
        // Only the entries a pixel can name; a core table's 3-byte entries widen.
        const std::vector<DibColor> table = ReadColorTable(m_pDib, m_dwSize, d);
        const std::size_t n = std::min<std::size_t>(table.size(), std::size_t{1} << h.biBitCount);
        for (std::size_t i = 0; i < n; ++i)
            info.colors[i] = {table[i].blue, table[i].green, table[i].red, 0};
        h.biClrUsed = static_cast<DWORD>(n);
        if (n == 0)
            return FALSE;  // a table the pixels cannot do without
    }

    const BYTE* pBits = m_pDib + d.nBitsOffset;
    const int nRows = static_cast<int>(d.nRows);
    int nLines = nRows;
    int yDest = y;
    if (d.IsRle()) {
        // GDI decodes no further than the image size it is given.
        h.biSizeImage = d.nBitsAvailable;
        h.biHeight = d.header.nHeight;
    } else {
        // Only the rows inside the record. Bottom-up rows start at the
        // picture's bottom, so a cut bitmap keeps its place in the picture.
        nLines = static_cast<int>(d.nRowsPresent);
        h.biSizeImage = d.nStride * d.nRowsPresent;
        h.biHeight = d.IsTopDown() ? -nLines : nLines;
        if (!d.IsTopDown())
            yDest = y + (nRows - nLines);
    }
    const int nHeight = std::min(cy - (yDest - y), nLines);
    const int nWidth = std::min(cx, static_cast<int>(d.header.nWidth));
    if (nWidth <= 0 || nHeight <= 0)
        return TRUE;
    // The source is counted from the bitmap's lower left: take the top
    // nHeight of the nLines rows.
    ::SetDIBitsToDevice(pDC->GetSafeHdc(), x, yDest, static_cast<DWORD>(nWidth), static_cast<DWORD>(nHeight), 0,
                        nLines - nHeight, 0, static_cast<UINT>(nLines), pBits,
                        reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
    return TRUE;
}

void CDibPainter::Draw(CDC* pDC, int x, int y) const
{
    const HDC hDC = pDC->GetSafeHdc();
    ::SetWindowOrgEx(hDC, x, y, nullptr);
    ::SetBkMode(hDC, TRANSPARENT);
    HPALETTE hOldPalette = nullptr;
    if (m_hPalette != nullptr) {
        hOldPalette = ::SelectPalette(hDC, m_hPalette, FALSE);
        ::RealizePalette(hDC);
    }
    // Painted at its real size, the right way up, whichever way it is stored.
    BITMAPINFOHEADER header;
    if (GetHeader(header)) {
        const int cy = header.biHeight < 0 ? -header.biHeight : header.biHeight;
        DrawBits(pDC, 0, 0, header.biWidth, cy);
    }
    if (hOldPalette != nullptr)
        ::SelectPalette(hDC, hOldPalette, FALSE);
}
