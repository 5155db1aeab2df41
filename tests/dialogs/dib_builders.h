// Packed DIBs built from small pictures for the painter and preview tests,
// records placed at the very end of readable memory, and pixel grids
// compared.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/clipboard_fixture.h"

// A picture, rows from the top.
using Grid = std::vector<std::vector<COLORREF>>;

// A record copied so that its last byte is the last readable one: the page
// after it is PAGE_NOACCESS, so a read past the record faults at once.
class GuardedRecord {
public:
    explicit GuardedRecord(const Bytes& bytes);
    ~GuardedRecord();
    GuardedRecord(const GuardedRecord&) = delete;
    GuardedRecord& operator=(const GuardedRecord&) = delete;
    const BYTE* Data() const { return m_pData; }
    DWORD Size() const { return m_dwSize; }

private:
    BYTE* m_pBase = nullptr;
    BYTE* m_pData = nullptr;
    DWORD m_dwSize = 0;
};

void Put32(Bytes& b, std::size_t at, DWORD v);

// An info header of any size: the 40-byte fields, zeros after them.
Bytes Header(DWORD nHeaderSize, LONG w, LONG h, WORD nBitCount, DWORD nCompression, DWORD nClrUsed = 0,
             DWORD nSizeImage = 0);

// A packed BI_RGB DIB, w x h pixels. An 8-bit one declares only the colours
// it uses; 1 and 4 bits carry the whole table their bit count implies, with
// a colours-used count of 0.
Bytes Dib(int w, const Grid& rowsFromTop, bool bTopDown, int nBitCount = 24);
// A core-header DIB of 24 bits.
Bytes CoreDib(int w, const Grid& rowsFromTop);

// The rows of a 16 or 32-bit picture, bottom row first, each channel where
// its mask puts it.
Bytes MaskedBits(const Grid& rowsFromTop, int nBitCount, const DWORD (&masks)[3]);
// A bit-field DIB: the masks follow a 40-byte header or sit at offset 40
// inside a longer one; an alpha mask, when given, after them (the header
// must have room for it); then a colour table of nTable entries, which the
// pixels do not use.
Bytes BitFieldDib(const Grid& picture, int nBitCount, const DWORD (&masks)[3], DWORD nHeaderSize = 40,
                  DWORD nTable = 0, DWORD dwAlphaMask = 0);

// An RLE8 or RLE4 DIB w x h whose stream gives the picture's rows at the
// top of the bitmap; the rows below it are jumped over with delta escapes
// (a stream can describe a large, mostly empty picture in a few bytes).
Bytes RleDib(const Grid& picture, bool bRle4, LONG w = 0, LONG h = 0);

// What a cx x cy corner should show: picture rows [first, last) at their own
// place shifted down by yOffset, the background elsewhere.
Grid Expected(const Grid& picture, int cx, int cy, COLORREF background, int first = 0, int last = -1,
              int yOffset = 0);

// Compares pixel by pixel; a channel may be off by up to nTolerance levels
// (a 4, 5 or 6-bit channel widened to 8 bits).
void ExpectGrid(const Grid& seen, const Grid& expected, int nTolerance, const std::string& name);
