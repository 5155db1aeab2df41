// Failures the real clipboard cannot produce on demand, put in through the
// system-call table; everything around the failing call is the real code.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "clips/clip.h"
#include "clips/clipkind.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/heap_fault.h"

namespace {

// State shared with the captureless replacements below.
int g_nOpens, g_nCloses, g_nLocks, g_nAllocs, g_nFailAt;
UINT g_nTarget;
HANDLE g_hTarget;
SIZE_T g_nReportedSize;

BOOL WINAPI CountedOpen(HWND h)
{
    const BOOL r = ::OpenClipboard(h);
    g_nOpens += r ? 1 : 0;
    return r;
}
BOOL WINAPI CountedClose()
{
    ++g_nCloses;
    return ::CloseClipboard();
}
BOOL WINAPI RefuseOpen(HWND) { return FALSE; }

// Remembers the handle given for the target format.
HANDLE WINAPI WatchGetData(UINT f)
{
    HANDLE h = ::GetClipboardData(f);
    if (f == g_nTarget)
        g_hTarget = h;
    return h;
}
LPVOID WINAPI LockFailsForTarget(HGLOBAL h)
{
    ++g_nLocks;
    return h == g_hTarget ? nullptr : ::GlobalLock(h);
}
LPVOID WINAPI CountedLock(HGLOBAL h)
{
    ++g_nLocks;
    return ::GlobalLock(h);
}
SIZE_T WINAPI SizeLiesForTarget(HGLOBAL h) { return h == g_hTarget ? g_nReportedSize : ::GlobalSize(h); }
HGLOBAL WINAPI AllocFailsAtN(UINT flags, SIZE_T n)
{
    return ++g_nAllocs == g_nFailAt ? nullptr : ::GlobalAlloc(flags, n);
}

class ClipFaults : public ClipboardTest {
protected:
    void SetUp() override
    {
        ClipboardTest::SetUp();
        g_nOpens = g_nCloses = g_nLocks = g_nAllocs = g_nFailAt = 0;
        g_nTarget = 0;
        g_hTarget = nullptr;
        html = RegisterFormat("HTML Format");
        other = RegisterFormat("Trovelle Fault Target");
        ASSERT_TRUE(source.Offer({
            {CF_TEXT, TextBytes("un texte")},
            {other, PatternBytes(5000, 1)},
            {html, TextBytes("<p>html</p>")},
        }));
    }
    std::vector<UINT> Ids(const CClip& clip)
    {
        std::vector<UINT> ids;
        for (const CClipFormat* p = clip.m_pFirstFormat; p != nullptr; p = p->m_pNext)
            ids.push_back(p->m_nFormat);
        return ids;
    }
    const CClipFormat* Find(const CClip& clip, UINT f)
    {
        for (const CClipFormat* p = clip.m_pFirstFormat; p != nullptr; p = p->m_pNext)
            if (p->m_nFormat == f)
                return p;
        return nullptr;
    }
    // The record of `other` is kept, with no data.
    void ExpectOtherWithoutData(const CClip& clip)
    {
        const CClipFormat* rec = Find(clip, other);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->m_pData, nullptr);
        EXPECT_EQ(rec->m_dwSize, 0u);
        EXPECT_EQ(rec->m_nFormat, other);
    }
    // The total counts only the bytes held.
    static void ExpectTotalOfRecords(const CClip& clip)
    {
        DWORD sum = 0;
        for (const CClipFormat* p = clip.m_pFirstFormat; p != nullptr; p = p->m_pNext)
            sum += p->m_dwSize;
        EXPECT_EQ(clip.m_dwTotalSize, sum);
    }
    UINT html = 0, other = 0;
};

