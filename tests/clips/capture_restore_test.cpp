// Capture and restore against Wine's real clipboard: a source window offers
// formats, the keeper captures and restores them, a third window reads them
// back as any other program would.
#include <gtest/gtest.h>

#include <cstring>

#include "clips/clip.h"
#include "clips/clipkind.h"
#include "tests/support/clipboard_fixture.h"

namespace {

std::vector<ReadFormat> Records(const CClip& clip)
{
    std::vector<ReadFormat> out;
    for (const CClipFormat* p = clip.m_pFirstFormat; p != nullptr; p = p->m_pNext) {
        ReadFormat r{p->m_nFormat, p->m_pData != nullptr, {}};
        if (p->m_pData != nullptr)
            r.bytes.assign(static_cast<const BYTE*>(p->m_pData), static_cast<const BYTE*>(p->m_pData) + p->m_dwSize);
        out.push_back(std::move(r));
    }
    return out;
}

DWORD SumOfSizes(const CClip& clip)
{
    DWORD n = 0;
    for (const CClipFormat* p = clip.m_pFirstFormat; p != nullptr; p = p->m_pNext)
        n += p->m_dwSize;
    return n;
}

using CaptureRestore = ClipboardTest;

TEST_F(CaptureRestore, EveryStorableFormatComesBackByteForByteInOrder)
{
    HENHMETAFILE emf = MakeMetafile(5);
    const std::vector<SourceFormat> offered = {
        {CF_TEXT, TextBytes("Bonjour, \xe9t\xe9 \xe0 Paris")},
        {RegisterFormat("HTML Format"), TextBytes("Version:0.9\r\n<b>gras</b>")},
        {RegisterFormat("Rich Text Format Without Objects"), TextBytes("{\\rtf1 texte}")},
        {RegisterFormat("Trovelle Unmatched Name"), PatternBytes(333, 1)},
        {RegisterFormat("Trovelle Size 0"), {}},
        {RegisterFormat("Trovelle Size 1"), PatternBytes(1, 2)},
        {RegisterFormat("Trovelle Size 4096"), PatternBytes(4096, 3)},
        {RegisterFormat("Trovelle Size 4097"), PatternBytes(4097, 4)},
        {CF_DIB, PatternBytes(40 + 16 * 16 * 4, 5)},
        {CF_ENHMETAFILE, MetafileBits(emf)},
        {CF_HDROP, PatternBytes(64, 6)},
        {CF_SYLK + 100, PatternBytes(17, 7)},  // an unnamed id in the stored range
    };
    DeleteEnhMetaFile(emf);
    source.Offer(offered);

    const std::vector<ReadFormat> before = StorableOnly(ReadClipboard(reader.hwnd()));
    ASSERT_GE(before.size(), offered.size() - 1);  // a 0-byte block may not be accepted at all

    CClip clip;
    ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    EXPECT_EQ(Records(clip), before);
    EXPECT_EQ(clip.m_dwTotalSize, SumOfSizes(clip));
    EXPECT_EQ(clip.m_nKind, CK_HTML);
    EXPECT_TRUE(clip.m_strName == "HTML");

    ASSERT_TRUE(EmptyTheClipboard(reader.hwnd()));
    ASSERT_TRUE(ReadClipboard(reader.hwnd()).empty());

    ASSERT_TRUE(clip.RestoreToClipboard(keeper.hwnd()));
    EXPECT_EQ(GetClipboardOwner(), keeper.hwnd());
    EXPECT_EQ(StorableOnly(ReadClipboard(reader.hwnd())), before);

    // Twice gives the same clipboard, and the clip itself is unchanged.
    ASSERT_TRUE(clip.RestoreToClipboard(keeper.hwnd()));
    EXPECT_EQ(StorableOnly(ReadClipboard(reader.hwnd())), before);
    EXPECT_EQ(Records(clip), before);
}

TEST_F(CaptureRestore, SixtyFourMebibyteFormat)
{
    const std::size_t kSize = 64u << 20;
    const UINT fmt = RegisterFormat("Trovelle Large Block");
    source.Offer({{CF_TEXT, TextBytes("gros")}, {fmt, PatternBytes(kSize, 9)}});

    CClip clip;
    ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    const CClipFormat* big = clip.m_pFirstFormat;
    while (big != nullptr && big->m_nFormat != fmt)
        big = big->m_pNext;
    ASSERT_NE(big, nullptr);
    ASSERT_EQ(big->m_dwSize, kSize);
    const Bytes expected = PatternBytes(kSize, 9);
    EXPECT_EQ(std::memcmp(big->m_pData, expected.data(), kSize), 0);
    EXPECT_EQ(clip.m_dwTotalSize, SumOfSizes(clip));

    ASSERT_TRUE(EmptyTheClipboard(reader.hwnd()));
    ASSERT_TRUE(clip.RestoreToClipboard(keeper.hwnd()));
    ASSERT_TRUE(OpenClipboard(reader.hwnd()));
    HANDLE h = GetClipboardData(fmt);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(GlobalSize(h), kSize);
    EXPECT_EQ(std::memcmp(GlobalLock(h), expected.data(), kSize), 0);
    GlobalUnlock(h);
    CloseClipboard();
}

TEST_F(CaptureRestore, SkippedFormatsAreNeverStored)
{
    const UINT privateId = CF_PRIVATEFIRST + 0x20;
    source.Offer({
        {CF_LOCALE, {0x0C, 0x04, 0, 0}},
        {privateId, PatternBytes(8, 1)},
        {CF_OWNERDISPLAY, {}, SourceFormat::Delayed},
        {CF_TEXT, TextBytes("texte")},
        {CF_OEMTEXT, TextBytes("texte")},
        {CF_UNICODETEXT, {'t', 0, 'e', 0, 'x', 0, 0, 0}},
    });

    CClip clip;
    ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    std::vector<UINT> ids;
    for (const CClipFormat* p = clip.m_pFirstFormat; p != nullptr; p = p->m_pNext)
        ids.push_back(p->m_nFormat);
    EXPECT_EQ(ids, (std::vector<UINT>{CF_TEXT, CF_UNICODETEXT}));
    EXPECT_EQ(clip.m_dwTotalSize, 6u + 8u);
    EXPECT_EQ(clip.m_nKind, CK_TEXT);
    EXPECT_FALSE(clip.m_bClassified);

    for (UINT id = 0; id < 0x10000; ++id) {
        const bool skipped = id == CF_BITMAP || id == CF_METAFILEPICT || id == CF_OEMTEXT || id == CF_PALETTE ||
                             id == CF_LOCALE || id == CF_OWNERDISPLAY || (id >= 0x200 && id <= 0x3FF);
        ASSERT_EQ(CClip::IsSkippedFormat(id), skipped) << id;
    }
}

TEST_F(CaptureRestore, EmptyClipboardCapturesNothing)
{
    CClip clip;
    EXPECT_FALSE(clip.CaptureFromClipboard(keeper.hwnd()));
    EXPECT_EQ(clip.m_pFirstFormat, nullptr);
    EXPECT_EQ(clip.m_dwTotalSize, 0u);
    EXPECT_TRUE(clip.m_strName.IsEmpty());
    // The clipboard was closed again.
    EXPECT_TRUE(EmptyTheClipboard(reader.hwnd()));
}

TEST_F(CaptureRestore, DelayedRenderingAndFormatsAnnouncedWithoutData)
{
    const UINT html = RegisterFormat("HTML Format");
    const UINT nothing = RegisterFormat("Trovelle Never Rendered");
    source.Offer({
        {CF_TEXT, TextBytes("rendu plus tard"), SourceFormat::Delayed},
        {nothing, {}, SourceFormat::Refused},
        {html, TextBytes("<i>plus tard</i>"), SourceFormat::Delayed},
    });

    CClip clip;
    ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    EXPECT_GE(source.RenderRequests(), 3);
    const std::vector<ReadFormat> records = Records(clip);
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[0], (ReadFormat{CF_TEXT, true, TextBytes("rendu plus tard")}));
    EXPECT_EQ(records[1], (ReadFormat{nothing, false, {}}));
    EXPECT_EQ(records[2], (ReadFormat{html, true, TextBytes("<i>plus tard</i>")}));
    EXPECT_EQ(clip.m_pFirstFormat->m_pNext->m_dwSize, 0u);
    EXPECT_EQ(clip.m_nKind, CK_HTML);

