// Image lists. CImageList owns its image list and destroys it; a
// CImageListHandle is a view that destroys nothing. A list view without
// LVS_SHAREIMAGELISTS destroys the image lists it holds as well, so exactly
// one side may: take the list back from the control before the owner goes
// (SetImageList(nullptr, ...)), or Detach it and leave it to the control.
#pragma once

#include "fw/handle.h"

template <bool t_bOwns>
class CImageListT : public fw::CHandleT<HIMAGELIST, t_bOwns> {
public:
    using fw::CHandleT<HIMAGELIST, t_bOwns>::CHandleT;

    // A new image list, replacing (and destroying) the one held.
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) requires t_bOwns
    {
        this->Destroy();
        return this->Attach(::ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
    }
    // Appends a copy of the icon: the icon stays the caller's.
    int Add(HICON hIcon) { return ::ImageList_ReplaceIcon(this->m_h, -1, hIcon); }
};

using CImageList = CImageListT<true>;
using CImageListHandle = CImageListT<false>;
