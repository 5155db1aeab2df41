// CImageList owns its image list and destroys it. A list view without
// LVS_SHAREIMAGELISTS destroys the image lists it holds as well, so exactly
// one side may: take the list back from the control before the object goes
// (SetImageList(nullptr, ...)), or Detach it and leave it to the control.
#pragma once

#include <windows.h>

#include <commctrl.h>

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;

    // A temporary wrapper that owns nothing (see tempmap.h), or null.
    static CImageList* FromHandle(HIMAGELIST hImageList);

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    // Appends a copy of the icon: the icon stays the caller's.
    int Add(HICON hIcon) { return ::ImageList_ReplaceIcon(m_hImageList, -1, hIcon); }
    int Replace(int nImage, HICON hIcon) { return ::ImageList_ReplaceIcon(m_hImageList, nImage, hIcon); }
    int GetImageCount() const { return ::ImageList_GetImageCount(m_hImageList); }
};
