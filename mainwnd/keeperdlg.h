// The program's only top-level window: the stored clips as large icons, a
// three-part status bar, the menu bar and its accelerators.
#pragma once

#include "fw/afxwin.h"
#include "mainwnd/infostatusbar.h"

#include <shellapi.h>

class CKeeperDlg : public CDialog {
public:
    explicit CKeeperDlg(CWnd* pParent = nullptr);
    ~CKeeperDlg() override;

    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The right edges of the three status bar parts for a client width.
    static void StatusPartEdges(int nClientWidth, int edges[3]);

    HACCEL m_hAccel;
    CListCtrl m_wndClipList;
    CImageList* m_pImageList;
    CInfoStatusBar m_wndStatusBar;
    HWND m_hNextViewer;
    HICON m_hIcon;
    HICON m_hSmallIcon;
    int m_nClipCount;
    bool m_bEditingLabel;
    bool m_bSkipNextCapture;
    bool m_bRestoring;
    NOTIFYICONDATAA m_nid;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnInitMenu(CMenu* pMenu);
    void OnSize(UINT nType, int cx, int cy);
    void OnDrawClipboard();
    void OnChangeCbChain(HWND hWndRemove, HWND hWndAfter);
    void OnFichierQuitter();
    void OnAideAPropos();
    void OnAideAide();
    void OnOptionsNommage();
    void OnOptionsCollage();
    void OnOptionsCacher();

    DECLARE_MESSAGE_MAP()

private:
    void LayOut(int nStatusBarHeight);
    void SetStatusParts();
};
