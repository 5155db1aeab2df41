// The main window itself: construction, initialisation, layout, painting,
// menus, keyboard, teardown and the About and Help commands. Its other jobs
// have files of their own: the clip commands (clipcommands.cpp), the viewer
// chain and automatic capture (viewerchain.cpp), the notification-area icon
// and the options (tray.cpp).
#include "mainwnd/keeperdlg.h"

#include <algorithm>

#include "app/keeperapp.h"
#include "clips/clipkind.h"
#include "dialogs/aboutdlg.h"
#include "dialogs/formatlistdlg.h"
#include "dialogs/help.h"
#include "dialogs/namedlg.h"
#include "res/resource.h"
#include "res/texts.h"

namespace {

// Sent to every top-level window when the shell starts again: the icons it
// showed are gone and must be added anew.
UINT TaskbarCreatedMessage()
{
    static const UINT nMessage = ::RegisterWindowMessageW(L"TaskbarCreated");
    return nMessage != 0 ? nMessage : ~0u;  // never WM_NULL
}

}  // namespace

CKeeperDlg::CKeeperDlg(CWnd* pParent)
    : CDialog(IDD_TROVELLE_DIALOG, pParent), m_hAccel(nullptr), m_pImageList(nullptr), m_hNextViewer(nullptr),
      m_nClipCount(0), m_bEditingLabel(false), m_bRestoring(false), m_nid{},
      m_nSelectedHint(-1), m_nDpi(96)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    m_hIcon = static_cast<HICON>(::LoadImageW(hInst, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    m_hSmallIcon = static_cast<HICON>(::LoadImageW(hInst, MAKEINTRESOURCEW(IDI_SMALL), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), 0));
}

CKeeperDlg::~CKeeperDlg()
{
    delete m_pImageList;  // only if teardown never ran
    if (m_hRemoval != nullptr)
        ::CloseHandle(m_hRemoval);
    if (m_hIcon != nullptr)
        ::DestroyIcon(m_hIcon);
    if (m_hSmallIcon != nullptr)
        ::DestroyIcon(m_hSmallIcon);
}

BEGIN_MESSAGE_MAP(CKeeperDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_INITMENU()
    ON_WM_SIZE()
    ON_WM_DRAWCLIPBOARD()
    ON_WM_CLIPBOARDUPDATE()
    ON_WM_TIMER()
    ON_WM_QUERYENDSESSION()
    ON_WM_ENDSESSION()
    ON_MESSAGE(WM_DRAWCLIPBOARDLATER, OnDrawClipboardLater)
    ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
    ON_WM_CHANGECBCHAIN()
    ON_WM_DESTROYCLIPBOARD()
    ON_COMMAND(ID_EDITION_COLLER, OnEditionColler)
    ON_COMMAND(ID_EDITION_COPIER, OnEditionCopier)
    ON_COMMAND(ID_EDITION_COUPER, OnEditionCouper)
    ON_COMMAND(ID_EDITION_SUPPRIMER, OnEditionSupprimer)
    ON_COMMAND(ID_EDITION_RENOMMER, OnEditionRenommer)
    ON_COMMAND(ID_EDITION_TOUTSELECTIONNER, OnEditionToutSelectionner)
    ON_COMMAND(ID_EDITION_FORMATS, OnEditionFormats)
    ON_COMMAND(ID_POPUP_COLLER, OnPopupColler)
    ON_NOTIFY(NM_CLICK, IDC_CLIPLIST, OnClickClipList)
    ON_NOTIFY(NM_RCLICK, IDC_CLIPLIST, OnRClickClipList)
    ON_NOTIFY(NM_DBLCLK, IDC_CLIPLIST, OnDblClkClipList)
    ON_NOTIFY(NM_RETURN, IDC_CLIPLIST, OnReturnClipList)
    ON_WM_CONTEXTMENU()
    ON_NOTIFY(LVN_BEGINLABELEDITW, IDC_CLIPLIST, OnBeginLabelEditClipList)
    ON_NOTIFY_TEXT(LVN_ENDLABELEDITW, IDC_CLIPLIST, OnEndLabelEditClipList, CNameDlg::kMaxChars)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_CLIPLIST, OnItemChangedClipList)
    ON_COMMAND(ID_FICHIER_QUITTER, OnFichierQuitter)
    ON_COMMAND(IDM_ABOUTBOX, OnAideAPropos)
    ON_COMMAND(ID_AIDE_AIDE, OnAideAide)
    ON_COMMAND(ID_OPTIONS_NOMMAGEAUTOMATIQUE, OnOptionsNommage)
    ON_COMMAND(ID_OPTIONS_COLLAGEAUTOMATIQUE, OnOptionsCollage)
    ON_COMMAND(ID_OPTIONS_CACHER, OnOptionsCacher)
    ON_COMMAND(ID_OPTIONS_ICONE, OnOptionsIcone)
    ON_MESSAGE(WM_TRAYNOTIFY, OnTrayNotify)
    ON_MESSAGE(TaskbarCreatedMessage(), OnTaskbarCreated)
    ON_MESSAGE(ShowKeeperMessage(), OnShowKeeper)
    ON_COMMAND(ID_POPUP_AFFICHER, OnPopupAfficher)
    ON_COMMAND(ID_POPUP_QUITTER, OnPopupQuitter)
