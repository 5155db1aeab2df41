#include "readers/textblock.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

std::string_view Text(const std::vector<std::uint8_t>& b) { return TextBlockText(b.data(), b.size()); }

std::vector<std::uint8_t> Block(const std::string& s) { return {s.begin(), s.end()}; }

TEST(TextBlock, EndsAtTheFirstNul)
{
    EXPECT_EQ(Text(Block(std::string("Ligne 1\r\nLigne \xe9\r\n\0reste\0", 24))), "Ligne 1\r\nLigne \xe9\r\n");
    EXPECT_EQ(Text(Block(std::string("\0abc", 4))), "");
    EXPECT_EQ(Text(Block(std::string("a\0", 2))), "a");
}

TEST(TextBlock, WithoutNulEndsAtTheRecord)
{
    // An exact-size block: the sanitizers catch any look past its end.
    const std::vector<std::uint8_t> b = Block("pas de fin");
    const std::string_view text = Text(b);
    EXPECT_EQ(text, "pas de fin");
    EXPECT_EQ(static_cast<const void*>(text.data()), static_cast<const void*>(b.data()));
    EXPECT_EQ(TextBlockText(b.data(), 3), "pas");
}

TEST(TextBlock, NoData)
{
    EXPECT_EQ(TextBlockText(nullptr, 10), "");
    const std::uint8_t one = 'x';
    EXPECT_EQ(TextBlockText(&one, 0), "");
}

TEST(TextBlock, UnicodeTextIsReadUpToItsFirstNulAndNeverPastTheRecord)
{
    const struct {
        std::vector<std::uint8_t> bytes;
        std::string utf8;
    } rows[] = {
        {{'a', 0, 0x42, 0x04, 0, 0, 'z', 0}, "a\xd1\x82"},                    // up to the NUL
        {{'a', 0, 0x3D, 0xD8, 0x00, 0xDE}, "a\xf0\x9f\x98\x80"},             // no NUL, a pair
        {{'a', 0, 'b'}, "a"},                                                 // an odd last byte
        {{0x00, 0xD8, 'x', 0}, "\xef\xbf\xbdx"},                              // a lone surrogate
        {{0, 0, 'a', 0}, ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(UnicodeTextBlockText(r.bytes.data(), r.bytes.size()), r.utf8) << r.utf8;
    EXPECT_EQ(UnicodeTextBlockText(nullptr, 8), "");
}

TEST(TextBlock, AnEditControlTakesAllButAGiganticText)
{
    EXPECT_EQ(EditableText("court"), "court");
    EXPECT_EQ(EditableText(""), "");
}

#if defined(__linux__)
// A text of more than 2 GiB without a NUL, made of one 64 MiB piece of memory
// seen many times over, side by side: it costs 64 MiB, not 2 GiB.
TEST(TextBlock, ATextOfMoreThanTwoGigabytesIsShownAsFarAsTheEditTakes)
{
    constexpr std::size_t kPiece = std::size_t{64} << 20;
    constexpr std::size_t kPieces = 34;  // 2176 MiB
    const int fd = memfd_create("text", 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, kPiece), 0);
    void* piece = mmap(nullptr, kPiece, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ASSERT_NE(piece, MAP_FAILED);
    std::memset(piece, 'a', kPiece);
    munmap(piece, kPiece);
    auto* base = static_cast<std::uint8_t*>(mmap(nullptr, kPiece * kPieces, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(base, MAP_FAILED);
    for (std::size_t i = 0; i < kPieces; ++i)
        ASSERT_NE(mmap(base + i * kPiece, kPiece, PROT_READ, MAP_SHARED | MAP_FIXED, fd, 0), MAP_FAILED);

    const std::string_view text = TextBlockText(base, kPiece * kPieces);
    EXPECT_EQ(text.size(), kPiece * kPieces);
    const std::string_view shown = EditableText(text);
    EXPECT_EQ(shown.size(), MAX_EDIT_TEXT);
    EXPECT_EQ(static_cast<const void*>(shown.data()), static_cast<const void*>(base));
    // What a string of the framework (signed 32-bit length) takes as it is.
    EXPECT_GT(static_cast<int>(shown.size()), 0);

    munmap(base, kPiece * kPieces);
    close(fd);
}
#endif

}  // namespace
