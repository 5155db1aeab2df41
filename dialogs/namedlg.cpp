#include "dialogs/namedlg.h"

#include "res/resource.h"

CNameDlg::CNameDlg() : CDialog(IDD_NAME, nullptr) {}

BEGIN_MESSAGE_MAP(CNameDlg, CDialog)
END_MESSAGE_MAP()

void CNameDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, 50);
}