END_MESSAGE_MAP()

void CKeeperDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CLIPLIST, m_wndClipList);
}

BOOL CKeeperDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_nDpi = GetDpi();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hSmallIcon, FALSE);

    MakeImageList();

    m_nClipCount = 0;
    m_hAccel = ::LoadAcceleratorsW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_ACCELERATOR));
    m_bEditingLabel = false;

    m_wndStatusBar.Create(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, CRect(0, 0, 0, 0), this, IDC_STATUSBAR);
    SetStatusParts();
    SetStatusText(2, Texts::kTotalAtStart);
    CRect rcStatus;
    m_wndStatusBar.GetClientRect(&rcStatus);
    LayOut(rcStatus.Height());

    JoinViewerChain();
    if (theKeeperApp.m_bTaskIcon != 0)
        AddTrayIcon();

    m_bRestoring = false;
    return TRUE;
}

void CKeeperDlg::MakeImageList()
{
    // Each icon is loaded at the list's own size: none is stretched.
    const int nSize = Scale(32);
    auto* pImageList = new CImageList;
    pImageList->Create(nSize, nSize, ILC_COLOR24 | ILC_MASK, 4, 4);
    const HINSTANCE hInst = AfxGetResourceHandle();
    for (int k = 0; k < CK_COUNT; ++k) {
        const HICON hIcon = static_cast<HICON>(
            ::LoadImageW(hInst, MAKEINTRESOURCEW(ClipKindIconId(k)), IMAGE_ICON, nSize, nSize, 0));
        pImageList->Add(hIcon);
        if (hIcon != nullptr)
            ::DestroyIcon(hIcon);
    }
    // The items keep their image numbers, now in the new list.
    m_wndClipList.SetImageList(*pImageList, LVSIL_NORMAL);
    delete m_pImageList;
    m_pImageList = pImageList;
}

LRESULT CKeeperDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    // Moved to a screen of another scale, or its scale changed. Any program
    // can send this: a scale no screen has (from 50 % to 1000 %) is not the
    // system's, and a rectangle sent from another thread lies in another
    // program's memory.
    constexpr UINT kMinDpi = 48, kMaxDpi = 960;
    const UINT nDpi = LOWORD(wParam);
    const bool bSensible = nDpi >= kMinDpi && nDpi <= kMaxDpi;
    m_nDpi = bSensible ? nDpi : GetDpi();
    const bool bOwnRect = bSensible && (::InSendMessageEx(nullptr) & ISMEX_SEND) == 0;
    if (const auto* pSuggested = bOwnRect ? reinterpret_cast<const RECT*>(lParam) : nullptr) {
        ::SetWindowPos(m_hWnd, nullptr, pSuggested->left, pSuggested->top, pSuggested->right - pSuggested->left,
                       pSuggested->bottom - pSuggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    MakeImageList();

    const HICON hOldIcon = m_hIcon, hOldSmall = m_hSmallIcon;
    m_hIcon = LoadIconForDpi(IDR_MAINFRAME, SM_CXICON, 0);
    m_hSmallIcon = LoadIconForDpi(IDI_SMALL, SM_CXSMICON, 0);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hSmallIcon, FALSE);
    for (HICON hOld : {hOldIcon, hOldSmall})
        if (hOld != nullptr)
            ::DestroyIcon(hOld);
    if (theKeeperApp.m_bTaskIcon != 0) {
        m_nid.hIcon = TrayIcon();
        Sys().Shell_NotifyIconW(NIM_MODIFY, &m_nid);
    }

    SetStatusParts();
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return 0;
}

