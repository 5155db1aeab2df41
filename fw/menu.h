// Menus. CMenu owns the menu it loads and destroys it; a CMenuHandle is a
// view (of a pop-up inside a menu, or of the menu a message names) that
// destroys nothing.
#pragma once

#include "fw/conv.h"
#include "fw/handle.h"

HINSTANCE AfxGetResourceHandle();

template <bool t_bOwns>
class CMenuT : public fw::CHandleT<HMENU, t_bOwns> {
public:
    using fw::CHandleT<HMENU, t_bOwns>::CHandleT;

    BOOL LoadMenu(UINT nIDResource) requires t_bOwns
    {
        return this->Attach(::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource)));
    }
    BOOL DestroyMenu() requires t_bOwns { return this->Destroy(); }
    HMENU GetSafeHmenu() const { return this->m_h; }

    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable) { return ::EnableMenuItem(this->m_h, nIDEnableItem, nEnable); }
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck) { return ::CheckMenuItem(this->m_h, nIDCheckItem, nCheck); }
    // The item's new text is UTF-8.
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr)
    {
        return ::ModifyMenuW(this->m_h, nPosition, nFlags, nIDNewItem,
                             lpszNewItem != nullptr ? static_cast<LPCWSTR>(CA2W(lpszNewItem)) : nullptr);
    }
    // The pop-up at that place, owned by this menu.
    CMenuT<false> GetSubMenu(int nPos) const { return CMenuT<false>(::GetSubMenu(this->m_h, nPos)); }
};

using CMenu = CMenuT<true>;
using CMenuHandle = CMenuT<false>;
