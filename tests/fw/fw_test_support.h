// What the framework tests share: the application object, a recorder for
// message boxes, and a dialog that logs how it is driven and ended (scripts
// drive it from inside its modal loop, see tests/support/modal_driver.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fw/afxwin.h"
#include "tests/fw/fw_test_res.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/modal_driver.h"

class CFwTestApp : public CWinApp {
public:
    CFwTestApp();
    int m_nAppCommands = 0;

protected:
    void OnAppCommand() { ++m_nAppCommands; }
    DECLARE_MESSAGE_MAP()
};
extern CFwTestApp theTestApp;

// Message boxes shown while the object lives, answered with IDOK.
class BoxRecorder {
public:
    struct Box {
        HWND hOwner;
        std::wstring text, caption;
        UINT type;
    };
    BoxRecorder();
    ~BoxRecorder();
    static std::vector<Box> s_boxes;

private:
    static int WINAPI Record(HWND, LPCWSTR, LPCWSTR, UINT);
    SysOverride<decltype(SysApi::MessageBoxW)> m_override;
};

// An edit that notes the messages offered to its PreTranslateMessage.
class CLoggingEdit : public CEdit {
public:
    std::vector<std::string>* m_pLog = nullptr;
    BOOL PreTranslateMessage(MSG* pMsg) override;
};

// The framework's test dialog (an edit and a list) that logs how it is
// driven and ended, for a ModalScript to drive.
class CScriptedDlg : public CDialog {
public:
    explicit CScriptedDlg(CWnd* pParent = nullptr, UINT nIDTemplate = IDD_FW_TEST);

    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // What happened, in order: "OnOK", "OnCancel", "DestroyWindow", and the
    // keyboard messages offered to PreTranslateMessage ("pre 256 edit").
    std::vector<std::string> m_log;
    bool m_bWindowInDestroy = false;
    bool m_bOwnerEnabledInDestroy = false;
    // Keyboard messages the dialog takes for itself before its controls.
    std::function<bool(const MSG&)> m_swallow;

    CString m_strText;
    int m_nMaxChars = 10;
    CListCtrl m_wndList;
    CLoggingEdit m_wndEdit;

protected:
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

// A top-level window to own dialogs, destroyed with the object.
class COwnerWnd : public CWnd {
public:
    COwnerWnd();
};
