// Reads a DROPFILES block (the bytes of a CF_HDROP clip): a 20-byte header,
// then the file names, each ended by a NUL, the list ended by an empty name;
// 8-bit names in the ANSI code page or UTF-16LE names. The bytes come from
// another program, so nothing past the record's size is read and every
// offset is checked. Pure code: no Win32 call; wide names are handed over
// as UTF-8, the program's own text, 8-bit ones as the bytes they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t DROPFILES_HEADER = 20;

// What a block holds. A block whose header is short, or whose list offset
// lies inside the header or past the record, has no files. A list that runs
// to the end of the record without its empty name is shown as far as its
// bytes go: every name found is kept, the last one cut where the record
// ends, and bComplete says the list was not properly ended.
struct DropFileList {
    bool bHeader = false;        // the 20-byte header was whole
    std::uint32_t nFilesOffset = 0;  // where the names start, as stored
    std::int32_t x = 0;          // drop point, as stored
    std::int32_t y = 0;
    bool bNonClient = false;
    bool bWide = false;          // names are UTF-16LE
    bool bComplete = false;      // the empty name that ends the list was inside the record
    std::vector<std::string> paths;  // UTF-8 when bWide, else the block's own bytes
};

// Reads nSize bytes at pData (null with any size reads as an empty record).
DropFileList ReadDropFiles(const std::uint8_t* pData, std::size_t nSize);

// The preview's text: every path followed by CR LF, the last one included.
std::string DropFilesText(const DropFileList& list);
