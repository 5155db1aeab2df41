#include "clips/clipformat.h"

#include <cstring>

#include "base/sysapi.h"

CClipFormat::CClipFormat(const void* pSrc, DWORD dwSize, UINT nFormat)
    : m_pNext(nullptr), m_dwSize(dwSize), m_nFormat(nFormat), m_pData(nullptr)
{
    if (pSrc == nullptr || dwSize == 0)
        return;
    m_pData = Sys().VirtualAlloc(nullptr, dwSize, MEM_COMMIT, PAGE_READWRITE);
    if (m_pData == nullptr) {
        m_dwSize = 0;
        return;
    }
    std::memcpy(m_pData, pSrc, dwSize);
}

CClipFormat::CClipFormat(UINT nFormat, DWORD dwSize, void* pPages)
    : m_pNext(nullptr), m_dwSize(pPages != nullptr ? dwSize : 0), m_nFormat(nFormat), m_pData(pPages)
{
}

CClipFormat* CClipFormat::Adopt(void* pPages, DWORD dwSize, UINT nFormat)
{
    return new CClipFormat(nFormat, dwSize, pPages);
}

CClipFormat::~CClipFormat()
{
    if (m_pData != nullptr)
        Sys().VirtualFree(m_pData, 0, MEM_RELEASE);
    // Walk the rest of the chain here rather than by nested destruction, so
    // that a clip with thousands of formats cannot exhaust the stack. The
    // copies are still released from the head toward the tail.
    CClipFormat* p = m_pNext;
    while (p != nullptr) {
        CClipFormat* pNext = p->m_pNext;
        p->m_pNext = nullptr;
        delete p;
        p = pNext;
    }
}

CClipFormat* CClipFormat::Append(const void* pSrc, DWORD dwSize, UINT nFormat)
{
    return Append(new CClipFormat(pSrc, dwSize, nFormat));
}

CClipFormat* CClipFormat::Append(CClipFormat* pRecord)
{
    CClipFormat* pLast = this;
    while (pLast->m_pNext != nullptr)
        pLast = pLast->m_pNext;
    pLast->m_pNext = pRecord;
    return pRecord;
}
