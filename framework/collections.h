#pragma once
#include <windows.h>
#include <cstddef>

// Opaque position in a CList; null past the end.
struct __POSITION {};
using POSITION = __POSITION*;

// Doubly linked list with the framework's POSITION interface. The block size
// is accepted for compatibility; nodes are allocated one at a time.
template <class TYPE>
class CList {
public:
    explicit CList(INT_PTR /*nBlockSize*/ = 10) {}
    ~CList() { RemoveAll(); }
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;

    INT_PTR GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }

    POSITION AddTail(const TYPE& value)
    {
        Node* pNode = new Node{value, m_pTail, nullptr};
        (m_pTail ? m_pTail->pNext : m_pHead) = pNode;
        m_pTail = pNode;
        ++m_nCount;
        return ToPos(pNode);
    }

    POSITION GetHeadPosition() const { return ToPos(m_pHead); }
    TYPE& GetHead() { return m_pHead->value; }

    // Returns the element at pos and advances pos to the next one (null at the end).
    TYPE& GetNext(POSITION& pos) const
    {
        Node* pNode = ToNode(pos);
        pos = ToPos(pNode->pNext);
        return pNode->value;
    }

    TYPE& GetAt(POSITION pos) const { return ToNode(pos)->value; }

    void RemoveAt(POSITION pos)
    {
        Node* pNode = ToNode(pos);
        (pNode->pPrev ? pNode->pPrev->pNext : m_pHead) = pNode->pNext;
        (pNode->pNext ? pNode->pNext->pPrev : m_pTail) = pNode->pPrev;
        delete pNode;
        --m_nCount;
    }

    void RemoveAll()
    {
        while (m_pHead) {
            Node* pNext = m_pHead->pNext;
            delete m_pHead;
            m_pHead = pNext;
        }
        m_pTail = nullptr;
        m_nCount = 0;
    }

    POSITION Find(const TYPE& value, POSITION startAfter = nullptr) const
    {
        for (Node* pNode = startAfter ? ToNode(startAfter)->pNext : m_pHead; pNode; pNode = pNode->pNext) {
            if (pNode->value == value) return ToPos(pNode);
        }
        return nullptr;
    }

private:
    struct Node {
        TYPE value;
        Node* pPrev;
        Node* pNext;
    };
    static POSITION ToPos(Node* pNode) { return reinterpret_cast<POSITION>(pNode); }
    static Node* ToNode(POSITION pos) { return reinterpret_cast<Node*>(pos); }

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    INT_PTR m_nCount = 0;
};
