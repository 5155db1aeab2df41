// CDialog: a dialog made from a template in the module's resources, modal
// (DoModal, with the framework's own message loop) or modeless (Create). A
// Unicode window, as are its controls: what a person types reaches them in
// any script.
// The object travels to the one dialog procedure through CreateDialogParam's
// lParam and stays in DWLP_USER until WM_NCDESTROY.
#pragma once

#include <windows.h>

#include "fw/wnd.h"

class CDialog : public CWnd {
public:
    CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // A window still open goes with the object.
    ~CDialog() override;

    // The owner (the parent's top-level window, or else the main window's
    // last active pop-up) is disabled while the dialog runs, then enabled and
    // activated again before the dialog is destroyed by DestroyWindow().
    // Returns what EndDialog was given, or -1 if the dialog could not be made
    // or a WM_QUIT ended the loop (the WM_QUIT is posted again).
    virtual INT_PTR DoModal();
    // Modeless; the parent given here or to the constructor owns it.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);

    // Exchanges the data into the controls (UpdateData(FALSE)); TRUE lets
    // the system put the focus on the first control.
    virtual BOOL OnInitDialog();
    // The dialog's keys (Tab, Enter, Escape, mnemonics) for the dialog and
    // its controls.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    CDialog() = default;

    // IDOK: UpdateData(TRUE), and on success EndDialog(IDOK).
    virtual void OnOK();
    // IDCANCEL, also what WM_CLOSE and Escape become: EndDialog(IDCANCEL).
    virtual void OnCancel();

    // The system's dialog processing of the message, run from inside our
    // dialog procedure (see DialogProc).
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    LRESULT HandleInitDialog(WPARAM, LPARAM);
    void RunModalLoop();

    INT_PTR m_nModalResult = -1;
    bool m_bModal = false;
    bool m_bContinueModal = false;
    // Set while DefDlgProc is asked for the default processing of this
    // message: it calls our procedure first, which must then decline.
    bool m_bPassToDefault = false;
    UINT m_nPassMessage = 0;
};