    ASSERT_TRUE(clip.RestoreToClipboard(keeper.hwnd()));
    const std::vector<ReadFormat> back = StorableOnly(ReadClipboard(reader.hwnd()));
    EXPECT_EQ(back, records);
    ASSERT_TRUE(OpenClipboard(reader.hwnd()));
    EXPECT_TRUE(IsClipboardFormatAvailable(nothing));
    EXPECT_EQ(GetClipboardData(nothing), nullptr);
    CloseClipboard();
}

TEST_F(CaptureRestore, EnhancedMetafileKeepsItsPictureNotItsHandle)
{
    HENHMETAFILE emf = MakeMetafile(40);
    const Bytes bits = MetafileBits(emf);
    ASSERT_GT(bits.size(), sizeof(HANDLE));
    ASSERT_TRUE(OpenClipboard(source.hwnd()));
    EmptyClipboard();
    SetClipboardData(CF_ENHMETAFILE, emf);
    HBITMAP bmp = CreateBitmap(8, 8, 1, 32, nullptr);
    SetClipboardData(CF_DSPBITMAP, bmp);
    CloseClipboard();

    CClip clip;
    ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    const std::vector<ReadFormat> records = Records(clip);
    bool sawEmf = false;
    for (const ReadFormat& r : records) {
        EXPECT_NE(r.id, static_cast<UINT>(CF_DSPBITMAP)) << "a bitmap handle was stored as data";
        if (r.id == CF_ENHMETAFILE) {
            sawEmf = true;
            EXPECT_EQ(r.bytes, bits);
        }
    }
    EXPECT_TRUE(sawEmf);
    EXPECT_EQ(clip.m_nKind, CK_IMAGE);

    ASSERT_TRUE(EmptyTheClipboard(reader.hwnd()));
    ASSERT_TRUE(clip.RestoreToClipboard(keeper.hwnd()));
    ASSERT_TRUE(OpenClipboard(reader.hwnd()));
    HANDLE h = GetClipboardData(CF_ENHMETAFILE);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(MetafileBits(static_cast<HENHMETAFILE>(h)), bits);
    CloseClipboard();
}

TEST_F(CaptureRestore, ManyFormatsAndDeletingReleasesEveryCopy)
{
    std::vector<SourceFormat> offered;
    for (int i = 0; i < 300; ++i) {
        char name[64];
        wsprintfA(name, "Trovelle Many %d", i);
        offered.push_back({RegisterFormat(name), PatternBytes(16 + static_cast<std::size_t>(i) * 13, i)});
    }
    ASSERT_TRUE(source.Offer(offered));

    CopyCounter copies;
    {
        CClip clip;
        ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
        EXPECT_EQ(copies.Live(), 300);
        std::size_t n = 0;
        for (const CClipFormat* p = clip.m_pFirstFormat; p != nullptr; p = p->m_pNext, ++n)
            ASSERT_EQ(p->m_nFormat, offered[n].id);
        EXPECT_EQ(n, 300u);
    }
    EXPECT_EQ(copies.Live(), 0);
}

}  // namespace