TEST_F(ClipFaults, ClipboardThatWillNotOpen)
{
    SysOverride<decltype(SysApi::CloseClipboard)> close(&SysApi::CloseClipboard, CountedClose);
    const std::vector<ReadFormat> before = ReadClipboard(reader.hwnd());
    CClip clip;
    {
        SysOverride<decltype(SysApi::OpenClipboard)> open(&SysApi::OpenClipboard, RefuseOpen);
        EXPECT_FALSE(clip.CaptureFromClipboard(keeper.hwnd()));
        EXPECT_EQ(clip.m_pFirstFormat, nullptr);
        EXPECT_EQ(clip.m_nKind, CK_OTHER);
        EXPECT_TRUE(clip.m_strName.IsEmpty());
        EXPECT_EQ(g_nCloses, 0);  // what was not opened is not closed
    }
    ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    EXPECT_EQ(g_nCloses, 1);
    {
        SysOverride<decltype(SysApi::OpenClipboard)> open(&SysApi::OpenClipboard, RefuseOpen);
        EXPECT_FALSE(clip.RestoreToClipboard(keeper.hwnd()));
    }
    EXPECT_EQ(ReadClipboard(reader.hwnd()), before);
    EXPECT_EQ(GetClipboardOwner(), source.hwnd());
}

TEST_F(ClipFaults, HandleThatCannotBeLockedIsLeftOutWithoutTrace)
{
    g_nTarget = html;
    SysOverride<decltype(SysApi::GetClipboardData)> get(&SysApi::GetClipboardData, WatchGetData);
    SysOverride<decltype(SysApi::GlobalLock)> lock(&SysApi::GlobalLock, LockFailsForTarget);
    CClip clip;
    ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    ASSERT_NE(g_hTarget, nullptr);
    EXPECT_EQ(Find(clip, html), nullptr);
    EXPECT_NE(Find(clip, CF_TEXT), nullptr);
    EXPECT_NE(Find(clip, other), nullptr);
    // Not classified: the HTML name never reached the rules.
    EXPECT_EQ(clip.m_nKind, CK_TEXT);
    EXPECT_FALSE(clip.m_bClassified);
    ExpectTotalOfRecords(clip);
}

TEST_F(ClipFaults, AllHandlesUnlockableStillSucceedsWithAnEmptyChain)
{
    SysOverride<decltype(SysApi::GlobalLock)> lock(&SysApi::GlobalLock, [](HGLOBAL) -> LPVOID { return nullptr; });
    SysOverride<decltype(SysApi::CloseClipboard)> close(&SysApi::CloseClipboard, CountedClose);
    CClip clip;
    EXPECT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    EXPECT_EQ(clip.m_pFirstFormat, nullptr);
    EXPECT_EQ(clip.m_dwTotalSize, 0u);
    EXPECT_EQ(g_nCloses, 1);

    // Such a clip has nothing to restore and leaves the clipboard alone.
    const std::vector<ReadFormat> before = ReadClipboard(reader.hwnd());
    EXPECT_FALSE(clip.RestoreToClipboard(keeper.hwnd()));
    EXPECT_EQ(ReadClipboard(reader.hwnd()), before);
}

TEST_F(ClipFaults, CopyMemoryThatCannotBeObtained)
{
    SysOverride<decltype(SysApi::VirtualAlloc)> va(
        &SysApi::VirtualAlloc, [](LPVOID a, SIZE_T n, DWORD t, DWORD p) -> LPVOID {
            return n == 5000 ? nullptr : ::VirtualAlloc(a, n, t, p);
        });
    CClip clip;
    ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    ExpectOtherWithoutData(clip);
    ExpectTotalOfRecords(clip);

    // Restored, the record announces its format without data.
    ASSERT_TRUE(clip.RestoreToClipboard(keeper.hwnd()));
    ASSERT_TRUE(OpenClipboard(reader.hwnd()));
    EXPECT_TRUE(IsClipboardFormatAvailable(other));
    EXPECT_EQ(GetClipboardData(other), nullptr);
    EXPECT_NE(GetClipboardData(html), nullptr);
    CloseClipboard();
}

