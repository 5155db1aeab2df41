// CWnd: a window handle with a message map. A window becomes "ours" by
// subclassing (SubclassWindow, SubclassDlgItem, Create) or, for a dialog, by
// being created from a CDialog: its messages then go through OnWndMsg, and
// FromHandlePermanent finds the object again. The object is found from the
// window itself (a window property, or DWLP_USER for dialogs), never from a
// global table, and is let go at WM_NCDESTROY. Windows that are not ours are
// named by their handles, or seen for a while through a CWndView.
#pragma once

#include <windows.h>

#include <cstddef>

#include "base/cstring.h"
#include "fw/menu.h"
#include "fw/msgmap.h"
#include "fw/rect.h"

// <windowsx.h> has a macro of this name.
#undef SubclassWindow

class CDataExchange;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    // A window still attached is destroyed with its object, as the classic
    // framework does; views (CWndView) are detached first.
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }

    // Our object for the window, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Attach only sets m_hWnd: messages do not come through the map.
    BOOL Attach(HWND hWndNew);
    // Also gives a subclassed window back its own procedure.
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);

    // Creates a child window of an existing class and subclasses it at once,
    // so its map sees every message after creation. Like every text of the
    // framework, the window's name is UTF-8.
    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID);
    virtual BOOL DestroyWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    BOOL GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const { return ::GetWindowPlacement(m_hWnd, lpwndpl); }
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl) { return ::SetWindowPlacement(m_hWnd, lpwndpl); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, HRGN hrgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
    {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

    // The whole text of any window, however long, in any script: the
    // caption of another program's window, a control's text.
    static CString GetWindowTextOf(HWND hWnd);
    static CString GetClassNameOf(HWND hWnd);

    // The DPI the window is shown at: the window's own where the system
    // tells it (a program aware of each monitor's scale), else the screen's.
    UINT GetDpi() const;
    // A size given in pixels at 96 DPI (100 %), at nDpi.
    static int ScaleForDpi(int nPixels, UINT nDpi) { return ::MulDiv(nPixels, static_cast<int>(nDpi), 96); }
    // A system metric (an icon's size, say) at nDpi.
    static int GetSystemMetricsForDpi(int nIndex, UINT nDpi);
    void SetWindowText(LPCSTR lpszString);
    // In characters as the window counts them (UTF-16 units).
    int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }

    // Data exchange between the controls and the members (DoDataExchange);
    // FALSE when a validation failed, the user having been told.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Offered every message of a modal loop whose target is this window or
    // one of its descendants, before translation; TRUE takes it.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Offers the message to each of our windows from its target up to
    // hWndStop (by GetParent, so owners too), until one takes it.
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);

    // The default processing of the message being handled now.
    LRESULT Default();

    // The window that should own a modal window or a message box: the given
    // parent's top-level window, or else the main window's (or the active
    // window's) last active pop-up.
    static HWND GetSafeOwner_(HWND hParent);

    // The window procedure of subclassed windows.
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // The previous procedure of a subclassed window, or the system's default.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Unhandled commands go on to the application's map.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // Runs the map with the message recorded for Default().
    BOOL Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Whether a WM_NOTIFY's header can be read here and comes from a window
    // of this thread that is this one, a descendant, or a pop-up owned by it
    // or by its top-level window.
    bool IsNotifyHeard(LPARAM lParam) const;
    // Whether a notification heard is nCode from the control that is nID in
    // this window (or a pop-up of ours of that id, where no control has it),
    // with its whole structure of cbStruct bytes readable here.
    bool IsNotifyFrom(LPARAM lParam, UINT nCode, UINT_PTR nID, std::size_t cbStruct) const;
    // Answers the program that sent the message being handled from another
    // thread, when it is this very message, so that what the handler does
    // next (a modal dialog) does not keep that program waiting. Nothing for
    // a message that was not sent so, or that was answered already.
    void ReplyToSender(LRESULT lResult = 0);

    // The base handlers: the message's default processing, for a derived
    // handler that wants it (CDialog::OnSysCommand(nID, lParam) and so on).
    void OnPaint() { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    void OnInitMenu(CMenuHandle*) { Default(); }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    void OnDrawClipboard() { Default(); }
    void OnChangeCbChain(HWND, HWND) { Default(); }
    void OnDestroyClipboard() { Default(); }
    void OnClipboardUpdate() { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    BOOL OnQueryEndSession() { return static_cast<BOOL>(Default()); }
    void OnEndSession(bool) { Default(); }
    void OnRButtonDblClk(UINT, CPoint) { Default(); }
    void OnContextMenu(HWND, CPoint) { Default(); }

private:
    HWND UnsubclassWindow();

    WNDPROC m_pfnSuper = nullptr;
    MSG m_msgCur{};
    bool m_bCurSentHere = false;
};

// A window that is not ours, seen through a wrapper of its class for the life
// of a block: it neither subclasses nor destroys the window.
template <class T>
class CWndView : public T {
public:
    explicit CWndView(HWND hWnd) { this->Attach(hWnd); }
    ~CWndView() override { this->Detach(); }
};
