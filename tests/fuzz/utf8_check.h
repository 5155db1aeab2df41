// Whether bytes are well-formed UTF-8 (no stray or missing continuation
// byte, no longer form than needed, no surrogate, nothing past U+10FFFF),
// for the fuzz targets of readers that hand over UTF-8.
#pragma once

#include <cstdint>
#include <string_view>

inline bool IsWellFormedUtf8(std::string_view s)
{
    for (std::size_t i = 0, n; i < s.size(); i += n) {
        const auto b = static_cast<unsigned char>(s[i]);
        n = b < 0x80 ? 1 : b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
        std::uint32_t ch = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            if (i + k >= s.size() || (s[i + k] & 0xC0) != 0x80)
                return false;
            ch = (ch << 6) | (s[i + k] & 0x3F);
        }
        if (n == 0 || ch < (n == 2 ? 0x80 : n == 3 ? 0x800 : n == 4 ? 0x10000 : 0) || (ch >= 0xD800 && ch <= 0xDFFF) ||
            ch > 0x10FFFF)
            return false;
    }
    return true;
}
