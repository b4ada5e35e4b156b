// CxList: the append-only ordered list every record collection is built on. Elements are untyped
// pointers; positions never change, because a list only grows until it is cleared as a whole, so a
// position is the index the rest of the program passes around to mean "the n-th record". One
// built-in cursor serves First/Next and GetAt. The nodes are also kept in position order, so that
// GetAt reaches any position in one step: a sync addresses records by position in no particular
// order, and a walk from the cursor would make each such call cost up to the list's length.
#pragma once

#include <cstdint>
#include <vector>

namespace twinleaf {

struct CxListNode {
    void* pData;
    std::uint32_t nIndex;
    CxListNode* pPrev;
    CxListNode* pNext;
};

class CxList {
public:
    CxList() = default;
    ~CxList();
    CxList(const CxList&) = delete;
    CxList& operator=(const CxList&) = delete;

    void* First();
    void* Next();
    void* GetAt(std::uint32_t index);
    bool Add(void* element);
    // Releases every node; with `freeElements` also every non-null element, which must then have
    // come from malloc.
    void Clear(bool freeElements);
    std::uint32_t GetCount() const { return m_nCount; }

private:
    CxListNode* m_pHead = nullptr;
    CxListNode* m_pTail = nullptr;
    CxListNode* m_pCurr = nullptr;
    std::vector<CxListNode*> m_nodes; // by position
    std::uint32_t m_nCount = 0;
    std::uint32_t m_nFindIndex = 0;
};

} // namespace twinleaf
