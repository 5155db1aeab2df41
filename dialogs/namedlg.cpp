#include "dialogs/namedlg.h"

#include <algorithm>
#include <cstring>

#include "res/resource.h"

CNameDlg::CNameDlg() : CDialog(IDD_NAME, nullptr) {}

BEGIN_MESSAGE_MAP(CNameDlg, CDialog)
END_MESSAGE_MAP()

void CNameDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, kMaxChars);
}

BOOL CNameDlg::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return FALSE;
    FitLabelToText();
    // The dialog is there to take a name: what the user types at once goes
    // into the field (the first tab stop is OK, where a space would press it).
    if (const HWND hEdit = ::GetDlgItem(m_hWnd, IDC_NAME))
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hEdit), TRUE);
    return FALSE;  // the focus is set
}

// The template gives the label the width its text takes at 100 %. Fonts do not
// grow in step with dialog units, so at other scales the text can be wider and
// its end would be cut off: the label then widens, at most to the edit box's
// right edge. Where the text fits, nothing moves.
void CNameDlg::FitLabelToText()
{
    HWND hLabel = nullptr;
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (_stricmp(GetClassNameOf(h), "Static") == 0) {
            hLabel = h;
            break;
        }
    }
    const HWND hEdit = ::GetDlgItem(m_hWnd, IDC_NAME);
    if (hLabel == nullptr || hEdit == nullptr)
        return;

    SIZE extent{};
    CDC dc;
    dc.m_hDC = ::GetDC(hLabel);
    const HGDIOBJ hOld = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(hLabel, WM_GETFONT, 0, 0)));
    const BOOL bMeasured = dc.GetTextExtent(GetWindowTextOf(hLabel), &extent);
    ::SelectObject(dc, hOld);
    ::ReleaseDC(hLabel, dc);
    if (!bMeasured)
        return;

    RECT rcLabel, rcEdit;
    ::GetWindowRect(hLabel, &rcLabel);
    ::GetWindowRect(hEdit, &rcEdit);
    if (extent.cx <= rcLabel.right - rcLabel.left)
        return;
    const LONG nWidth = std::min<LONG>(extent.cx, rcEdit.right - rcLabel.left);
    ::SetWindowPos(hLabel, nullptr, 0, 0, nWidth, rcLabel.bottom - rcLabel.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
