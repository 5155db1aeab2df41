// The byte counts of the status bar as text, at every edge between forms.
#include <gtest/gtest.h>

#include <string>

#include "mainwnd/sizetext.h"

namespace {

std::string Total(unsigned long long n) { return FormatTotalText(n).GetString(); }
std::string Selection(unsigned long long n) { return FormatSelectionText(n).GetString(); }

TEST(SizeText, TotalIsInKoBelowOneMoAndInMoFromThere)
{
    EXPECT_EQ(Total(0), "Total : 0.0 Ko");
    EXPECT_EQ(Total(149), "Total : 0.1 Ko");  // the total has no form in bytes
    EXPECT_EQ(Total(1536), "Total : 1.5 Ko");
    EXPECT_EQ(Total(1048575), "Total : 1024.0 Ko");
    EXPECT_EQ(Total(1048576), "Total : 1.0 Mo");
    EXPECT_EQ(Total(1048576 + 104858), "Total : 1.1 Mo");
}

TEST(SizeText, SelectionIsInOctetsThenKoThenMoWithTwoDecimals)
{
    EXPECT_EQ(Selection(0), "Taille : 0 octets");
    EXPECT_EQ(Selection(149), "Taille : 149 octets");
    EXPECT_EQ(Selection(150), "Taille : 0.1 Ko");
    EXPECT_EQ(Selection(1048575), "Taille : 1024.0 Ko");
    EXPECT_EQ(Selection(1048576), "Taille : 1.00 Mo");
    EXPECT_EQ(Selection(1048576 * 5 / 4), "Taille : 1.25 Mo");
}

TEST(SizeText, CountsBeyondThirtyTwoBitsKeepTheirForms)
{
    const unsigned long long kGiB = 1ull << 30;
    // Past 4 GiB a 32-bit total would wrap to a few bytes.
    EXPECT_EQ(Total(4 * kGiB + 512), "Total : 4096.0 Mo");
    EXPECT_EQ(Total(5 * kGiB), "Total : 5120.0 Mo");
    // Past 2 GiB a 32-bit signed sum would turn negative.
    EXPECT_EQ(Selection(3 * kGiB), "Taille : 3072.00 Mo");
    EXPECT_EQ(Selection(4 * kGiB + 100), "Taille : 4096.00 Mo");
}

}  // namespace
