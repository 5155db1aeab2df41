#include "dialogs/dibpainter.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "readers/dibreader.h"

namespace {

// Our own header and table for GDI, never longer than what we fill.
struct PaintInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

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
    const DibPaintPlan plan = PlanDibPaint(m_pDib, m_dwSize);
    if (!plan.bPaint)
        return FALSE;

    PaintInfo info{};
    BITMAPINFOHEADER& h = info.header;
    h.biSize = sizeof h;
    h.biWidth = plan.nWidth;
    h.biHeight = plan.nHeight;
    h.biPlanes = 1;
    h.biBitCount = plan.nBitCount;
    h.biCompression = plan.nCompression;
    h.biSizeImage = plan.nSizeImage;
    h.biClrUsed = plan.nClrUsed;
    if (plan.nCompression == BI_BITFIELDS) {
        const DWORD masks[3] = {plan.redMask, plan.greenMask, plan.blueMask};
        std::memcpy(info.colors, masks, sizeof masks);
    }
    for (std::uint32_t i = 0; i < plan.nTableEntries; ++i)
        info.colors[i] = {plan.colors[i].blue, plan.colors[i].green, plan.colors[i].red, 0};

    // In 64 bits: the caller's sizes can be anything an int holds.
    const std::int64_t yDest = std::int64_t{y} + plan.nTopRow;
    const std::int64_t nHeight = std::min<std::int64_t>(std::int64_t{cy} - plan.nTopRow, plan.nLines);
    const std::int64_t nWidth = std::min<std::int64_t>(cx, plan.nWidth);
    if (nWidth <= 0 || nHeight <= 0 || yDest > INT_MAX)
        return TRUE;
    // The source is counted from the bitmap's lower left: take the top
    // nHeight of the lines handed.
    const UINT nLines = plan.nLines;
    ::SetDIBitsToDevice(pDC->GetSafeHdc(), x, static_cast<int>(yDest), static_cast<DWORD>(nWidth),
                        static_cast<DWORD>(nHeight), 0, static_cast<int>(nLines - nHeight), 0, nLines,
                        m_pDib + plan.bits.nOffset, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
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
    // Painted at its real size, the right way up, whichever way it is
    // stored: the plan counts the picture's rows without negating a height.
    if (m_pDib != nullptr) {
        const DibPaintPlan plan = PlanDibPaint(m_pDib, m_dwSize);
        if (plan.bPaint)
            DrawBits(pDC, 0, 0, plan.nWidth, static_cast<int>(plan.nRows));
    }
    if (hOldPalette != nullptr)
        ::SelectPalette(hDC, hOldPalette, FALSE);
}
