#include "base/utf8.h"

namespace {

bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Calls put(ch) for each character of n units that unit(k) gives.
template <class Unit, class Put>
void DecodeUtf16(std::size_t n, Unit unit, Put put)
{
    for (std::size_t k = 0; k < n; ++k) {
        std::uint32_t ch = unit(k);
        if (IsHighSurrogate(ch) && k + 1 < n && IsLowSurrogate(unit(k + 1)))
            ch = 0x10000 + ((ch - 0xD800) << 10) + (unit(++k) - 0xDC00);
        put(ch);
    }
}

}  // namespace

void AppendUtf8(std::string& out, std::uint32_t ch)
{
    if ((ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF)
        ch = 0xFFFD;
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

std::string Utf8FromUtf16(const char16_t* p, std::size_t n)
{
    std::string out;
    out.reserve(n);
    DecodeUtf16(n, [p](std::size_t k) { return static_cast<std::uint32_t>(p[k]); },
                [&out](std::uint32_t ch) { AppendUtf8(out, ch); });
    return out;
}

std::string Utf8FromUtf16Bytes(const std::uint8_t* p, std::size_t nBytes)
{
    std::string out;
    out.reserve(nBytes / 2);
    DecodeUtf16(nBytes / 2, [p](std::size_t k) { return static_cast<std::uint32_t>(p[2 * k] | (p[2 * k + 1] << 8)); },
                [&out](std::uint32_t ch) { AppendUtf8(out, ch); });
    return out;
}

std::size_t Utf16Length(std::string_view utf8)
{
    std::size_t n = 0;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80)
            n += b >= 0xF0 ? 2 : 1;  // continuation bytes add nothing
    }
    return n;
}

std::string_view Utf8Prefix(std::string_view utf8, std::size_t nBytes)
{
    if (utf8.size() <= nBytes)
        return utf8;
    std::size_t n = nBytes;
    // Back to the first byte of the character that the cut would split.
    while (n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80)
        --n;
    return utf8.substr(0, n);
}
