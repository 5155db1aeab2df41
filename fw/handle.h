// One wrapper for the handles the framework keeps, with who destroys them in
// the type: CHandleT<H, true> owns its handle (it made or loaded it) and
// destroys it with itself; CHandleT<H, false> is a view of a handle that
// someone else owns and destroys nothing, so views can be copied freely.
// Windows are CWnd's own business (subclassing), see wnd.h.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace fw {

template <class H>
struct HandleTraits;

template <>
struct HandleTraits<HMENU> {
    static BOOL Destroy(HMENU h) { return ::DestroyMenu(h); }
};

template <>
struct HandleTraits<HIMAGELIST> {
    static BOOL Destroy(HIMAGELIST h) { return ::ImageList_Destroy(h); }
};

template <class H, bool t_bOwns>
class CHandleT {
public:
    CHandleT() = default;
    // A view of h, or (owning) h taken over.
    explicit CHandleT(H h) : m_h(h) {}
    ~CHandleT()
    {
        if constexpr (t_bOwns)
            Destroy();
    }
    CHandleT(const CHandleT&) requires(!t_bOwns) = default;
    CHandleT& operator=(const CHandleT&) requires(!t_bOwns) = default;

    // FALSE when the object already holds a handle, or h is null.
    BOOL Attach(H h)
    {
        if (m_h != nullptr || h == nullptr)
            return FALSE;
        m_h = h;
        return TRUE;
    }
    // Lets the handle go without destroying it.
    H Detach()
    {
        const H h = m_h;
        m_h = nullptr;
        return h;
    }
    // Destroys the handle now; only an owner may.
    BOOL Destroy() requires t_bOwns
    {
        return m_h != nullptr ? HandleTraits<H>::Destroy(Detach()) : FALSE;
    }

    H GetSafeHandle() const { return m_h; }
    operator H() const { return m_h; }

protected:
    H m_h = nullptr;
};

}  // namespace fw
