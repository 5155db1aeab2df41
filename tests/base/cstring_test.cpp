#include "base/cstring.h"
#include "base/utf8.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CString, HoldsWindows1252BytesUnchanged)
{
    const CString s("Aper\xe7u : Texte");
    EXPECT_EQ(s.GetLength(), 14);
    EXPECT_EQ(static_cast<unsigned char>(s.GetString()[4]), 0xE7);
    EXPECT_STREQ(static_cast<const char*>(s), "Aper\xe7u : Texte");
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_TRUE(CString(static_cast<const char*>(nullptr)).IsEmpty());
}

TEST(CString, FormatAndConcatenation)
{
    CString s;
    s.Format("%s %d", "Texte", 4);
    EXPECT_TRUE(s == "Texte 4");
    s.Format("%s", std::string(5000, 'x').c_str());  // longer than any small buffer
    EXPECT_EQ(s.GetLength(), 5000);

    CString t = CString("Dans le presse-papier : ") + "Bloc-notes";
    t += "!";
    EXPECT_TRUE(t == "Dans le presse-papier : Bloc-notes!");
    EXPECT_TRUE("a" + CString("b") == "ab");
}

TEST(CString, SearchingAndSlicing)
{
    const CString path("C:\\Prog dir\\trovelle.exe");
    const int slash = path.ReverseFind('\\');
    EXPECT_EQ(slash, 11);
    EXPECT_TRUE(path.Left(slash) == "C:\\Prog dir");
    EXPECT_TRUE(path.Mid(slash + 1) == "trovelle.exe");
    EXPECT_EQ(CString("abc").ReverseFind('\\'), -1);
    EXPECT_TRUE(path.Left(-3).IsEmpty());
    EXPECT_TRUE(path.Mid(99).IsEmpty());
}

TEST(CString, BufferRoundTrip)
{
    CString s;
    char* p = s.GetBuffer(260);
    std::strcpy(p, "readme");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 6);
    p = s.GetBuffer(10);
    p[2] = '\0';
    s.ReleaseBuffer();
    EXPECT_TRUE(s == "re");
    s.GetBuffer(10);
    s.ReleaseBuffer(1);
    EXPECT_TRUE(s == "r");
}

// The counts an edit box makes, and cuts that never split a character.
TEST(Utf8, CountsAsUtf16AndCutsBetweenCharacters)
{
    const struct {
        const char* psz;
        std::size_t nUtf16;
    } rows[] = {{"", 0}, {"abc", 3}, {"\xc3\xa9t\xc3\xa9", 3}, {"\xd0\xa4\xce\xb1\xe6\x97\xa5", 3},
                {"\xf0\x9f\x98\x80", 2}};
    for (const auto& r : rows)
        EXPECT_EQ(Utf16Length(r.psz), r.nUtf16) << r.psz;
    const std::string_view text = "a\xc3\xa9\xf0\x9f\x98\x80";
    for (const auto& [n, prefix] : {std::pair<std::size_t, std::string_view>{1, "a"}, {2, "a"}, {3, "a\xc3\xa9"},
                                    {6, "a\xc3\xa9"}, {7, text}, {100, text}})
        EXPECT_EQ(Utf8Prefix(text, n), prefix) << n;
    const char16_t units[] = {u'\u00e9', 0xD83D, 0xDE00, 0xDC00, u'x'};
    EXPECT_EQ(Utf8FromUtf16(units, 5), "\xc3\xa9\xf0\x9f\x98\x80\xef\xbf\xbdx");
}

}  // namespace
