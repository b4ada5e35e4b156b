// The ordered record list.
#include "common/misc/CxList.h"

#include "platform/Assert.h"

#include <cstdlib>

namespace twinleaf {

CxList::~CxList() {
    Clear(false);
}

void* CxList::First() {
    m_nFindIndex = 0;
    m_pCurr = m_pHead;
    return m_pHead ? m_pHead->pData : nullptr;
}

void* CxList::Next() {
    if (m_nCount == 0 || m_nFindIndex >= m_nCount - 1) {
        return nullptr;
    }
    return GetAt(m_nFindIndex + 1);
}

void* CxList::GetAt(std::uint32_t index) {
    if (index >= m_nCount) {
        return nullptr;
    }
    m_pCurr = m_nodes[index];
    m_nFindIndex = index;
    return m_pCurr->pData;
}

bool CxList::Add(void* element) {
    if (element == nullptr) {
        return false;
    }
    auto* pContainer = static_cast<CxListNode*>(std::malloc(sizeof(CxListNode)));
    TL_ASSERT(pContainer);
    *pContainer = CxListNode{element, m_nCount, m_pTail, nullptr};
    m_nodes.push_back(pContainer);
    if (m_pTail != nullptr) {
        m_pTail->pNext = pContainer;
        m_pCurr = pContainer;
        m_nFindIndex = pContainer->nIndex;
        m_pTail = pContainer;
    } else {
        m_pHead = m_pTail = m_pCurr = pContainer;
    }
    ++m_nCount;
    return true;
}

void CxList::Clear(bool freeElements) {
    for (CxListNode* node = m_pHead; node != nullptr;) {
        CxListNode* next = node->pNext;
        if (freeElements && node->pData != nullptr) {
            std::free(node->pData);
        }
        std::free(node);
        node = next;
    }
    m_pHead = m_pTail = m_pCurr = nullptr;
    m_nodes.clear();
    m_nCount = 0;
    m_nFindIndex = 0;
}

} // namespace twinleaf
