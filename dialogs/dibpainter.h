// Paints a packed DIB (the bytes of a CF_DIB block) into a device context,
// with a logical palette made from the bitmap for palette devices. The
// bitmap is read through the bounded reader, whose paint plan decides
// everything handed to GDI: a header, masks and colour table of our own
// making and only as many rows of bits as the record holds, so nothing past
// the record is ever read. The painter only turns the plan into GDI calls.
#pragma once

#include <windows.h>

#include "fw/gdi.h"

class CDibPainter {
public:
    CDibPainter() = default;
    virtual ~CDibPainter();
    CDibPainter(const CDibPainter&) = delete;
    CDibPainter& operator=(const CDibPainter&) = delete;

    // The bitmap to paint and its size in bytes; not owned.
    const BYTE* m_pDib = nullptr;
    DWORD m_dwSize = 0;
    HPALETTE m_hPalette = nullptr;

    // Colour table entries and their size in bytes, as the header declares them.
    static WORD CountColors(const BYTE* pDib, DWORD dwSize);
    static DWORD ColorTableBytes(const BYTE* pDib, DWORD dwSize);
    // A palette for a 40-byte header's table, the fixed 8-8-4 palette for 24
    // bits without one, or null.
    static HPALETTE BuildPalette(const BYTE* pDib, DWORD dwSize);

    void PreparePalette();
    // The bitmap's header in the 40-byte form (a core header is widened),
    // with its image size and colour count filled in; FALSE without a
    // bitmap or with one whose header cannot be read.
    BOOL GetHeader(BITMAPINFOHEADER& header) const;
    // Paints the bits at (x, y), cx by cy pixels at most; FALSE when there
    // is nothing that can be painted.
    BOOL DrawBits(CDC* pDC, int x, int y, int cx, int cy) const;
    // Paints the whole bitmap, the picture's point (x, y) at the context's origin.
    void Draw(CDC* pDC, int x, int y) const;
};
