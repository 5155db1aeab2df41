#include "fw/ddx.h"

#include <cwchar>

#include "base/utf8.h"
#include "fw/conv.h"
#include "fw/fwres.h"
#include "fw/winapp.h"
#include "fw/wnd.h"

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    const HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_idLastControl != 0 && m_bEditLastControl) {
        const HWND hWndCtrl = ::GetDlgItem(m_pDlgWnd->m_hWnd, m_idLastControl);
        ::SetFocus(hWndCtrl);
        ::SendMessageW(hWndCtrl, EM_SETSEL, 0, -1);
    }
    throw CUserException();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd == nullptr)
        rControl.SubclassWindow(pDX->PrepareCtrl(nIDC));
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    const HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = CWnd::GetWindowTextOf(hWndCtrl);
        return;
    }
    // An unchanged text is not set again: no flicker, no EN_CHANGE.
    if (!(CWnd::GetWindowTextOf(hWndCtrl) == value))
        ::SetWindowTextW(hWndCtrl, CA2W(value));
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    // Counted as the edit box counts: in UTF-16 units, so that fifty letters
    // of any script fit where fifty fit.
    if (pDX->m_bSaveAndValidate && Utf16Length(value.GetString()) > static_cast<std::size_t>(nChars)) {
        // The program's text in its language; the framework's own otherwise.
        wchar_t szFormat[256] = {};
        if (::LoadStringW(AfxGetResourceHandle(), AFX_IDP_PARSE_STRING_SIZE, szFormat, 256) <= 0)
            ::lstrcpynW(szFormat, L"Enter no more than %d characters.", 256);
        wchar_t szPrompt[300] = {};
        std::swprintf(szPrompt, 300, szFormat, nChars);
        AfxMessageBox(CW2A(szPrompt), MB_ICONEXCLAMATION);
        pDX->Fail();
    }
    if (pDX->m_idLastControl != 0 && pDX->m_bEditLastControl)
        ::SendMessageW(::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, pDX->m_idLastControl), EM_LIMITTEXT,
                       static_cast<WPARAM>(nChars), 0);
}
