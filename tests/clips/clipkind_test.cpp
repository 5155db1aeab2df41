#include "clips/clipkind.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A format as classification sees it: an id and a registered name ("" for a
// standard format).
struct Fmt {
    std::uint32_t id;
    std::string name;
};

constexpr std::uint32_t TEXT = 1, SYLK = 4, DIF = 5, TIFF = 6, DIB = 8, RIFF = 11, WAVE = 12,
                        UNICODETEXT = 13, ENHMETAFILE = 14, HDROP = 15, DSPTEXT = 0x81,
                        DSPBITMAP = 0x82, DSPMETAFILEPICT = 0x83, DSPENHMETAFILE = 0x8E;

struct Result {
    int nKind = CK_OTHER;
    std::string strName;
    bool bClassified = false;
};

// Runs the rules over a whole capture the way a clip does.
Result Classify(const std::vector<Fmt>& formats)
{
    Result r;
    for (const Fmt& f : formats) {
        if (r.bClassified)
            break;
        const KindStep step = NextClipKind(r.nKind, f.id, f.name.data(), f.name.size());
        if (step.bSetsKind) {
            r.nKind = step.nKind;
            r.strName = ClipKindLabel(step.nKind);
        }
        r.bClassified = r.bClassified || step.bClassified;
    }
    return r;
}

TEST(ClipKind, LabelsAndIcons)
{
    const char* expected[] = {"Autre", "Image", "Son", "Texte", "Fichier", "HTML", "URL", "Texte RTF",
                              "Tableau", "Paint Shop Pro", "Dreamweaver", "Fireworks", "Flash", "Freehand"};
    for (int k = 0; k < CK_COUNT; ++k) {
        EXPECT_STREQ(ClipKindLabel(k), expected[k]) << k;
        EXPECT_EQ(ClipKindIconId(k), 133 + k);
    }
    EXPECT_EQ(ClipKindLabel(-1), nullptr);
    EXPECT_EQ(ClipKindLabel(14), nullptr);
}

TEST(ClipKind, ProvisionalKindsRankSoundImageTextOther)
{
    EXPECT_EQ(Classify({{TEXT, ""}, {UNICODETEXT, ""}}).nKind, CK_TEXT);
    EXPECT_FALSE(Classify({{TEXT, ""}, {UNICODETEXT, ""}}).bClassified);
    EXPECT_EQ(Classify({{DIB, ""}, {TEXT, ""}}).nKind, CK_IMAGE);
    EXPECT_EQ(Classify({{TEXT, ""}, {DIB, ""}}).nKind, CK_IMAGE);

    // Sound wins in any order.
    const std::vector<std::vector<Fmt>> orders = {
        {{WAVE, ""}, {TEXT, ""}, {DIB, ""}}, {{TEXT, ""}, {WAVE, ""}, {DIB, ""}},
        {{TEXT, ""}, {DIB, ""}, {WAVE, ""}}, {{DIB, ""}, {TEXT, ""}, {RIFF, ""}},
    };
    for (const auto& o : orders) {
        const Result r = Classify(o);
        EXPECT_EQ(r.nKind, CK_SOUND);
        EXPECT_EQ(r.strName, "Son");
        EXPECT_FALSE(r.bClassified);
    }

    // Every member of each set counts.
    for (std::uint32_t f : {TIFF, DIB, ENHMETAFILE, DSPBITMAP, DSPMETAFILEPICT, DSPENHMETAFILE})
        EXPECT_EQ(Classify({{TEXT, ""}, {f, ""}}).nKind, CK_IMAGE) << f;
    for (std::uint32_t f : {TEXT, UNICODETEXT, DSPTEXT})
        EXPECT_EQ(Classify({{HDROP, ""}, {f, ""}}).strName, "Texte") << f;

    // A lower format never lowers the kind, and writes no label.
    EXPECT_EQ(Classify({{WAVE, ""}, {HDROP, ""}}).nKind, CK_SOUND);
    const KindStep keep = NextClipKind(CK_IMAGE, TEXT, "", 0);
    EXPECT_FALSE(keep.bSetsKind);
    EXPECT_EQ(keep.nKind, CK_IMAGE);
}

