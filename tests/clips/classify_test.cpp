// Classification with the names the system itself reports for registered
// formats, through real captures.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "clips/clip.h"
#include "clips/clipkind.h"
#include "tests/support/clipboard_fixture.h"

namespace {

using Classify = ClipboardTest;

CClip* Capture(TestWindow& source, HWND keeper, const std::vector<SourceFormat>& formats)
{
    EXPECT_TRUE(source.Offer(formats));
    auto* clip = new CClip;
    EXPECT_TRUE(clip->CaptureFromClipboard(keeper));
    return clip;
}

TEST_F(Classify, CapturedClipsTakeTheirKindAndLabel)
{
    struct Case {
        std::vector<SourceFormat> formats;
        int kind;
    };
    const Case cases[] = {
        {{{CF_TEXT, TextBytes("a")}}, CK_TEXT},
        {{{CF_TEXT, TextBytes("a")}, {CF_DIB, PatternBytes(60, 1)}}, CK_IMAGE},
        {{{CF_WAVE, PatternBytes(44, 1)}, {CF_TEXT, TextBytes("a")}, {CF_DIB, PatternBytes(60, 1)}}, CK_SOUND},
        {{{CF_WAVE, PatternBytes(44, 1)}, {CF_SYLK, TextBytes("ID;P")}}, CK_TABLE},
        {{{CF_HDROP, PatternBytes(40, 2)}}, CK_OTHER},
        {{{RegisterFormat("Rich Text Format"), TextBytes("{\\rtf1}")},
          {RegisterFormat("HTML Format"), TextBytes("<b/>")}},
         CK_RTF},
        {{{RegisterFormat("Rich Text Format Without Objects"), TextBytes("{\\rtf1}")}}, CK_RTF},
        {{{RegisterFormat("Shell IDList Array"), PatternBytes(20, 3)}, {CF_HDROP, PatternBytes(40, 2)}}, CK_FILE},
        {{{RegisterFormat("UniformResourceLocator"), TextBytes("http://x")}}, CK_URL},
        {{{RegisterFormat("Jasc Paint Shop Pro 8.0"), PatternBytes(9, 4)}}, CK_PAINTSHOPPRO},
        {{{RegisterFormat("DwHtml"), PatternBytes(9, 4)}}, CK_DREAMWEAVER},
        {{{RegisterFormat("Fireworks Internal Clipboard Format"), PatternBytes(9, 4)}}, CK_FIREWORKS},
        {{{RegisterFormat("Macromedia Flash Picture"), PatternBytes(9, 4)}}, CK_FLASH},
        {{{RegisterFormat("FreeHand Clipboard"), PatternBytes(9, 4)}}, CK_FREEHAND},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CClip> clip(Capture(source, keeper.hwnd(), c.formats));
        EXPECT_EQ(clip->m_nKind, c.kind) << "first format " << c.formats[0].id;
        EXPECT_STREQ(clip->m_strName, ClipKindLabel(c.kind));
        EXPECT_EQ(clip->m_bClassified, c.kind >= CK_FILE);
    }
}

TEST_F(Classify, UnmatchedAndLowerCaseNamesLeaveTheNameEmpty)
{
    std::unique_ptr<CClip> clip(Capture(source, keeper.hwnd(),
                                        {{RegisterFormat("Freehand Drawing"), PatternBytes(9, 1)},
                                         {RegisterFormat("trovelle html format"), PatternBytes(9, 2)}}));
    EXPECT_EQ(clip->m_nKind, CK_OTHER);
    EXPECT_TRUE(clip->m_strName.IsEmpty());
    EXPECT_FALSE(clip->m_bClassified);
}

TEST_F(Classify, OnlyTheFirst149CharactersOfANameCount)
{
    // "HTML Format" ending at character 149 is seen; one character later it is cut.
    const std::string fits = std::string(149 - 11, 'x') + "HTML Format" + std::string(60, 'y');
    const std::string cut = std::string(149 - 10, 'x') + "HTML Format" + std::string(60, 'y');
    std::unique_ptr<CClip> a(Capture(source, keeper.hwnd(), {{RegisterFormat(fits.c_str()), PatternBytes(4, 1)}}));
    EXPECT_EQ(a->m_nKind, CK_HTML);
    std::unique_ptr<CClip> b(Capture(source, keeper.hwnd(), {{RegisterFormat(cut.c_str()), PatternBytes(4, 1)}}));
    EXPECT_EQ(b->m_nKind, CK_OTHER);
    EXPECT_TRUE(b->m_strName.IsEmpty());
}

}  // namespace
