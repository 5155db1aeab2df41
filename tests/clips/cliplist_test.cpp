#include "clips/cliplist.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Clips are only carried, never touched, by the list: stand-ins will do.
CClip* FakeClip(int i)
{
    static char slots[64];
    return reinterpret_cast<CClip*>(&slots[i]);
}

std::vector<CClip*> Forward(const CClipList& list)
{
    std::vector<CClip*> out;
    for (auto* p = list.GetHeadPosition(); p != nullptr; p = p->pNext)
        out.push_back(p->pClip);
    return out;
}

std::vector<CClip*> Backward(const CClipList& list)
{
    std::vector<CClip*> out;
    for (auto* p = list.GetTailPosition(); p != nullptr; p = p->pPrev)
        out.insert(out.begin(), p->pClip);
    return out;
}

void ExpectOrder(const CClipList& list, std::vector<int> ids)
{
    std::vector<CClip*> expected;
    for (int i : ids)
        expected.push_back(FakeClip(i));
    EXPECT_EQ(Forward(list), expected);
    EXPECT_EQ(Backward(list), expected);
    EXPECT_EQ(list.GetCount(), static_cast<int>(ids.size()));
    if (!ids.empty()) {
        EXPECT_EQ(list.GetHeadPosition()->pPrev, nullptr);
        EXPECT_EQ(list.GetTailPosition()->pNext, nullptr);
    }
}

void ExpectReleased(const CClipList& list)
{
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_EQ(list.GetTailPosition(), nullptr);
    EXPECT_EQ(list.GetFreeNodes(), nullptr);
    EXPECT_EQ(list.GetBlockCount(), 0);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(ClipList, NodesComeFromBlocksOfTenInOrder)
{
    CClipList list;
    std::vector<CClipList::Node*> nodes;
    for (int i = 0; i < 10; ++i)
        nodes.push_back(list.AddTail(FakeClip(i)));
    EXPECT_EQ(list.GetBlockCount(), 1);
    EXPECT_EQ(list.GetFreeNodes(), nullptr);
    // The first node of a block is handed out first: consecutive addresses.
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(nodes[i], nodes[0] + i);

    nodes.push_back(list.AddTail(FakeClip(10)));
    EXPECT_EQ(list.GetBlockCount(), 2);
    ExpectOrder(list, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});

    for (auto* n : nodes)
        list.RemoveAt(n);
    ExpectReleased(list);
}

TEST(ClipList, RemovedNodeIsReusedFirst)
{
    CClipList list;
    list.AddTail(FakeClip(0));
    CClipList::Node* middle = list.AddTail(FakeClip(1));
    list.AddTail(FakeClip(2));
    list.RemoveAt(middle);
    EXPECT_EQ(list.GetFreeNodes(), middle);
    CClipList::Node* again = list.AddTail(FakeClip(3));
    EXPECT_EQ(again, middle);
    EXPECT_EQ(list.GetBlockCount(), 1);
    ExpectOrder(list, {0, 2, 3});
}

TEST(ClipList, RemovingTheOnlyClipReleasesTheBlock)
{
    CClipList list;
    CClipList::Node* only = list.AddTail(FakeClip(0));
    list.RemoveAt(only);
    ExpectReleased(list);
    // The next node comes from a new block.
    CClipList::Node* next = list.AddTail(FakeClip(1));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(list.GetBlockCount(), 1);
    ExpectOrder(list, {1});
}

TEST(ClipList, RelinksAfterRemovingHeadTailAndMiddle)
{
    CClipList list;
    std::vector<CClipList::Node*> n;
    for (int i = 0; i < 5; ++i)
        n.push_back(list.AddTail(FakeClip(i)));

    list.RemoveAt(n[0]);
    ExpectOrder(list, {1, 2, 3, 4});
    list.RemoveAt(n[4]);
    ExpectOrder(list, {1, 2, 3});
    list.RemoveAt(n[2]);
    ExpectOrder(list, {1, 3});
    // Nodes keep denoting their clips whatever happens around them.
    EXPECT_EQ(n[1]->pClip, FakeClip(1));
    EXPECT_EQ(n[3]->pClip, FakeClip(3));
    // The free chain holds the three removed nodes, last removed first.
    EXPECT_EQ(list.GetFreeNodes(), n[2]);
    EXPECT_EQ(n[2]->pNext, n[4]);
    EXPECT_EQ(n[4]->pNext, n[0]);
}

TEST(ClipList, RemoveAllReleasesEverythingButLeavesClipsAlone)
{
    CClipList list;
    for (int i = 0; i < 25; ++i)
        list.AddTail(FakeClip(i));
    EXPECT_EQ(list.GetBlockCount(), 3);
    list.RemoveAll();
    ExpectReleased(list);
    list.RemoveAll();  // twice is harmless
    ExpectReleased(list);
}

TEST(ClipList, ManyClipsStayLinear)
{
    // Adding and removing thousands of clips touches each node a constant
    // number of times; the list stays consistent throughout.
    CClipList list;
    std::vector<CClipList::Node*> n;
    for (int i = 0; i < 5000; ++i)
        n.push_back(list.AddTail(FakeClip(i % 64)));
    EXPECT_EQ(list.GetBlockCount(), 500);
    for (std::size_t i = 0; i < n.size(); i += 2)
        list.RemoveAt(n[i]);
    EXPECT_EQ(list.GetCount(), 2500);
    int walked = 0;
    for (auto* p = list.GetHeadPosition(); p != nullptr; p = p->pNext)
        ++walked;
    EXPECT_EQ(walked, 2500);
    for (std::size_t i = 1; i < n.size(); i += 2)
        list.RemoveAt(n[i]);
    ExpectReleased(list);
}

}  // namespace
