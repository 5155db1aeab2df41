// Reads a text block: CF_TEXT, 8-bit text in the ANSI code page, or
// CF_UNICODETEXT, UTF-16LE. Another program wrote it, so its terminating NUL
// may be missing: the text ends at the first NUL or at the end of the record,
// whichever comes first. Pure code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The text of nSize bytes at pData, as a view into them (empty for null
// data). Its own line ends are kept.
std::string_view TextBlockText(const std::uint8_t* pData, std::size_t nSize);
// The same for a CF_UNICODETEXT block, as UTF-8: up to its first NUL
// character, a last odd byte left out.
std::string UnicodeTextBlockText(const std::uint8_t* pData, std::size_t nSize);

// The most an edit control takes as one text, in bytes: what fits in the
// control's (and our string's) signed 32-bit length. A longer text is shown
// as far as that.
constexpr std::size_t MAX_EDIT_TEXT = 0x7FFFFFFE;

// The part of a UTF-8 text that an edit control can show: at most its first
// MAX_EDIT_TEXT bytes, never half a character.
std::string_view EditableText(std::string_view text);
