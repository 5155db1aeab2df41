// Lists every format now on the system clipboard: its name, id and the size
// of its data. It reads the clipboard only and keeps nothing.
#pragma once

#include "fw/afxwin.h"

class CFormatListDlg : public CDialog {
public:
    explicit CFormatListDlg(CWnd* pParent = nullptr);
    ~CFormatListDlg() override = default;

    CListCtrl m_list;

    // Replaces every row with the clipboard's formats, in the clipboard's
    // order. When the clipboard cannot be opened the rows stay as they were.
    void FillFormatList();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
