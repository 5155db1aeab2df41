// Asks for the name of a new clip: at most 50 characters, taken as typed.
#pragma once

#include "fw/afxwin.h"

class CNameDlg : public CDialog {
public:
    CNameDlg();
    // The longest name, in characters; a label edited in the list has it too.
    static constexpr int kMaxChars = 50;
    ~CNameDlg() override = default;

    CString m_strName;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()

private:
    void FitLabelToText();
};