TEST(ClipKind, OtherFormatsWriteAutreOnlyWhileKindIsZero)
{
    const Result hdrop = Classify({{HDROP, ""}});
    EXPECT_EQ(hdrop.nKind, CK_OTHER);
    EXPECT_EQ(hdrop.strName, "Autre");
    EXPECT_FALSE(hdrop.bClassified);

    EXPECT_TRUE(NextClipKind(CK_OTHER, DIF, "", 0).bSetsKind);
    EXPECT_FALSE(NextClipKind(CK_TEXT, DIF, "", 0).bSetsKind);

    // Registered names that match nothing change nothing, not even the name.
    const Result unmatched = Classify({{0xC001, "My Private Format"}, {0xC002, "Freehand"}});
    EXPECT_EQ(unmatched.nKind, CK_OTHER);
    EXPECT_EQ(unmatched.strName, "");
    EXPECT_FALSE(unmatched.bClassified);
}

TEST(ClipKind, RegisteredNamesDecideInTableOrder)
{
    struct Case {
        const char* name;
        int kind;
    } cases[] = {
        {"Shell IDList Array", CK_FILE},
        {"HTML Format", CK_HTML},
        {"UniformResourceLocator", CK_URL},
        {"UniformResourceLocatorW", CK_URL},
        {"Rich Text Format", CK_RTF},
        {"Rich Text Format Without Objects", CK_RTF},
        {"Jasc Paint Shop Pro 7", CK_PAINTSHOPPRO},
        {"DwHt", CK_DREAMWEAVER},
        {"xDwHtx", CK_DREAMWEAVER},
        {"Fireworks Internal Clipboard Format", CK_FIREWORKS},
        {"Flash Picture", CK_FLASH},
        {"FreeHand 10 data", CK_FREEHAND},
        // Two strings in one name: the earlier rule wins, whatever the kind values.
        {"Fireworks Internal Clipboard Format Flash Picture", CK_FLASH},
        {"Rich Text Format in HTML Format", CK_HTML},
    };
    for (const Case& c : cases) {
        const Result r = Classify({{0xC100, c.name}});
        EXPECT_EQ(r.nKind, c.kind) << c.name;
        EXPECT_EQ(r.strName, ClipKindLabel(c.kind)) << c.name;
        EXPECT_TRUE(r.bClassified) << c.name;
    }
}

TEST(ClipKind, MatchingIsCaseSensitive)
{
    for (const char* name : {"Freehand", "html format", "HTML FORMAT", "rich text format", "dwht"})
        EXPECT_FALSE(NextClipKind(CK_OTHER, 0xC100, name, std::string(name).size()).bSetsKind) << name;
}

TEST(ClipKind, FirstDecidingFormatClosesClassification)
{
    const Result html = Classify({{TEXT, ""}, {0xC001, "HTML Format"}, {UNICODETEXT, ""}});
    EXPECT_EQ(html.nKind, CK_HTML);
    EXPECT_EQ(html.strName, "HTML");
    EXPECT_TRUE(html.bClassified);

    EXPECT_EQ(Classify({{0xC002, "Rich Text Format"}, {0xC001, "HTML Format"}}).nKind, CK_RTF);
    // A deciding name overrides a provisional sound.
    EXPECT_EQ(Classify({{WAVE, ""}, {0xC001, "UniformResourceLocator"}}).nKind, CK_URL);
}

TEST(ClipKind, SylkEndsWithTableauEvenAfterSound)
{
    for (const auto& o : std::vector<std::vector<Fmt>>{{{SYLK, ""}}, {{WAVE, ""}, {SYLK, ""}},
                                                       {{TEXT, ""}, {DIB, ""}, {SYLK, ""}, {WAVE, ""}}}) {
        const Result r = Classify(o);
        EXPECT_EQ(r.nKind, CK_TABLE);
        EXPECT_EQ(r.strName, "Tableau");
        EXPECT_TRUE(r.bClassified);
    }
    // After a deciding format, SYLK changes nothing.
    EXPECT_EQ(Classify({{0xC001, "HTML Format"}, {SYLK, ""}}).nKind, CK_HTML);
}

TEST(ClipKind, OnlyTheGivenLengthOfTheNameIsRead)
{
    // The name is not zero-terminated at its length: nothing past it counts.
    const char name[] = "HTML FormaXHTML Format";
    EXPECT_FALSE(NextClipKind(CK_OTHER, 0xC100, name, 10).bSetsKind);
    EXPECT_TRUE(NextClipKind(CK_OTHER, 0xC100, name, sizeof name - 1).bSetsKind);
}

}  // namespace
