// One clipboard format's saved bytes inside a clip. Each record keeps its own
// committed pages (VirtualAlloc) and owns the rest of the chain after it.
#pragma once

#include <windows.h>

class CClipFormat {
public:
    // Copies dwSize bytes from pSrc into fresh private pages. With pSrc null,
    // or a size of 0, the record holds no data. When the pages cannot be had
    // the record holds no data and reports size 0: it never claims bytes it
    // does not have.
    CClipFormat(const void* pSrc, DWORD dwSize, UINT nFormat);
    virtual ~CClipFormat();
    // A record that takes over pages already filled (VirtualAlloc, dwSize
    // bytes, or null for none), for bytes that are written straight into
    // the record's own copy.
    static CClipFormat* Adopt(void* pPages, DWORD dwSize, UINT nFormat);
    CClipFormat(const CClipFormat&) = delete;
    CClipFormat& operator=(const CClipFormat&) = delete;

    // Called on the first record: appends a new record at the end of the chain.
    // Returns the new record.
    CClipFormat* Append(const void* pSrc, DWORD dwSize, UINT nFormat);
    // Appends a record made by Adopt. Returns it.
    CClipFormat* Append(CClipFormat* pRecord);

    CClipFormat* m_pNext;
    DWORD m_dwSize;
    UINT m_nFormat;
    void* m_pData;

private:
    CClipFormat(UINT nFormat, DWORD dwSize, void* pPages);
};