HICON CKeeperDlg::LoadIconForDpi(UINT nID, int nMetric, UINT fuLoad) const
{
    const int cx = GetSystemMetricsForDpi(nMetric, m_nDpi);
    return static_cast<HICON>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nID), IMAGE_ICON, cx, cx, fuLoad));
}

void CKeeperDlg::StatusPartEdges(int nClientWidth, int edges[3], UINT nDpi)
{
    // Only the first edge is held at 0; a narrow window gives a negative second.
    edges[0] = std::max(nClientWidth - ScaleForDpi(200, nDpi), 0);
    edges[1] = nClientWidth - ScaleForDpi(100, nDpi);
    edges[2] = -1;
}

void CKeeperDlg::SetStatusParts()
{
    CRect rcClient;
    GetClientRect(&rcClient);
    int edges[3];
    StatusPartEdges(rcClient.right - rcClient.left, edges, m_nDpi);
    m_wndStatusBar.SetParts(3, edges);
}

// The list fills the client area above the status bar.
void CKeeperDlg::LayOut(int nStatusBarHeight)
{
    CRect rcClient;
    GetClientRect(&rcClient);
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    m_wndClipList.GetWindowPlacement(&wp);
    wp.rcNormalPosition.right = rcClient.Width();
    wp.rcNormalPosition.bottom = rcClient.Height() - nStatusBarHeight;
    m_wndClipList.SetWindowPlacement(&wp);
}

void CKeeperDlg::OnSysCommand(UINT nID, LPARAM lParam) { CDialog::OnSysCommand(nID, lParam); }

void CKeeperDlg::OnPaint()
{
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
        const int cxIcon = GetSystemMetricsForDpi(SM_CXICON, m_nDpi);
        const int cyIcon = GetSystemMetricsForDpi(SM_CYICON, m_nDpi);
        CRect rect;
        GetClientRect(&rect);
        const int x = (rect.Width() - cxIcon + 1) / 2;
        const int y = (rect.Height() - cyIcon + 1) / 2;
        ::DrawIconEx(dc, x, y, m_hIcon, cxIcon, cyIcon, 0, nullptr, DI_NORMAL);
        return;
    }
    SetStatusParts();
    CRect rcStatus;
    m_wndStatusBar.GetWindowRect(&rcStatus);
    LayOut(rcStatus.Height());
    // The status bar moves itself to the new bottom edge.
    m_wndStatusBar.PostMessage(WM_SIZE, 0, 0);
    CDialog::OnPaint();
}

HCURSOR CKeeperDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }

void CKeeperDlg::OnInitMenu(CMenuHandle* pMenu)
{
    const UINT nSelection = MF_BYCOMMAND | (HasSelection() ? MF_ENABLED : MF_GRAYED);
    for (UINT id : {ID_EDITION_COPIER, ID_EDITION_COUPER, ID_EDITION_SUPPRIMER, ID_EDITION_RENOMMER})
        pMenu->EnableMenuItem(id, nSelection);

    const CKeeperApp& app = theKeeperApp;
    auto check = [](bool b) { return MF_BYCOMMAND | (b ? MF_CHECKED : MF_UNCHECKED); };
    pMenu->CheckMenuItem(ID_OPTIONS_NOMMAGEAUTOMATIQUE, check(app.m_bAutoName != 0));
    pMenu->CheckMenuItem(ID_OPTIONS_ICONE, check(app.m_bTaskIcon != 0));
    pMenu->EnableMenuItem(ID_OPTIONS_CACHER, MF_BYCOMMAND | (app.m_bTaskIcon ? MF_ENABLED : MF_GRAYED));
    pMenu->CheckMenuItem(ID_OPTIONS_CACHER, check(app.m_bHideWhenMinimized != 0));
    pMenu->CheckMenuItem(ID_OPTIONS_COLLAGEAUTOMATIQUE, check(app.m_bAutoPaste != 0));

    CDialog::OnInitMenu(pMenu);
}

void CKeeperDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    // Without the icon nothing could bring a hidden window back.
    if (theKeeperApp.m_bTaskIcon != 0 && theKeeperApp.m_bHideWhenMinimized != 0 && nType == SIZE_MINIMIZED) {
        ShowWindow(SW_HIDE);
        return;
    }
    // The repaint lays out the list and the status bar.
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

