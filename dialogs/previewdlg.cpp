#include "dialogs/previewdlg.h"

#include <cstring>

#include "dialogs/dibpainter.h"
#include "readers/dropfiles.h"
#include "readers/textblock.h"
#include "clips/clipformat.h"
#include "base/sysapi.h"
#include "res/resource.h"
#include "res/texts.h"

CPreviewDlg::CPreviewDlg(CWnd* pParent)
    : CDialog(IDD_PREVIEW, pParent), m_pData(nullptr), m_nFormat(0), m_dwSize(0), m_hIcon(nullptr)
{
    m_text = "";
    m_hIcon = static_cast<HICON>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_SMALL), IMAGE_ICON, 16, 16, 0));
}

CPreviewDlg::~CPreviewDlg()
{
    if (m_hIcon != nullptr)
        ::DestroyIcon(m_hIcon);
    if (m_pCopy != nullptr)
        Sys().VirtualFree(m_pCopy, 0, MEM_RELEASE);
}

void CPreviewDlg::SetRecord(const CClipFormat& record)
{
    if (m_pCopy != nullptr)
        Sys().VirtualFree(m_pCopy, 0, MEM_RELEASE);
    // Made like a clip's own copy, never from the heap.
    const DWORD dwSize = record.m_pData != nullptr ? record.m_dwSize : 0;
    m_pCopy = dwSize != 0 ? Sys().VirtualAlloc(nullptr, dwSize, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    if (m_pCopy != nullptr)
        std::memcpy(m_pCopy, record.m_pData, dwSize);
    m_pData = static_cast<const BYTE*>(m_pCopy);
    m_dwSize = m_pCopy != nullptr ? dwSize : 0;
    // A record without data shows empty; one whose copy failed, nothing.
    m_nFormat = m_pCopy != nullptr || dwSize == 0 ? record.m_nFormat : 0;
}

const CClipFormat* CPreviewDlg::RecordToShow(const CClipFormat* pFirst)
{
    const CClipFormat* pShown = pFirst;
    while (pShown != nullptr && pShown->m_nFormat != CF_TEXT && pShown->m_nFormat != CF_UNICODETEXT &&
           pShown->m_nFormat != CF_DIB && pShown->m_nFormat != CF_HDROP)
        pShown = pShown->m_pNext;
    if (pShown == nullptr || (pShown->m_nFormat != CF_TEXT && pShown->m_nFormat != CF_UNICODETEXT))
        return pShown;
    // Text: the wide record tells it as written, when it has a character.
    const CClipFormat* pAnsi = nullptr;
    const CClipFormat* pWide = nullptr;
    for (const CClipFormat* p = pShown; p != nullptr; p = p->m_pNext) {
        if (p->m_nFormat == CF_TEXT && pAnsi == nullptr)
            pAnsi = p;
        else if (p->m_nFormat == CF_UNICODETEXT && pWide == nullptr)
            pWide = p;
    }
    const auto* pWideBytes = pWide != nullptr ? static_cast<const BYTE*>(pWide->m_pData) : nullptr;
    const bool bWideHasText = pWideBytes != nullptr && pWide->m_dwSize >= 2 && (pWideBytes[0] | pWideBytes[1]) != 0;
    return bWideHasText || pAnsi == nullptr ? pWide : pAnsi;
}

BEGIN_MESSAGE_MAP(CPreviewDlg, CDialog)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CPreviewDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PREVIEW_EDIT, m_edit);
    DDX_Text(pDX, IDC_PREVIEW_EDIT, m_text);
}

BOOL CPreviewDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, FALSE);

    switch (m_nFormat) {
    case CF_TEXT:
        SetWindowText(Texts::kPreviewText);
        // Another program wrote the block: it ends at its first NUL or at
        // the end of the record, whichever comes first.
        ShowText(AfxUtf8FromAnsi(TextBlockText(m_pData, m_dwSize)).GetString());
        break;
    case CF_UNICODETEXT:
        SetWindowText(Texts::kPreviewText);
        ShowText(UnicodeTextBlockText(m_pData, m_dwSize));
        break;
    case CF_DIB:
        SetWindowText(Texts::kPreviewBitmap);
        break;
    case CF_HDROP: {
        SetWindowText(Texts::kPreviewFiles);
        // Read here rather than by the shell: the record is private memory,
        // not a drop handle, and its names are bounded by its size only.
        const DropFileList list = ReadDropFiles(m_pData, m_dwSize);
        const std::string text = DropFilesText(list);
        ShowText(list.bWide ? text : std::string(AfxUtf8FromAnsi(text).GetString()));
        break;
    }
    default:
        break;
    }
    return TRUE;
}

void CPreviewDlg::ShowText(std::string_view text)
{
    m_edit.ShowWindow(SW_SHOW);
    text = EditableText(text);
    m_text = CString(text.data(), static_cast<int>(text.size()));
    UpdateData(FALSE);
    // The caret goes to the end now, whatever the control did with the
    // text; the focus may select everything later, and the paint undoes it.
    const int nLength = m_edit.GetWindowTextLength();
    m_edit.SetSel(nLength, nLength);
}

void CPreviewDlg::Deselect()
{
    m_edit.SetSel(-1, 0);
}

void CPreviewDlg::OnPaint()
{
    CPaintDC dc(this);
    switch (m_nFormat) {
    case CF_TEXT:
    case CF_UNICODETEXT:
    case CF_HDROP:
        Deselect();
        break;
    case CF_DIB: {
        CDibPainter painter;
        painter.m_pDib = m_pData;
        painter.m_dwSize = m_dwSize;
        painter.PreparePalette();
        painter.Draw(&dc, 0, 0);
        break;
    }
    default: {
        CRect rc;
        GetClientRect(&rc);
        dc.DrawText(Texts::kPreviewUnknown, &rc, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        break;
    }
    }
}
