// The program's only top-level window: the stored clips as large icons, a
// three-part status bar, the menu bar and its accelerators.
#pragma once

#include "clips/cliplist.h"
#include "fw/afxwin.h"
#include "mainwnd/clipwatch.h"
#include "mainwnd/infostatusbar.h"

#include <shellapi.h>

// The notification-area icon's mouse messages.
#define WM_TRAYNOTIFY (WM_USER + 1)
// A change notice that came while the clipboard was open by us, handled once
// it is closed again.
#define WM_DRAWCLIPBOARDLATER (WM_APP + 1)

class CKeeperDlg : public CDialog {
public:
    explicit CKeeperDlg(CWnd* pParent = nullptr);
    ~CKeeperDlg() override;

    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The right edges of the three status bar parts for a client width, at
    // a display scale (96 DPI is 100 %).
    static void StatusPartEdges(int nClientWidth, int edges[3], UINT nDpi = 96);

    // Asks the window to show itself, from a second start of the program;
    // the window answers kShownAnswer. Registered: a hidden window gets it
    // too, and no other program's message is mistaken for it.
    static UINT ShowKeeperMessage();
    static constexpr LRESULT kShownAnswer = 0x54524F56;  // "TROV"

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnInitMenu(CMenuHandle* pMenu);
    void OnSize(UINT nType, int cx, int cy);
    void OnDrawClipboard();
    void OnClipboardUpdate();
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnDrawClipboardLater(WPARAM wParam, LPARAM lParam);
    BOOL OnQueryEndSession();
    void OnEndSession(bool bEnding);
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void OnChangeCbChain(HWND hWndRemove, HWND hWndAfter);
    void OnDestroyClipboard();
    void OnEditionColler();
    void OnEditionCopier();
    void OnEditionCouper();
    void OnEditionSupprimer();
    void OnEditionRenommer();
    void OnEditionToutSelectionner();
    void OnEditionFormats();
    void OnPopupColler();
    void OnClickClipList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRClickClipList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDblClkClipList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnReturnClipList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnContextMenu(HWND hWnd, CPoint point);
    void OnBeginLabelEditClipList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEditClipList(NMLVDISPINFOW* pInfo, LRESULT* pResult);
    void OnItemChangedClipList(NMLISTVIEW* pInfo, LRESULT* pResult);
    void OnFichierQuitter();
    void OnAideAPropos();
    void OnAideAide();
    void OnOptionsNommage();
    void OnOptionsCollage();
    void OnOptionsCacher();
    void OnOptionsIcone();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);
    void OnPopupAfficher();
    void OnPopupQuitter();
    LRESULT OnShowKeeper(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    // The tests' fixture reads the state below and sets the two flags that
    // its tests put in place.
    friend class KeeperWindowTest;

    // The top window of a clipboard owner (from the owner, parent after
    // parent, owners of pop-ups too), or null for no owner.
    static HWND GetOwnerTitleWindow(HWND hOwner);
    // The notification-area icon, named by m_nid.
    void AddTrayIcon();
    void RemoveTrayIcon();

    HACCEL m_hAccel;
    CListCtrl m_wndClipList;
    CImageList* m_pImageList;
    CInfoStatusBar m_wndStatusBar;
    HWND m_hNextViewer;
    // The removal from the chain still under way (its thread), if one is,
    // and how many waits for it are nested in one another.
    HANDLE m_hRemoval = nullptr;
    int m_nRemovalWaits = 0;
    HICON m_hIcon;
    HICON m_hSmallIcon;
    int m_nClipCount;
    bool m_bEditingLabel;
    bool m_bRestoring;
    NOTIFYICONDATAW m_nid;
    // What the clipboard's change notices mean: every rule of automatic
    // capture and of the viewer chain.
    CClipboardWatch m_watch;
    // The item that became selected last: with one item selected, most
    // likely that one, found without walking the items before it.
    int m_nSelectedHint;
    // The DPI the window is shown at: every pixel size is given for 96 DPI
    // and scaled by it.
    UINT m_nDpi;

    // Options hold 0 or 1; every option command flips them.
    static void Toggle(BOOL& bOption);
    void LayOut(int nStatusBarHeight);
    // A size in pixels at 96 DPI, at the window's DPI.
    int Scale(int nPixels) const { return ScaleForDpi(nPixels, m_nDpi); }
    // The kind icons at the window's DPI, as the list's image list: image k
    // is the icon of kind k. Replaces (and deletes) the one before.
    void MakeImageList();
    // Icon nID at the size of a square system metric (SM_CXICON,
    // SM_CXSMICON) for the window's DPI.
    HICON LoadIconForDpi(UINT nID, int nMetric, UINT fuLoad) const;
    // The notification area's icon at the window's DPI.
    HICON TrayIcon() const;
    void SetStatusParts();
    // Status parts are written, then the bar is redrawn at once. A text of
    // the program's; or, for part 0, the prefix and the name of what is on
    // the clipboard.
    void SetStatusText(int nPart, const char* pszText);
    void SetOnClipboardText(const CString& strName);
    void RedrawStatusBar();
    void ShowTrayMenu();
    // The viewer chain: joined with the listener at initialisation, left
    // with it once; rejoined when the chain is broken ahead of us, so that
    // the viewers after us are told of changes again.
    void JoinViewerChain();
    void LeaveViewerChain(const CClipboardWatch::Leaving& leaving);
    void RejoinViewerChain();
    // Takes the window out of the chain, waiting for the viewers ahead of it
    // at most that long; true when the chain was told in that time.
    bool LeaveChainWithin(DWORD dwWaitMs);
    // Passes a notice on without waiting for ever on a viewer that hangs.
    void ForwardToNextViewer(UINT message, WPARAM wParam, LPARAM lParam);
    // Leaves what outlives the window: the notification-area icon, the
    // viewer chain and the listener. Once, whichever comes first of the
    // session's end and teardown: the watch stops with it.
    void LeaveShell();
    // A window as the watch knows it.
    static CClipboardWatch::Window WatchId(HWND hWnd) { return reinterpret_cast<CClipboardWatch::Window>(hWnd); }
    // Captures the clipboard and stores it as a new clip. An automatic capture
    // that finds the clipboard held open by another program tries again
    // later, and leaves out what only remains of the last capture once its
    // source has gone.
    void StoreClipboard(bool bAutomatic, bool bAutoName);
    // After an automatic capture that took nothing: its next try on a
    // timer, for a clipboard that was held; or part 0 says it was lost.
    void RetryCapture(bool bHeld);
    // Handles a change notice now, or posts it for later while one of our
    // clipboard operations or another notice is under way; bPostedBack for
    // one that comes back so.
    void HandleOrDeferChange(bool bPostedBack = false);
    // What a change notice does here, forwarding aside.
    void OnClipboardChange();
    // The selected item with the lowest index, or -1. The same whatever the
    // item's place when it is the only one selected.
    int FirstSelectedItem() const;
    bool HasSelection() const { return m_wndClipList.GetSelectedCount() != 0; }
    // The clip node an item stands for; null for an item that holds none.
    CClipList::Node* NodeOfItem(int nItem) const;
    // Puts the item's clip on the clipboard and names it in part 0.
    bool RestoreItem(int nItem, CClipList::Node* pNode);
    // Deletes the clip, its node and its item, and takes its bytes off the total.
    void RemoveItem(int nItem, CClipList::Node* pNode);
    // Part 1 tells the size of the selection, or nothing without one.
    void ShowSelectionSize();
    // The preview of the first selected clip's first record that can be shown.
    void PreviewFirstSelectedClip();
    // Whether a modal dialog may open now; if so, a program that sent the
    // message being handled has been answered.
    bool ReadyForDialog();
};