BOOL CKeeperDlg::PreTranslateMessage(MSG* pMsg)
{
    // Outside label editing every key goes through the accelerators and never
    // to the dialog's own keys, so Enter and Escape do not close the window:
    // the list has them (Enter restores, the context-menu key previews);
    // while a label is edited, the edit box gets Ctrl+C, Ctrl+V and the rest.
    if (!m_bEditingLabel && pMsg->message >= WM_KEYDOWN && pMsg->message <= 264)
        return ::TranslateAcceleratorW(m_hWnd, m_hAccel, pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CKeeperDlg::DestroyWindow()
{
    if (m_pImageList != nullptr) {
        // The list view would destroy an image list it still holds: take it
        // back first, so that it is destroyed exactly once, here.
        m_wndClipList.SetImageList(nullptr, LVSIL_NORMAL);
        delete m_pImageList;
        m_pImageList = nullptr;
    }
    LeaveShell();
    return CDialog::DestroyWindow();
}

// The clips live in memory only and go with the session, as at any exit:
// nothing to ask the user.
BOOL CKeeperDlg::OnQueryEndSession() { return TRUE; }

void CKeeperDlg::OnEndSession(bool bEnding)
{
    // A cancelled end changes nothing. Once the session ends (a logoff, a
    // shutdown, or the restart manager closing us for an update) the process
    // may be ended at any moment after this returns, so what outlives it is
    // done now, as the exit would do it.
    if (!bEnding)
        return;
    theKeeperApp.SaveSettingsOnce();
    LeaveShell();
}

void CKeeperDlg::LeaveShell()
{
    const CClipboardWatch::Leaving leaving = m_watch.Leave();
    if (!leaving.bLeaveChain)
        return;  // left already
    if (theKeeperApp.m_bTaskIcon != 0)
        RemoveTrayIcon();
    m_nid.hWnd = nullptr;  // a shell that starts again gets no icon back
    LeaveViewerChain(leaving);
}

void CKeeperDlg::OnFichierQuitter() { PostMessage(WM_CLOSE, 0, 0); }

bool CKeeperDlg::ReadyForDialog()
{
    // While one of its modal dialogs runs the window is disabled: a command
    // another program sends meanwhile opens no second one over it.
    if (!::IsWindowEnabled(m_hWnd))
        return false;
    // A program that sent the command has its answer before the dialog
    // opens, not once the person closes it.
    ReplyToSender();
    return true;
}

void CKeeperDlg::OnAideAPropos()
{
    if (!ReadyForDialog())
        return;
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

void CKeeperDlg::OnEditionFormats()
{
    if (!ReadyForDialog())
        return;
    CFormatListDlg dlg;
    dlg.DoModal();
}

void CKeeperDlg::OnAideAide()
{
    // Paths in any script: a portable copy may lie in a folder of any name.
    const CString strPath = AfxGetModuleFileName(AfxGetInstanceHandle());
    // By its full path: a bare name is looked for in the program's folder
    // and the current one first, where a portable copy's download folder
    // may hold any "notepad.exe".
    CString strEditor;
    if (const CString strWindows = AfxGetWindowsDirectory(); !strWindows.IsEmpty())
        strEditor = EditorPath(strWindows);
    if (strEditor.IsEmpty() || !AfxFileExists(strEditor)) {
        if (const CString strSystem = AfxGetSystemDirectory(); !strSystem.IsEmpty())
            strEditor = EditorPath(strSystem);
    }
    if (strEditor.IsEmpty())
        return;  // no system folder: nothing that can be trusted to run
    AfxShellOpen(m_hWnd, strEditor, HelpFileParameter(strPath), ProgramFolder(strPath));
}

void CKeeperDlg::SetStatusText(int nPart, const char* pszText) { m_wndStatusBar.SetText(pszText, nPart, 0); }

void CKeeperDlg::SetOnClipboardText(const CString& strName)
{
    // The name is another program's title or a clip's label, in any script.
    m_wndStatusBar.SetText(CString(Texts::kOnClipboard) + strName, 0, 0);
}

void CKeeperDlg::RedrawStatusBar()
{
    if (m_wndStatusBar.m_hWnd != nullptr)
        m_wndStatusBar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
