#include "readers/textblock.h"

#include <cstring>

std::string_view TextBlockText(const std::uint8_t* pData, std::size_t nSize)
{
    if (pData == nullptr || nSize == 0)
        return {};
    const void* nul = std::memchr(pData, 0, nSize);
    const std::size_t n = nul != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - pData) : nSize;
    return {reinterpret_cast<const char*>(pData), n};
}

std::string_view EditableText(std::string_view text)
{
    return text.substr(0, MAX_EDIT_TEXT);
}
