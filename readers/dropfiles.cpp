#include "readers/dropfiles.h"

#include <cstring>

#include "base/utf8.h"

namespace {

std::uint32_t U32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

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
    std::size_t k = 0;
    while (k < units) {
        std::size_t end = k;
        while (end < units && (p[2 * end] | p[2 * end + 1]) != 0)
            ++end;
        if (end == k) {  // the empty name
            list.bComplete = true;
            return;
        }
        list.paths.push_back(Utf8FromUtf16Bytes(p + 2 * k, 2 * (end - k)));
        k = end + 1;
    }
}

}  // namespace

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
