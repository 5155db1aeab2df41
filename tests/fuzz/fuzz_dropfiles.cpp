// Fuzz target: a DROPFILES block as another program might put it on the
// clipboard, read into paths and the preview's text.
#include "readers/dropfiles.h"

#include <cstdlib>

#include "tests/fuzz/utf8_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const DropFileList list = ReadDropFiles(pData, nSize);
    std::size_t n = 0;
    for (const std::string& path : list.paths) {
        // Every name is at least one character of the record; a wide one
        // is well-formed UTF-8.
        if (path.empty() || (list.bWide && !IsWellFormedUtf8(path)))
            std::abort();
        n += path.size();
    }
    // No character comes from nowhere: an 8-bit name is its bytes, and a
    // UTF-16 unit of two bytes takes at most three in UTF-8.
    if (list.bWide ? 2 * n > 3 * nSize : n > nSize)
        std::abort();
    if (DropFilesText(list).size() != n + 2 * list.paths.size())
        std::abort();
    return 0;
}
