// Dialog data exchange: DoDataExchange calls these in order, for loading
// (m_bSaveAndValidate FALSE: members into controls) and for saving (controls
// into members, with validation). A validation that fails tells the user,
// puts the focus back on the control and throws CUserException, which
// UpdateData catches and turns into FALSE.
#pragma once

#include <windows.h>

#include "base/cstring.h"

class CWnd;

// Thrown by CDataExchange::Fail once the user has been told.
class CUserException {};

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    // The control that validation falls back on (null if there is none).
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    [[noreturn]] void Fail();

    int m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;
};

// Subclasses the control into rControl the first time only.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Loading: limits the last edit control to nChars. Saving: refuses a longer
// value with the standard message. Characters are counted as the edit box
// counts them, in UTF-16 units.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
