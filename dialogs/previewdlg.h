// Shows what one stored format record holds: its text, its file list or its
// bitmap. It reads the bytes it is given and changes nothing.
#pragma once

#include <string_view>

#include "fw/afxwin.h"

class CClipFormat;

class CPreviewDlg : public CDialog {
public:
    explicit CPreviewDlg(CWnd* pParent = nullptr);
    ~CPreviewDlg() override;

    // Shows a copy of the record's bytes, kept by the dialog for its life:
    // the window that opened it still takes commands, and a clip deleted
    // meanwhile cannot pull the bytes away from under it. A copy that cannot
    // be had shows that the format cannot be displayed.
    void SetRecord(const CClipFormat& record);

    // The record of a clip that its preview shows, or null: the first text,
    // bitmap or file list in the chain. For text, the clip's CF_UNICODETEXT
    // where it holds a character, else its CF_TEXT, which the system's code
    // page reads.
    static const CClipFormat* RecordToShow(const CClipFormat* pFirst);

    CEdit m_edit;
    CString m_text;
    // The bytes to show and their format, set by the opener; not owned.
    const BYTE* m_pData;
    UINT m_nFormat;
    // How many bytes m_pData holds: nothing past them is ever read.
    DWORD m_dwSize;
    HICON m_hIcon;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    // Shows the edit control with as much of the text as it takes (m_text),
    // its end in view and nothing selected.
    void ShowText(std::string_view text);
    // Removes any selection and brings the caret back into view.
    void Deselect();

    // The dialog's own copy of a record's bytes (SetRecord), or null.
    void* m_pCopy = nullptr;
};
