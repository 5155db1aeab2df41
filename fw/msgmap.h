// Message maps with the classic spelling. DECLARE_MESSAGE_MAP() declares one
// virtual function, OnWndMsg; BEGIN_MESSAGE_MAP ... END_MESSAGE_MAP define it
// as a chain of tests, one per entry, that ends in the base class's map. A
// handler that matches takes the message: OnWndMsg returns TRUE with the
// result in *pResult. A message nobody takes goes to the default procedure.
//
// Entries call their handlers directly, so the compiler checks every
// handler's signature and the base class's handler is found as usual.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <type_traits>

// The root of everything that has a message map: windows and the application.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    virtual BOOL OnWndMsg(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }
};

#define DECLARE_MESSAGE_MAP()                                                              \
protected:                                                                                 \
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                             \
    BOOL theClass::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) \
    {                                                                                      \
        using ThisClass [[maybe_unused]] = theClass;                                       \
        using TheBaseClass = baseClass;

#define END_MESSAGE_MAP()                                            \
        return TheBaseClass::OnWndMsg(message, wParam, lParam, pResult); \
    }

// Menu and accelerator commands (code 0 or 1 without a control) and the
// code-0 notification of controls, which is BN_CLICKED.
#define AFX_IS_COMMAND(id)                                                  \
    (message == WM_COMMAND && LOWORD(wParam) == static_cast<WORD>(id) &&   \
     (HIWORD(wParam) == 0 || (HIWORD(wParam) == 1 && lParam == 0)))

#define ON_COMMAND(id, memberFxn) \
    if (AFX_IS_COMMAND(id)) {     \
        memberFxn();              \
        *pResult = 0;             \
        return TRUE;              \
    }

#define ON_BN_CLICKED(id, memberFxn)                                                      \
    if (message == WM_COMMAND && LOWORD(wParam) == static_cast<WORD>(id) &&              \
        HIWORD(wParam) == BN_CLICKED) {                                                   \
        memberFxn();                                                                      \
        *pResult = 0;                                                                     \
        return TRUE;                                                                      \
    }

// A notification handler takes the structure it reads (NMHDR, or one that
// begins with it: NMLISTVIEW, NMLVDISPINFO...), so that the map knows how
// much of it must be readable before the handler runs. The entry is the
// control's that is nID in this window: a notification of another window's
// control of the same id (an owned dialog's list) does not reach it.
template <class T, class N>
constexpr std::size_t AfxNotifySize(void (T::*)(N*, LRESULT*))
{
    static_assert(std::is_standard_layout_v<N> && sizeof(N) >= sizeof(NMHDR), "a notification begins with NMHDR");
    return sizeof(N);
}
template <class T, class N>
N* AfxNotifyStruct(void (T::*)(N*, LRESULT*), LPARAM lParam)
{
    return reinterpret_cast<N*>(lParam);
}
// Whether every byte of the block lies in committed, readable memory of this
// process. A pointer from another program's message may name anything.
bool AfxIsReadable(const void* p, std::size_t cb);
// Whether psz is null, or a text of at most nMaxChars characters followed by
// its terminator, every character of it readable here.
bool AfxIsTextWithin(const char* psz, std::size_t nMaxChars);
bool AfxIsTextWithin(const wchar_t* psz, std::size_t nMaxChars);
// The text a notification's structure points to, for ON_NOTIFY_TEXT.
inline const char* AfxNotifyText(const NMLVDISPINFOA* p) { return p->item.pszText; }
inline const wchar_t* AfxNotifyText(const NMLVDISPINFOW* p) { return p->item.pszText; }

#define AFX_IS_NOTIFY(wNotifyCode, id, memberFxn) \
    (message == WM_NOTIFY &&                      \
     IsNotifyFrom(lParam, static_cast<UINT>(wNotifyCode), id, AfxNotifySize(&ThisClass::memberFxn)))

#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                 \
    if (AFX_IS_NOTIFY(wNotifyCode, id, memberFxn)) {                          \
        *pResult = 0;                                                         \
        memberFxn(AfxNotifyStruct(&ThisClass::memberFxn, lParam), pResult);   \
        return TRUE;                                                          \
    }

