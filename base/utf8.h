// Text is held as UTF-8 in the program's 8-bit strings; the system speaks
// UTF-16. What converts between the two without a system call lives here,
// for the pure code (the readers of clipboard bytes) as for the framework.
// Pure code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Appends a code point as UTF-8. One that is no character (a surrogate, or
// past U+10FFFF) goes in as U+FFFD, the replacement character.
void AppendUtf8(std::string& out, std::uint32_t ch);

// n UTF-16 code units as UTF-8: a surrogate pair is one character, a lone
// surrogate becomes U+FFFD.
std::string Utf8FromUtf16(const char16_t* p, std::size_t n);
// The same for UTF-16LE bytes, as another program wrote them (no alignment
// assumed); a last odd byte is no half character and is left out.
std::string Utf8FromUtf16Bytes(const std::uint8_t* p, std::size_t nBytes);

// How many UTF-16 code units a UTF-8 text takes, as an edit box counts its
// characters: two for a character past U+FFFF (an emoji), one for any other
// (and for a byte that starts no character).
std::size_t Utf16Length(std::string_view utf8);

// The longest start of a UTF-8 text of at most nBytes bytes that does not
// end inside a character.
std::string_view Utf8Prefix(std::string_view utf8, std::size_t nBytes);
