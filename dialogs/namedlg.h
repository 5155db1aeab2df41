// Asks for the name of a new clip: at most 50 characters, taken as typed.
#pragma once

#include "fw/afxwin.h"

class CNameDlg : public CDialog {
public:
    CNameDlg();
    ~CNameDlg() override = default;

    CString m_strName;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()

private:
    void FitLabelToText();
};
