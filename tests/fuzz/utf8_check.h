// Whether bytes are well-formed UTF-8: no stray continuation byte, no
// sequence cut short, none longer than it must be, no surrogate, nothing past
// U+10FFFF. For the fuzz targets of readers that hand over UTF-8.
#pragma once

#include <cstdint>
#include <string_view>

inline bool IsWellFormedUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80 ? 1 : b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        std::uint32_t ch = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            ch = (ch << 6) | (c & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (ch < least[n] || (ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF)
            return false;
        i += n;
    }
    return true;
}