// The same for a handler that also reads the text its structure points to:
// it runs only when that text (if any) can be read here and holds at most
// nMaxChars characters; any other gets the default processing.
#define ON_NOTIFY_TEXT(wNotifyCode, id, memberFxn, nMaxChars)                                      \
    if (AFX_IS_NOTIFY(wNotifyCode, id, memberFxn) &&                                               \
        AfxIsTextWithin(AfxNotifyText(AfxNotifyStruct(&ThisClass::memberFxn, lParam)), nMaxChars)) { \
        *pResult = 0;                                                                              \
        memberFxn(AfxNotifyStruct(&ThisClass::memberFxn, lParam), pResult);                        \
        return TRUE;                                                                               \
    }

#define ON_MESSAGE(msg, memberFxn)                \
    if (message == static_cast<UINT>(msg)) {      \
        *pResult = memberFxn(wParam, lParam);     \
        return TRUE;                              \
    }

#define AFX_ON_VOID(msg, call) \
    if (message == (msg)) {    \
        call;                  \
        *pResult = 0;          \
        return TRUE;           \
    }

#define ON_WM_PAINT() AFX_ON_VOID(WM_PAINT, OnPaint())
#define ON_WM_SIZE() AFX_ON_VOID(WM_SIZE, OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_SYSCOMMAND() AFX_ON_VOID(WM_SYSCOMMAND, OnSysCommand(static_cast<UINT>(wParam), lParam))
// The menu is seen through a view: it stays its owner's.
#define ON_WM_INITMENU()                                                  \
    if (message == WM_INITMENU) {                                         \
        CMenuHandle menuView(reinterpret_cast<HMENU>(wParam));            \
        OnInitMenu(&menuView);                                            \
        *pResult = 0;                                                     \
        return TRUE;                                                      \
    }
#define ON_WM_DRAWCLIPBOARD() AFX_ON_VOID(WM_DRAWCLIPBOARD, OnDrawClipboard())
#define ON_WM_CHANGECBCHAIN() \
    AFX_ON_VOID(WM_CHANGECBCHAIN, OnChangeCbChain(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam)))
#define ON_WM_DESTROYCLIPBOARD() AFX_ON_VOID(WM_DESTROYCLIPBOARD, OnDestroyClipboard())
// A clipboard format listener's notice (no parameters).
#define ON_WM_CLIPBOARDUPDATE() AFX_ON_VOID(WM_CLIPBOARDUPDATE, OnClipboardUpdate())
#define ON_WM_TIMER() AFX_ON_VOID(WM_TIMER, OnTimer(static_cast<UINT_PTR>(wParam)))
// TRUE lets the session end.
#define ON_WM_QUERYENDSESSION()                                    \
    if (message == WM_QUERYENDSESSION) {                           \
        *pResult = OnQueryEndSession();                            \
        return TRUE;                                               \
    }
#define ON_WM_ENDSESSION() AFX_ON_VOID(WM_ENDSESSION, OnEndSession(wParam != FALSE))
// Client coordinates are signed: a point left of or above the client area is negative.
#define ON_WM_RBUTTONDBLCLK()                                                     \
    AFX_ON_VOID(WM_RBUTTONDBLCLK,                                                 \
                OnRButtonDblClk(static_cast<UINT>(wParam),                       \
                                CPoint(static_cast<short>(LOWORD(lParam)),       \
                                       static_cast<short>(HIWORD(lParam)))))

// The point is in screen coordinates; (-1, -1) when the keyboard asked for
// the menu (the context-menu key, Shift+F10).
#define ON_WM_CONTEXTMENU()                                                       \
    AFX_ON_VOID(WM_CONTEXTMENU,                                                   \
                OnContextMenu(reinterpret_cast<HWND>(wParam),                    \
                              CPoint(static_cast<short>(LOWORD(lParam)),         \
                                     static_cast<short>(HIWORD(lParam)))))

#define ON_WM_QUERYDRAGICON()                                             \
    if (message == WM_QUERYDRAGICON) {                                    \
        *pResult = reinterpret_cast<LRESULT>(OnQueryDragIcon());          \
        return TRUE;                                                      \
    }
