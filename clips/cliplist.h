// The ordered list of stored clips, oldest first. Nodes come from blocks of ten
// that are all given back together when the list empties; a node's address is
// the handle the main window keeps in each list item. The list never deletes
// clips: whoever removes a node deletes its clip. Pure code.
#pragma once

class CClip;

class CClipList {
public:
    struct Node {
        Node* pNext;   // toward the tail; on a free node, the next free node
        Node* pPrev;   // toward the head
        CClip* pClip;  // the clip held
    };

    explicit CClipList(int nBlockSize = 10);
    ~CClipList();
    CClipList(const CClipList&) = delete;
    CClipList& operator=(const CClipList&) = delete;

    // Appends a clip and returns its node, or null when no node block could be
    // allocated (the list is then unchanged).
    Node* AddTail(CClip* pClip);
    void RemoveAt(Node* pNode);
    void RemoveAll();

    Node* GetHeadPosition() const { return m_pHead; }
    Node* GetTailPosition() const { return m_pTail; }
    int GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }

    // For tests and diagnostics: the free chain and the block chain.
    Node* GetFreeNodes() const { return m_pFreeNodes; }
    int GetBlockCount() const;

private:
    struct Block {
        Block* pOlder;
        // m_nBlockSize nodes follow
        Node* Nodes() { return reinterpret_cast<Node*>(this + 1); }
    };

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    int m_nCount = 0;
    Node* m_pFreeNodes = nullptr;
    Block* m_pBlocks = nullptr;
    int m_nBlockSize;
};
