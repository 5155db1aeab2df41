#include "clips/cliplist.h"

#include <cstdlib>

static_assert(sizeof(CClipList::Node) == 3 * sizeof(void*));

CClipList::CClipList(int nBlockSize) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}

CClipList::~CClipList() { RemoveAll(); }

CClipList::Node* CClipList::AddTail(CClip* pClip)
{
    if (m_pFreeNodes == nullptr) {
        // One block in one piece; its first node is handed out first.
        void* p = std::malloc(sizeof(Block) + sizeof(Node) * static_cast<std::size_t>(m_nBlockSize));
        if (p == nullptr)
            return nullptr;
        Block* pBlock = static_cast<Block*>(p);
        pBlock->pOlder = m_pBlocks;
        m_pBlocks = pBlock;
        Node* pNodes = pBlock->Nodes();
        for (int i = m_nBlockSize - 1; i >= 0; --i) {
            pNodes[i].pNext = m_pFreeNodes;
            pNodes[i].pPrev = nullptr;
            pNodes[i].pClip = nullptr;
            m_pFreeNodes = &pNodes[i];
        }
    }

    Node* pNode = m_pFreeNodes;
    m_pFreeNodes = pNode->pNext;

    pNode->pPrev = m_pTail;
    pNode->pNext = nullptr;
    pNode->pClip = pClip;
    if (m_pTail != nullptr)
        m_pTail->pNext = pNode;
    else
        m_pHead = pNode;
    m_pTail = pNode;
    ++m_nCount;
    return pNode;
}

void CClipList::RemoveAt(Node* pNode)
{
    if (pNode == m_pHead)
        m_pHead = pNode->pNext;
    else
        pNode->pPrev->pNext = pNode->pNext;
    if (pNode == m_pTail)
        m_pTail = pNode->pPrev;
    else
        pNode->pNext->pPrev = pNode->pPrev;

    pNode->pPrev = nullptr;
    pNode->pClip = nullptr;
    pNode->pNext = m_pFreeNodes;
    m_pFreeNodes = pNode;

    if (--m_nCount == 0)
        RemoveAll();
}

void CClipList::RemoveAll()
{
    m_pHead = m_pTail = nullptr;
    m_nCount = 0;
    m_pFreeNodes = nullptr;
    while (m_pBlocks != nullptr) {
        Block* pOlder = m_pBlocks->pOlder;
        std::free(m_pBlocks);
        m_pBlocks = pOlder;
    }
}

int CClipList::GetBlockCount() const
{
    int n = 0;
    for (const Block* p = m_pBlocks; p != nullptr; p = p->pOlder)
        ++n;
    return n;
}
