#include "dialogs/formatnames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Name(unsigned int id) { return StandardFormatName(id).GetString(); }

TEST(StandardFormatName, NamesEveryPredefinedId)
{
    const char* const first[] = {"CF_TEXT",     "CF_BITMAP",      "CF_METAFILEPICT", "CF_SYLK",    "CF_DIF",
                                 "CF_TIFF",     "CF_OEMTEXT",     "CF_DIB",          "CF_PALETTE", "CF_PENDATA",
                                 "CF_RIFF",     "CF_WAVE",        "CF_UNICODETEXT",  "CF_ENHMETAFILE",
                                 "CF_HDROP",    "CF_LOCALE",      "CF_MAX"};
    for (unsigned int id = 1; id <= 17; ++id)
        EXPECT_EQ(Name(id), first[id - 1]) << id;
    EXPECT_EQ(Name(0x80), "CF_OWNERDISPLAY");
    EXPECT_EQ(Name(0x81), "CF_DSPTEXT");
    EXPECT_EQ(Name(0x82), "CF_DSPBITMAP");
    EXPECT_EQ(Name(0x83), "CF_DSPMETAFILEPICT");
    EXPECT_EQ(Name(0x8E), "CF_DSPENHMETAFILE");
}

TEST(StandardFormatName, RangesShareOneNameUpToTheirLastId)
{
    for (unsigned int id : {0x200u, 0x201u, 0x2FEu, 0x2FFu})
        EXPECT_EQ(Name(id), "CF_PRIVATEFIRST ~ CF_PRIVATELAST") << id;
    for (unsigned int id : {0x300u, 0x3A0u, 0x3FFu})
        EXPECT_EQ(Name(id), "CF_GDIOBJFIRST ~ CF_GDIOBJLAST") << id;
}

TEST(StandardFormatName, GapsAndRegisteredIdsHaveNone)
{
    for (unsigned int id : {0u, 18u, 127u, 132u, 141u, 143u, 0x1FFu, 0x400u, 0xC000u, 0xFFFFu, 0xFFFFFFFFu})
        EXPECT_EQ(Name(id), "") << id;
}

}  // namespace