TEST_F(ClipFaults, BlockReportingSizeZeroIsNotLocked)
{
    g_nTarget = other;
    g_nReportedSize = 0;
    SysOverride<decltype(SysApi::GetClipboardData)> get(&SysApi::GetClipboardData, WatchGetData);
    SysOverride<decltype(SysApi::GlobalSize)> size(&SysApi::GlobalSize, SizeLiesForTarget);
    SysOverride<decltype(SysApi::GlobalLock)> lock(&SysApi::GlobalLock, LockFailsForTarget);
    CClip clip;
    ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    ExpectOtherWithoutData(clip);
}

TEST_F(ClipFaults, BlockLargerThanFourGibibytesIsNeverTruncated)
{
    g_nTarget = other;
    g_nReportedSize = (SIZE_T{1} << 32) + 5000;  // would truncate to 5000
    SysOverride<decltype(SysApi::GetClipboardData)> get(&SysApi::GetClipboardData, WatchGetData);
    SysOverride<decltype(SysApi::GlobalSize)> size(&SysApi::GlobalSize, SizeLiesForTarget);
    SysOverride<decltype(SysApi::GlobalLock)> lock(&SysApi::GlobalLock, CountedLock);
    CClip clip;
    ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    EXPECT_EQ(Find(clip, other), nullptr);
    EXPECT_NE(Find(clip, html), nullptr);
    // The oversized block was not even locked: only the others were.
    EXPECT_EQ(g_nLocks, static_cast<int>(Ids(clip).size()));
}

TEST_F(ClipFaults, GlobalAllocFailingMidRestore)
{
    CClip clip;
    ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
    const std::vector<UINT> ids = Ids(clip);
    ASSERT_GE(ids.size(), 3u);
    const std::vector<ReadFormat> full = StorableOnly(ReadClipboard(reader.hwnd()));
    {
        g_nFailAt = 3;
        SysOverride<decltype(SysApi::GlobalAlloc)> alloc(&SysApi::GlobalAlloc, AllocFailsAtN);
        SysOverride<decltype(SysApi::CloseClipboard)> close(&SysApi::CloseClipboard, CountedClose);
        EXPECT_FALSE(clip.RestoreToClipboard(keeper.hwnd()));
        EXPECT_EQ(g_nCloses, 1);
    }
    // The formats before the failing one were placed; the clip is unchanged.
    const std::vector<ReadFormat> partial = StorableOnly(ReadClipboard(reader.hwnd()));
    ASSERT_GE(partial.size(), 2u);
    EXPECT_EQ(partial[0], full[0]);
    EXPECT_EQ(partial[1], full[1]);
    for (const ReadFormat& f : partial)
        EXPECT_NE(f.id, ids[2]);
    EXPECT_EQ(Ids(clip), ids);
    ASSERT_TRUE(clip.RestoreToClipboard(keeper.hwnd()));
    EXPECT_EQ(StorableOnly(ReadClipboard(reader.hwnd())), full);
}

TEST_F(ClipFaults, OnlySkippedFormatsOnTheClipboard)
{
    // The system synthesises a DIB from a bitmap, so a clipboard of skipped
    // formats alone can only be had through the table.
    static const UINT kOnly[] = {CF_BITMAP, CF_PALETTE, 0};
    SysOverride<decltype(SysApi::EnumClipboardFormats)> e(&SysApi::EnumClipboardFormats, [](UINT f) -> UINT {
        if (f == 0)
            return kOnly[0];
        for (int i = 0; kOnly[i] != 0; ++i)
            if (kOnly[i] == f)
                return kOnly[i + 1];
        return 0;
    });
    SysOverride<decltype(SysApi::CloseClipboard)> close(&SysApi::CloseClipboard, CountedClose);
    CClip clip;
    EXPECT_FALSE(clip.CaptureFromClipboard(keeper.hwnd()));
    EXPECT_EQ(clip.m_pFirstFormat, nullptr);
    EXPECT_EQ(g_nCloses, 1);
}

