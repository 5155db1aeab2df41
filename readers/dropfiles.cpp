#include "readers/dropfiles.h"

#include <cstring>

namespace {

std::uint32_t U32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Code points of bytes 0x80 to 0x9F; 0 where Windows-1252 leaves the byte to
// the C1 control of the same value.
constexpr std::uint16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void ReadAnsiNames(const std::uint8_t* p, std::size_t n, DropFileList& list)
{
    std::size_t i = 0;
    while (i < n) {
        const void* nul = std::memchr(p + i, 0, n - i);
        const std::size_t end = nul != nullptr ? static_cast<const std::uint8_t*>(nul) - p : n;
        if (end == i) {  // the empty name
            list.bComplete = true;
            return;
        }
        list.paths.emplace_back(reinterpret_cast<const char*>(p + i), end - i);
        i = end + 1;
    }
}

void ReadWideNames(const std::uint8_t* p, std::size_t n, DropFileList& list)
{
    // A stray last byte of an odd-sized list is not half a character: drop it.
    const std::size_t units = n / 2;
    std::string name;
    bool bInName = false;
    for (std::size_t k = 0; k < units; ++k) {
        std::uint32_t ch = static_cast<std::uint32_t>(p[2 * k] | (p[2 * k + 1] << 8));
        if (ch == 0) {
            if (!bInName) {
                list.bComplete = true;
                return;
            }
            list.paths.push_back(std::move(name));
            name.clear();
            bInName = false;
            continue;
        }
        bInName = true;
        // A surrogate pair is one character, so one '?'.
        if (ch >= 0xD800 && ch <= 0xDBFF && k + 1 < units) {
            const std::uint32_t lo = static_cast<std::uint32_t>(p[2 * k + 2] | (p[2 * k + 3] << 8));
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                ch = 0x10000 + ((ch - 0xD800) << 10) + (lo - 0xDC00);
                ++k;
            }
        }
        name += Cp1252FromUnicode(ch);
    }
    if (bInName)
        list.paths.push_back(std::move(name));
}

}  // namespace

char Cp1252FromUnicode(std::uint32_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<char>(ch);
    if (ch >= 0x80 && ch <= 0x9F)  // the C1 controls that keep their byte
        return kHigh[ch - 0x80] == 0 ? static_cast<char>(ch) : '?';
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == ch)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

DropFileList ReadDropFiles(const std::uint8_t* pData, std::size_t nSize)
{
    DropFileList list;
    if (pData == nullptr || nSize < DROPFILES_HEADER)
        return list;
    list.bHeader = true;
    list.nFilesOffset = U32(pData);
    list.x = static_cast<std::int32_t>(U32(pData + 4));
    list.y = static_cast<std::int32_t>(U32(pData + 8));
    list.bNonClient = U32(pData + 12) != 0;
    list.bWide = U32(pData + 16) != 0;

    // Names inside the header would be the header's own bytes read as text.
    if (list.nFilesOffset < DROPFILES_HEADER || list.nFilesOffset >= nSize)
        return list;
    const std::uint8_t* p = pData + list.nFilesOffset;
    const std::size_t n = nSize - list.nFilesOffset;
    if (list.bWide)
        ReadWideNames(p, n, list);
    else
        ReadAnsiNames(p, n, list);
    return list;
}

std::string DropFilesText(const DropFileList& list)
{
    std::size_t n = 0;
    for (const std::string& path : list.paths)
        n += path.size() + 2;
    std::string text;
    text.reserve(n);
    for (const std::string& path : list.paths) {
        text += path;
        text += "\r\n";
    }
    return text;
}
