#include "dialogs/textblock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
