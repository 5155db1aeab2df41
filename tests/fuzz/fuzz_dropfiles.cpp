// Fuzz target: a DROPFILES block as another program might put it on the
// clipboard, read into paths and the preview's text.
#include "readers/dropfiles.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const DropFileList list = ReadDropFiles(pData, nSize);
    std::size_t n = 0;
    for (const std::string& path : list.paths) {
        // Every name is at least one byte of the record, and no character
        // of it comes from nowhere.
        if (path.empty())
            std::abort();
        n += path.size();
    }
    if (n > nSize)
        std::abort();
    if (DropFilesText(list).size() != n + 2 * list.paths.size())
        std::abort();
    return 0;
}