TEST_F(ClipFaults, ClipboardIsClosedOnEveryPath)
{
    SysOverride<decltype(SysApi::OpenClipboard)> open(&SysApi::OpenClipboard, CountedOpen);
    SysOverride<decltype(SysApi::CloseClipboard)> close(&SysApi::CloseClipboard, CountedClose);
    CClip clip;
    clip.CaptureFromClipboard(keeper.hwnd());
    clip.RestoreToClipboard(keeper.hwnd());
    {
        g_nFailAt = 1;
        SysOverride<decltype(SysApi::GlobalAlloc)> alloc(&SysApi::GlobalAlloc, AllocFailsAtN);
        clip.RestoreToClipboard(keeper.hwnd());
    }
    EmptyTheClipboard(reader.hwnd());
    CClip empty;
    empty.CaptureFromClipboard(keeper.hwnd());
    EXPECT_EQ(g_nOpens, 4);
    EXPECT_EQ(g_nCloses, 4);
}

// A nested call of ours that closes the clipboard while a capture reads it.
HANDLE WINAPI ClosesUnderTheTarget(UINT f)
{
    HANDLE h = ::GetClipboardData(f);
    if (f == g_nTarget)
        ::CloseClipboard();
    return h;
}

TEST_F(ClipFaults, AClipboardClosedUnderTheCaptureFailsItRatherThanKeepAPartClip)
{
    g_nTarget = other;
    SysOverride<decltype(SysApi::GetClipboardData)> get(&SysApi::GetClipboardData, ClosesUnderTheTarget);
    SysOverride<decltype(SysApi::CloseClipboard)> close(&SysApi::CloseClipboard, CountedClose);
    auto clip = std::make_unique<CClip>();
    EXPECT_FALSE(clip->CaptureFromClipboard(keeper.hwnd()));
    EXPECT_EQ(g_nCloses, 0);  // no longer ours to close
    EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
}

TEST_F(ClipFaults, AMetafileIsKeptWithoutTheHeapAndWithoutPagesHasNoData)
{
    const HENHMETAFILE hEmf = MakeMetafile(400);
    const Bytes bits = MetafileBits(hEmf);
    ASSERT_GT(bits.size(), 4096u);
    ASSERT_TRUE(OpenClipboard(source.hwnd()));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, GlobalFromBytes(TextBytes("avant")));
    SetClipboardData(CF_ENHMETAFILE, hEmf);
    CloseClipboard();

    {
        // Its bytes go straight into the record: the heap is not asked.
        HeapFault heap(bits.size());
        CClip clip;
        ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
        const CClipFormat* rec = Find(clip, CF_ENHMETAFILE);
        ASSERT_NE(rec, nullptr);
        ASSERT_EQ(rec->m_dwSize, bits.size());
        EXPECT_EQ(std::memcmp(rec->m_pData, bits.data(), bits.size()), 0);
        EXPECT_EQ(heap.Refused(), 0);
    }
    {
        // Without pages the record holds no data, like any copy that fails.
        g_nFailAt = static_cast<int>(bits.size());
        SysOverride<decltype(SysApi::VirtualAlloc)> va(&SysApi::VirtualAlloc,
                                                       [](LPVOID a, SIZE_T n, DWORD t, DWORD p) -> LPVOID {
                                                           return n == static_cast<SIZE_T>(g_nFailAt)
                                                                      ? nullptr
                                                                      : ::VirtualAlloc(a, n, t, p);
                                                       });
        CClip clip;
        ASSERT_TRUE(clip.CaptureFromClipboard(keeper.hwnd()));
        const CClipFormat* rec = Find(clip, CF_ENHMETAFILE);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->m_pData, nullptr);
        EXPECT_EQ(rec->m_dwSize, 0u);
        EXPECT_NE(Find(clip, CF_TEXT), nullptr);
    }
}

TEST_F(ClipFaults, AClipOfMoreThanFourGibibytesCountsThemAll)
{
    // Records announced without data still count their size.
    CClip clip;
    clip.AddFormat(nullptr, 0xC0000000u, CF_TEXT);
    clip.AddFormat(nullptr, 0xC0000000u, CF_DIB);
    EXPECT_EQ(clip.m_dwTotalSize, 0x180000000ull);
}

}  // namespace
