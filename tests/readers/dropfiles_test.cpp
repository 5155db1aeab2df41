#include "readers/dropfiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Literals with their NULs, the last one excepted.
template <std::size_t N>
std::string Lit(const char (&s)[N])
{
    return std::string(s, N - 1);
}

template <std::size_t N>
std::u16string Lit(const char16_t (&s)[N])
{
    return std::u16string(s, N - 1);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes Header(std::uint32_t offset, bool bWide, std::int32_t x = 0, std::int32_t y = 0, bool bNC = false)
{
    Bytes b(20);
    Put32(b, 0, offset);
    Put32(b, 4, static_cast<std::uint32_t>(x));
    Put32(b, 8, static_cast<std::uint32_t>(y));
    Put32(b, 12, bNC ? 1 : 0);
    Put32(b, 16, bWide ? 1 : 0);
    return b;
}

// An 8-bit block; `names` holds the NULs, so a test says how the list ends.
Bytes AnsiBlock(const std::string& names)
{
    Bytes b = Header(20, false);
    b.insert(b.end(), names.begin(), names.end());
    return b;
}

Bytes WideBlock(const std::u16string& names)
{
    Bytes b = Header(20, true);
    for (char16_t c : names) {
        b.push_back(static_cast<std::uint8_t>(c));
        b.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return b;
}

DropFileList Read(const Bytes& b) { return ReadDropFiles(b.data(), b.size()); }

using Paths = std::vector<std::string>;

TEST(DropFiles, AnsiListGivesOneLinePerPath)
{
    Bytes b = AnsiBlock(Lit("C:\\a.txt\0D:\\Dossier \xe9t\xe9\\b.bmp\0\\\\srv\\c\0\0"));
    Put32(b, 4, static_cast<std::uint32_t>(-5));
    Put32(b, 8, 7);
    Put32(b, 12, 1);
    const DropFileList list = Read(b);
    EXPECT_TRUE(list.bHeader);
    EXPECT_FALSE(list.bWide);
    EXPECT_TRUE(list.bComplete);
    EXPECT_EQ(list.x, -5);
    EXPECT_EQ(list.y, 7);
    EXPECT_TRUE(list.bNonClient);
    EXPECT_EQ(list.paths, (Paths{"C:\\a.txt", "D:\\Dossier \xe9t\xe9\\b.bmp", "\\\\srv\\c"}));
    EXPECT_EQ(DropFilesText(list), "C:\\a.txt\r\nD:\\Dossier \xe9t\xe9\\b.bmp\r\n\\\\srv\\c\r\n");

    // Names may start further on, and bytes after the list's end are not names.
    Bytes padded = Header(28, false);
    padded.resize(28, 'x');
    const std::string rest("E:\\z\0\0garbage", 13);
    padded.insert(padded.end(), rest.begin(), rest.end());
    EXPECT_EQ(Read(padded).paths, (Paths{"E:\\z"}));
    EXPECT_TRUE(Read(padded).bComplete);
}

TEST(DropFiles, EmptyList)
{
    const DropFileList list = Read(AnsiBlock(std::string(1, '\0')));
    EXPECT_TRUE(list.bComplete);
    EXPECT_TRUE(list.paths.empty());
    EXPECT_EQ(DropFilesText(list), "");
    EXPECT_TRUE(Read(WideBlock(std::u16string(1, u'\0'))).bComplete);
}

TEST(DropFiles, WideNamesBecomeUtf8InAnyScript)
{
    const DropFileList list =
        Read(WideBlock(Lit(u"C:\\Donn\u00e9es\\\u65e5\u672c.txt\0"
                           u"D:\\\u0444\u0430\u0439\u043b \u03b1\u03b2\0"
                           u"E:\\\U0001F600\xd800x\0\0")));
    EXPECT_TRUE(list.bWide);
    EXPECT_TRUE(list.bComplete);
    // A lone surrogate is no character: the replacement character stands for it.
    const Paths expected = {"C:\\Donn\xc3\xa9" "es\\\xe6\x97\xa5\xe6\x9c\xac.txt",
                            "D:\\\xd1\x84\xd0\xb0\xd0\xb9\xd0\xbb \xce\xb1\xce\xb2",
                            "E:\\\xf0\x9f\x98\x80\xef\xbf\xbdx"};
    EXPECT_EQ(list.paths, expected);
    EXPECT_EQ(DropFilesText(list), expected[0] + "\r\n" + expected[1] + "\r\n" + expected[2] + "\r\n");
}

TEST(DropFiles, HeaderAndOffsetsOutsideTheRecordGiveNoFiles)
{
    const Bytes names = AnsiBlock(Lit("C:\\a\0\0"));
    const DropFileList shortHeader = ReadDropFiles(names.data(), 19);
    EXPECT_FALSE(shortHeader.bHeader);
    EXPECT_TRUE(shortHeader.paths.empty());
    EXPECT_FALSE(ReadDropFiles(nullptr, 100).bHeader);

    for (std::uint32_t offset : {0u, 4u, 19u, 26u, 27u, 1000u, 0xFFFFFFFFu}) {
        Bytes b = names;
        Put32(b, 0, offset);
        const DropFileList list = Read(b);
        EXPECT_TRUE(list.bHeader);
        EXPECT_EQ(list.nFilesOffset, offset);
        EXPECT_TRUE(list.paths.empty()) << offset;
        EXPECT_FALSE(list.bComplete) << offset;
    }
}

TEST(DropFiles, ListsWithoutTheirEndAreCutAtTheRecord)
{
    struct Case {
        std::string names;
        Paths paths;
    } cases[] = {
        {Lit("C:\\a\0D:\\b\0"), {"C:\\a", "D:\\b"}},  // no empty name
        {Lit("C:\\a\0D:\\b"), {"C:\\a", "D:\\b"}},     // the last name cut
        {"C:", {"C:"}},
    };
    for (const Case& c : cases) {
        const DropFileList list = Read(AnsiBlock(c.names));
        EXPECT_EQ(list.paths, c.paths);
        EXPECT_FALSE(list.bComplete);
    }

    DropFileList wide = Read(WideBlock(Lit(u"C:\\a\0D:")));
    EXPECT_EQ(wide.paths, (Paths{"C:\\a", "D:"}));
    EXPECT_FALSE(wide.bComplete);

    // An odd size: the stray byte is no character.
    Bytes odd = WideBlock(Lit(u"C:\\a\0"));
    odd.push_back(0);
    wide = Read(odd);
    EXPECT_EQ(wide.paths, (Paths{"C:\\a"}));
    EXPECT_FALSE(wide.bComplete);
    odd = WideBlock(Lit(u"ab"));
    odd.push_back('c');
    EXPECT_EQ(Read(odd).paths, (Paths{"ab"}));

    // A high surrogate at the very end stands alone: the replacement character.
    wide = Read(WideBlock(Lit(u"a\xD83D")));
    EXPECT_EQ(wide.paths, (Paths{"a\xef\xbf\xbd"}));
}

// Every cut, in a block of exactly that size, so that the sanitizers catch a
// read past it.
TEST(DropFiles, EveryCutStaysInsideTheRecord)
{
    const Bytes blocks[] = {AnsiBlock(Lit("C:\\a\0D:\\bc\0\0")),
                            WideBlock(Lit(u"C:\\\u00e9\0\U0001F600\0\0"))};
    for (const Bytes& whole : blocks) {
        const Paths all = Read(whole).paths;
        for (std::size_t n = 0; n < whole.size(); ++n) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            const DropFileList list = ReadDropFiles(cut.data(), cut.size());
            EXPECT_FALSE(list.bComplete) << n;
            EXPECT_LE(list.paths.size(), all.size()) << n;
        }
    }
}

}  // namespace
