#include "readers/textblock.h"

#include <cstring>

#include "base/utf8.h"

std::string_view TextBlockText(const std::uint8_t* pData, std::size_t nSize)
{
    if (pData == nullptr || nSize == 0)
        return {};
    const void* nul = std::memchr(pData, 0, nSize);
    const std::size_t n = nul != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - pData) : nSize;
    return {reinterpret_cast<const char*>(pData), n};
}

std::string UnicodeTextBlockText(const std::uint8_t* pData, std::size_t nSize)
{
    if (pData == nullptr)
        return {};
    std::size_t n = 0;
    while (2 * n + 1 < nSize && (pData[2 * n] | pData[2 * n + 1]) != 0)
        ++n;
    return Utf8FromUtf16Bytes(pData, 2 * n);
}

std::string_view EditableText(std::string_view text)
{
    return Utf8Prefix(text, MAX_EDIT_TEXT);
}
