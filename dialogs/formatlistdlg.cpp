#include "dialogs/formatlistdlg.h"

#include "clips/clip.h"
#include "dialogs/formatnames.h"
#include "res/resource.h"
#include "res/texts.h"

namespace {

// Formats whose clipboard handle is a GDI object, not a memory block: the
// heap knows nothing of such a handle, and its value may even equal that of
// an unrelated block, so it is never asked for a size. The metafile-picture
// forms are real blocks (holding a handle) and are measured as such.
bool IsGdiObjectHandle(UINT nFormat)
{
    return IsGdiHandleFormat(nFormat) && nFormat != CF_METAFILEPICT && nFormat != CF_DSPMETAFILEPICT;
}

CString SizeText(UINT nFormat, HANDLE hData)
{
    if (hData == nullptr)
        return Texts::kFormatEmpty;
    // What the system reports for a GDI object's handle: no block, no size.
    const SIZE_T size = IsGdiObjectHandle(nFormat) ? 0 : Sys().GlobalSize(hData);
    CString str;
    str.Format(Texts::kFormatOctets, static_cast<unsigned long long>(size));
    return str;
}

}  // namespace

CFormatListDlg::CFormatListDlg(CWnd* pParent) : CDialog(IDD_FORMATS, pParent) {}

BEGIN_MESSAGE_MAP(CFormatListDlg, CDialog)
    ON_BN_CLICKED(IDC_REFRESH, FillFormatList)
END_MESSAGE_MAP()

void CFormatListDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CLIPLIST, m_list);
}

BOOL CFormatListDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // The three columns take the list's outer width less 4 pixels at 100 %,
    // their widths scaled with the screen.
    CRect rc;
    m_list.GetWindowRect(&rc);
    const UINT nDpi = GetDpi();
    struct Column {
        const char* pszHeading;
        int nFormat;
        int cx;
    };
    const Column columns[] = {
        {Texts::kFormatColumnType, LVCFMT_LEFT, rc.Width() - ScaleForDpi(149, nDpi)},
        {Texts::kFormatColumnId, LVCFMT_CENTER, ScaleForDpi(45, nDpi)},
        {Texts::kFormatColumnSize, LVCFMT_RIGHT, ScaleForDpi(100, nDpi)},
    };
    for (int i = 0; i < 3; ++i)
        m_list.InsertColumn(i, columns[i].pszHeading, columns[i].nFormat, columns[i].cx, i);

    FillFormatList();
    return TRUE;
}

void CFormatListDlg::FillFormatList()
{
    if (!Sys().OpenClipboard(m_hWnd))
        return;  // another window holds it: the last fill stays on show
    // The rows go in without a repaint of the list and its scroll bar for
    // each of them, and are painted once at the end.
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    m_list.DeleteAllItems();

    int nRow = 0;
    for (UINT nFormat = Sys().EnumClipboardFormats(0); nFormat != 0;
         nFormat = Sys().EnumClipboardFormats(nFormat), ++nRow) {
        // A registered name in any script, else the standard one.
        CString strName = SysClipboardFormatName(nFormat, 254);
        if (strName.IsEmpty())
            strName = StandardFormatName(nFormat);

        const int nItem = m_list.InsertItem(LVIF_TEXT, nRow, strName, 0, 0, 0, 0);
        if (nItem == -1)
            continue;

        CString strId;
        strId.Format(Texts::kFormatId, static_cast<int>(nFormat));
        m_list.SetItemText(nItem, 1, strId);
        // Asking for the data makes the owner render a delayed format.
        m_list.SetItemText(nItem, 2, SizeText(nFormat, Sys().GetClipboardData(nFormat)));
    }
    Sys().CloseClipboard();
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    m_list.Invalidate();
}
