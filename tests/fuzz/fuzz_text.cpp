// Fuzz target: a CF_TEXT block, with or without its NUL, and the same bytes
// as a CF_UNICODETEXT block.
#include "readers/textblock.h"

#include <cstdlib>
#include <cstring>

#include "tests/fuzz/utf8_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view text = TextBlockText(pData, nSize);
    if (text.size() > nSize)
        std::abort();
    if (nSize != 0 && text.data() != reinterpret_cast<const char*>(pData))
        std::abort();
    if (!text.empty() && std::memchr(text.data(), 0, text.size()) != nullptr)
        std::abort();
    if (text.size() < nSize && pData[text.size()] != 0)
        std::abort();

    const std::string wide = UnicodeTextBlockText(pData, nSize);
    if (2 * wide.size() > 3 * nSize || !IsWellFormedUtf8(wide) || wide.find('\0') != std::string::npos)
        std::abort();
    if (!IsWellFormedUtf8(EditableText(wide)))
        std::abort();
    return 0;
}
