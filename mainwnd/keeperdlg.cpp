#include "mainwnd/keeperdlg.h"

#include <algorithm>
#include <cstring>

#include "app/keeperapp.h"
#include "clips/clip.h"
#include "clips/clipkind.h"
#include "dialogs/aboutdlg.h"
#include "dialogs/help.h"
#include "dialogs/namedlg.h"
#include "mainwnd/sizetext.h"
#include "res/resource.h"
#include "res/texts.h"

namespace {

// The whole title, however long: automatic names are not cut.
CString WindowTitle(HWND hWnd)
{
    CString str;
    const int nLen = ::GetWindowTextLengthA(hWnd);
    if (nLen > 0) {
        const int nCopied = ::GetWindowTextA(hWnd, str.GetBuffer(nLen), nLen + 1);
        str.ReleaseBuffer(nCopied > 0 ? nCopied : 0);
    }
    return str;
}

// Sent to every top-level window when the shell starts again: the icons it
// showed are gone and must be added anew.
UINT TaskbarCreatedMessage()
{
    static const UINT nMessage = ::RegisterWindowMessageA("TaskbarCreated");
    return nMessage != 0 ? nMessage : ~0u;  // never WM_NULL
}

}  // namespace

CKeeperDlg::CKeeperDlg(CWnd* pParent)
    : CDialog(IDD_TROVELLE_DIALOG, pParent), m_hAccel(nullptr), m_pImageList(nullptr), m_hNextViewer(nullptr),
      m_nClipCount(0), m_bEditingLabel(false), m_bSkipNextCapture(false), m_bRestoring(false), m_nid{},
      m_dwOwnWriteSequence(0), m_dwSeenSequence(0), m_pLastCapture(nullptr), m_hLastCaptureOwner(nullptr),
      m_dwLastCaptureTick(0), m_bLastCaptureAutomatic(false), m_bDrawPending(false)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    m_hIcon = static_cast<HICON>(::LoadImageA(hInst, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    m_hSmallIcon = static_cast<HICON>(::LoadImageA(hInst, MAKEINTRESOURCEA(IDI_SMALL), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), 0));
}

CKeeperDlg::~CKeeperDlg()
{
    delete m_pImageList;  // only if teardown never ran
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
    ON_MESSAGE(WM_DRAWCLIPBOARDLATER, OnDrawClipboardLater)
    ON_WM_CHANGECBCHAIN()
    ON_WM_DESTROYCLIPBOARD()
    ON_COMMAND(ID_EDITION_COLLER, OnEditionColler)
    ON_COMMAND(ID_EDITION_COPIER, OnEditionCopier)
    ON_COMMAND(ID_EDITION_COUPER, OnEditionCouper)
    ON_COMMAND(ID_EDITION_SUPPRIMER, OnEditionSupprimer)
    ON_COMMAND(ID_EDITION_RENOMMER, OnEditionRenommer)
    ON_COMMAND(ID_POPUP_COLLER, OnPopupColler)
    ON_NOTIFY(NM_CLICK, IDC_CLIPLIST, OnClickClipList)
    ON_NOTIFY(NM_RCLICK, IDC_CLIPLIST, OnRClickClipList)
    ON_NOTIFY(NM_DBLCLK, IDC_CLIPLIST, OnDblClkClipList)
    ON_NOTIFY(LVN_BEGINLABELEDITA, IDC_CLIPLIST, OnBeginLabelEditClipList)
    ON_NOTIFY(LVN_ENDLABELEDITA, IDC_CLIPLIST, OnEndLabelEditClipList)
    ON_COMMAND(ID_FICHIER_QUITTER, OnFichierQuitter)
    ON_COMMAND(IDM_ABOUTBOX, OnAideAPropos)
    ON_COMMAND(ID_AIDE_AIDE, OnAideAide)
    ON_COMMAND(ID_OPTIONS_NOMMAGEAUTOMATIQUE, OnOptionsNommage)
    ON_COMMAND(ID_OPTIONS_COLLAGEAUTOMATIQUE, OnOptionsCollage)
    ON_COMMAND(ID_OPTIONS_CACHER, OnOptionsCacher)
    ON_COMMAND(ID_OPTIONS_ICONE, OnOptionsIcone)
    ON_MESSAGE(WM_TRAYNOTIFY, OnTrayNotify)
    ON_MESSAGE(TaskbarCreatedMessage(), OnTaskbarCreated)
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

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));

    // Image k is the icon of clip kind k.
    m_pImageList = new CImageList;
    m_pImageList->Create(32, 32, ILC_COLOR24 | ILC_MASK, 4, 4);
    HINSTANCE hInst = AfxGetResourceHandle();
    for (int k = 0; k < CK_COUNT; ++k)
        m_pImageList->Add(::LoadIconA(hInst, MAKEINTRESOURCEA(ClipKindIconId(k))));
    m_wndClipList.SetImageList(m_pImageList, LVSIL_NORMAL);

    m_nClipCount = 0;
    m_hAccel = ::LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_ACCELERATOR));
    m_bEditingLabel = false;

    m_wndStatusBar.Create(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, CRect(0, 0, 0, 0), this, IDC_STATUSBAR);
    SetStatusParts();
    m_wndStatusBar.SetText(Texts::kTotalAtStart, 2, 0);
    CRect rcStatus;
    m_wndStatusBar.GetClientRect(&rcStatus);
    LayOut(rcStatus.Height());

    // The first change notice arrives from inside this call, before the
    // result is stored.
    m_hNextViewer = ::SetClipboardViewer(m_hWnd);
    if (theKeeperApp.m_bTaskIcon != 0)
        AddTrayIcon();

    m_bSkipNextCapture = false;
    m_bRestoring = false;
    return TRUE;
}

void CKeeperDlg::StatusPartEdges(int nClientWidth, int edges[3])
{
    // Only the first edge is held at 0; a narrow window gives a negative second.
    edges[0] = std::max(nClientWidth - 200, 0);
    edges[1] = nClientWidth - 100;
    edges[2] = -1;
}

void CKeeperDlg::SetStatusParts()
{
    CRect rcClient;
    GetClientRect(&rcClient);
    int edges[3];
    StatusPartEdges(rcClient.right - rcClient.left, edges);
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
        const int cxIcon = ::GetSystemMetrics(SM_CXICON);
        const int cyIcon = ::GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        const int x = (rect.Width() - cxIcon + 1) / 2;
        const int y = (rect.Height() - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
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

void CKeeperDlg::OnInitMenu(CMenu* pMenu)
{
    const bool bSelection = m_wndClipList.GetNextItem(-1, LVNI_SELECTED) != -1;
    const UINT nSelection = MF_BYCOMMAND | (bSelection ? MF_ENABLED : MF_GRAYED);
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
    // to the dialog's own keys, so Enter and Escape do not close the window;
    // while a label is edited, the edit box gets Ctrl+C, Ctrl+V and the rest.
    if (!m_bEditingLabel && pMsg->message >= WM_KEYDOWN && pMsg->message <= 264)
        return ::TranslateAcceleratorA(m_hWnd, m_hAccel, pMsg);
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
    if (theKeeperApp.m_bTaskIcon != 0)
        RemoveTrayIcon();
    ::ChangeClipboardChain(m_hWnd, m_hNextViewer);
    return CDialog::DestroyWindow();
}

void CKeeperDlg::OnDrawClipboard()
{
    if (IsClipboardOpenHere()) {
        // Sent from inside one of our own clipboard operations: by a source
        // that renders a format for us, or a viewer ahead of us passing a
        // notice on late. A capture now would open the clipboard again and
        // close it under the operation, so it waits until that is over.
        if (!m_bDrawPending)
            m_bDrawPending = PostMessage(WM_DRAWCLIPBOARDLATER, 0, 0) != FALSE;
    } else {
        OnClipboardChange();
    }

    // Every change notice goes on down the chain, at once.
    if (m_hNextViewer != nullptr)
        ::SendMessageA(m_hNextViewer, WM_DRAWCLIPBOARD, 0, 0);
}

LRESULT CKeeperDlg::OnDrawClipboardLater(WPARAM, LPARAM)
{
    m_bDrawPending = false;
    if (IsClipboardOpenHere())
        m_bDrawPending = PostMessage(WM_DRAWCLIPBOARDLATER, 0, 0) != FALSE;
    else
        OnClipboardChange();
    return 0;
}

void CKeeperDlg::OnClipboardChange()
{
    const DWORD dwSequence = ::GetClipboardSequenceNumber();
    // The notice of a restore of ours that comes late, through a viewer ahead
    // of us, once the restore has named its clip in part 0.
    const bool bLateOwnWrite = !m_bRestoring && m_dwOwnWriteSequence != 0 && dwSequence == m_dwOwnWriteSequence &&
                               ::GetClipboardOwner() == m_hWnd;
    if (!bLateOwnWrite) {
        CString strText;
        if (const HWND hTop = GetOwnerTitleWindow(); hTop != nullptr) {
            const CString strTitle = WindowTitle(hTop);
            // No prefix without a name.
            if (!strTitle.IsEmpty())
                strText = Texts::kOnClipboard + strTitle;
        }
        SetStatusText(0, strText);
        RedrawStatusBar();
    }

    if (theKeeperApp.m_bAutoPaste != 0) {
        // A restore of our own is no new content; a skip covers one change.
        if (m_bSkipNextCapture || m_bRestoring || bLateOwnWrite) {
            m_bSkipNextCapture = false;
            m_pLastCapture = nullptr;
        } else if (dwSequence == m_dwSeenSequence) {
            // The clipboard just captured, noticed again: a viewer that joins
            // the chain may pass a notice on without a change.
        } else if (IsExcludedFromCapture(m_hWnd)) {
            m_pLastCapture = nullptr;
        } else {
            StoreClipboard(true, true);
        }
    }
}

// The clipboard we own, after a restore, is being emptied.
void CKeeperDlg::OnDestroyClipboard()
{
    SetStatusText(0, "");
    RedrawStatusBar();
    CDialog::OnDestroyClipboard();
}

void CKeeperDlg::OnChangeCbChain(HWND hWndRemove, HWND hWndAfter)
{
    if (hWndRemove == m_hNextViewer)
        m_hNextViewer = hWndAfter;
    else if (m_hNextViewer != nullptr)
        ::SendMessageA(m_hNextViewer, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(hWndRemove),
                       reinterpret_cast<LPARAM>(hWndAfter));
}

void CKeeperDlg::OnFichierQuitter() { PostMessage(WM_CLOSE, 0, 0); }

void CKeeperDlg::OnAideAPropos()
{
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

void CKeeperDlg::OnAideAide()
{
    char szPath[MAX_PATH] = {};
    ::GetModuleFileNameA(AfxGetInstanceHandle(), szPath, MAX_PATH);
    const CString strHelp = HelpFileParameter(szPath);
    Sys().ShellExecuteA(m_hWnd, "open", "notepad.exe", strHelp, nullptr, SW_SHOWNORMAL);
}

static void Toggle(BOOL& bOption) { bOption = bOption == 0 ? 1 : 0; }

void CKeeperDlg::OnOptionsNommage() { Toggle(theKeeperApp.m_bAutoName); }

void CKeeperDlg::OnOptionsCollage()
{
    Toggle(theKeeperApp.m_bAutoPaste);
    m_bSkipNextCapture = true;
}

void CKeeperDlg::OnOptionsCacher() { Toggle(theKeeperApp.m_bHideWhenMinimized); }

void CKeeperDlg::OnOptionsIcone()
{
    Toggle(theKeeperApp.m_bTaskIcon);
    if (theKeeperApp.m_bTaskIcon != 0)
        AddTrayIcon();
    else
        RemoveTrayIcon();
}

void CKeeperDlg::AddTrayIcon()
{
    const HICON hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_SMALL));
    m_nid = {};
    // The first form of the record: every shell takes it, and we use no
    // field of the later ones.
    m_nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = 1;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAYNOTIFY;
    m_nid.hIcon = hIcon;
    ::lstrcpynA(m_nid.szTip, Texts::kTrayTip, 64);
    Sys().Shell_NotifyIconA(NIM_ADD, &m_nid);
}

void CKeeperDlg::RemoveTrayIcon() { Sys().Shell_NotifyIconA(NIM_DELETE, &m_nid); }

LRESULT CKeeperDlg::OnTrayNotify(WPARAM, LPARAM lParam)
{
    // The icon is ours alone, so its id needs no look.
    switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDOWN:
        OnPopupAfficher();
        break;
    case WM_RBUTTONDOWN:
        ShowTrayMenu();
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CKeeperDlg::OnTaskbarCreated(WPARAM, LPARAM)
{
    if (theKeeperApp.m_bTaskIcon != 0)
        AddTrayIcon();
    return 0;
}

void CKeeperDlg::ShowTrayMenu()
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_TRAYMENU))
        return;
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup == nullptr || pPopup->m_hMenu == nullptr)
        return;
    if (!IsIconic() && IsWindowVisible())
        pPopup->ModifyMenu(ID_POPUP_AFFICHER, MF_BYCOMMAND | MF_STRING, ID_POPUP_AFFICHER, Texts::kTrayHide);
    POINT pt = {};
    ::GetCursorPos(&pt);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the posted message lets it close at once afterwards.
    SetForegroundWindow();
    Sys().TrackPopupMenuEx(pPopup->m_hMenu, 0, pt.x, pt.y, m_hWnd, nullptr);
    PostMessage(WM_USER, 0, 0);
    menu.DestroyMenu();
}

void CKeeperDlg::OnPopupAfficher()
{
    const bool bIconic = IsIconic() != FALSE;
    if (theKeeperApp.m_bHideWhenMinimized != 0 && !bIconic && IsWindowVisible()) {
        ShowWindow(SW_HIDE);
    } else if (bIconic) {
        ShowWindow(SW_RESTORE);
        SetForegroundWindow();
    } else {
        // Hidden and not minimised, or Hide off: with both options on, OnSize
        // hides a minimised window at once.
        ShowWindow(SW_MINIMIZE);
    }
}

void CKeeperDlg::OnPopupQuitter() { OnFichierQuitter(); }

bool CKeeperDlg::IsExcludedFromCapture(HWND hWnd)
{
    static const UINT cfExclude = ::RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing");
    static const UINT cfIgnore = ::RegisterClipboardFormatA("Clipboard Viewer Ignore");
    static const UINT cfHistory = ::RegisterClipboardFormatA("CanIncludeInClipboardHistory");
    // These two mark a clipboard by their presence alone; asking needs no open.
    if (::IsClipboardFormatAvailable(cfExclude) || ::IsClipboardFormatAvailable(cfIgnore))
        return true;
    if (!::IsClipboardFormatAvailable(cfHistory))
        return false;
    // Only a DWORD 0 keeps it out of the history. A clipboard that cannot be
    // opened to tell is left alone: the capture would take it unseen.
    if (!Sys().OpenClipboard(hWnd))
        return true;
    bool bExcluded = false;
    if (const HANDLE hData = Sys().GetClipboardData(cfHistory); hData != nullptr) {
        if (Sys().GlobalSize(hData) >= sizeof(DWORD)) {
            if (const void* pData = Sys().GlobalLock(hData); pData != nullptr) {
                DWORD dwValue = 0;
                std::memcpy(&dwValue, pData, sizeof dwValue);
                bExcluded = dwValue == 0;
                Sys().GlobalUnlock(hData);
            }
        }
    }
    Sys().CloseClipboard();
    return bExcluded;
}

// Always named automatically; the option is left as it is.
void CKeeperDlg::OnPopupColler() { StoreClipboard(false, true); }

HWND CKeeperDlg::GetOwnerTitleWindow()
{
    HWND hWnd = ::GetClipboardOwner();
    if (hWnd == nullptr)
        return nullptr;
    // GetParent gives the parent of a child window and the owner of a pop-up.
    while (const HWND hParent = ::GetParent(hWnd))
        hWnd = hParent;
    return hWnd;
}

void CKeeperDlg::SetStatusText(int nPart, const char* pszText) { m_wndStatusBar.SetText(pszText, nPart, 0); }

void CKeeperDlg::RedrawStatusBar()
{
    if (m_wndStatusBar.m_hWnd != nullptr)
        m_wndStatusBar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

CClipList::Node* CKeeperDlg::NodeOfItem(int nItem) const
{
    auto* pNode = reinterpret_cast<CClipList::Node*>(m_wndClipList.GetItemData(nItem));
    return pNode != nullptr && pNode->pClip != nullptr ? pNode : nullptr;
}

void CKeeperDlg::OnEditionColler() { StoreClipboard(false, theKeeperApp.m_bAutoName != 0); }

bool CKeeperDlg::IsLeftOverOfLastCapture(const CClip& clip, HWND hOwner) const
{
    // When its owner is destroyed the system drops the formats it never
    // rendered and announces the change: the same copy, fewer formats.
    return m_pLastCapture != nullptr && hOwner == nullptr && m_hLastCaptureOwner != nullptr &&
           clip.IsRemainderOf(*m_pLastCapture->pClip);
}

bool CKeeperDlg::IsRepeatOfLastCapture(const CClip& clip, HWND hOwner) const
{
    // Narrow on purpose: the same window, at once, the same bytes. A user
    // who copies the same thing again later gets a clip for it.
    constexpr DWORD kRepeatWindowMs = 250;
    return m_pLastCapture != nullptr && m_bLastCaptureAutomatic && hOwner != nullptr &&
           hOwner == m_hLastCaptureOwner && Sys().GetTickCount() - m_dwLastCaptureTick <= kRepeatWindowMs &&
           clip.HasSameRecords(*m_pLastCapture->pClip);
}

void CKeeperDlg::StoreClipboard(bool bAutomatic, bool bAutoName)
{
    // A program that holds the clipboard open for a moment as the notice
    // arrives would otherwise lose its change; a few tries, 5 ms apart.
    constexpr int kAutomaticOpenTries = 4;
    const HWND hOwner = ::GetClipboardOwner();
    DWORD dwSequence = 0;
    CClip* pClip = new CClip;
    if (!pClip->CaptureFromClipboard(m_hWnd, bAutomatic ? kAutomaticOpenTries : 1, &dwSequence)) {
        delete pClip;
        if (bAutomatic)
            m_pLastCapture = nullptr;
        return;
    }
    if (bAutomatic && IsRepeatOfLastCapture(*pClip, hOwner)) {
        // Seen: a third announcement is no new copy either.
        delete pClip;
        m_dwSeenSequence = dwSequence;
        return;
    }
    if (bAutomatic && IsLeftOverOfLastCapture(*pClip, hOwner)) {
        // A copy loses its owner once: the next change is a new copy.
        delete pClip;
        m_dwSeenSequence = dwSequence;
        m_pLastCapture = nullptr;
        return;
    }
    if (pClip->m_strName.IsEmpty())
        pClip->m_strName = ClipKindLabel(CK_OTHER);
    // Seen from now on, also while the naming dialog runs: a late notice of
    // this change is no new copy.
    if (static_cast<LONG>(dwSequence - m_dwSeenSequence) > 0)
        m_dwSeenSequence = dwSequence;

    CNameDlg dlgName;
    CString strName;
    if (bAutoName) {
        if (const HWND hTop = GetOwnerTitleWindow(); hTop != nullptr)
            strName = WindowTitle(hTop);
    } else {
        dlgName.m_strName = "";
        // A dialog that could not be shown counts as OK with an empty field.
        if (dlgName.DoModal() == IDCANCEL) {
            delete pClip;
            return;
        }
        strName = dlgName.m_strName;
    }

    // Read only now: an automatic capture may have run inside the dialog.
    // An empty name from the dialog gets the same name as automatic naming,
    // so that no item is left without a label.
    if (strName.IsEmpty())
        strName.Format(Texts::kNumberedName, pClip->m_strName.GetString(), m_nClipCount + 1);
    pClip->m_strName = strName;

    CClipList::Node* pNode = theKeeperApp.m_listClips.AddTail(pClip);
    if (pNode == nullptr) {
        delete pClip;
        return;
    }
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = m_nClipCount;  // never below the item count: the new item goes last
    item.pszText = const_cast<char*>(pClip->m_strName.GetString());
    item.iImage = pClip->m_nKind;
    item.lParam = reinterpret_cast<LPARAM>(pNode);
    if (m_wndClipList.InsertItem(&item) == -1) {
        // A clip that cannot be shown could never be reached again.
        theKeeperApp.m_listClips.RemoveAt(pNode);
        delete pClip;
        return;
    }
    ++m_nClipCount;
    theKeeperApp.m_dwTotalBytes += pClip->m_dwTotalSize;
    // A capture finished inside the naming dialog saw a later clipboard.
    if (static_cast<LONG>(dwSequence - m_dwSeenSequence) >= 0) {
        m_dwSeenSequence = dwSequence;
        m_pLastCapture = pNode;
        m_hLastCaptureOwner = hOwner;
        m_dwLastCaptureTick = Sys().GetTickCount();
        m_bLastCaptureAutomatic = bAutomatic;
    }

    SetStatusText(2, FormatTotalText(theKeeperApp.m_dwTotalBytes));
    RedrawStatusBar();
}

bool CKeeperDlg::RestoreItem(int nItem, CClipList::Node* pNode)
{
    // Set before the restore: the change notices it causes arrive inside it.
    m_bRestoring = true;
    const bool bRestored = pNode->pClip->RestoreToClipboard(m_hWnd);
    // Whatever we wrote, also in part, is ours and no change to capture.
    if (::GetClipboardOwner() == m_hWnd)
        m_dwOwnWriteSequence = ::GetClipboardSequenceNumber();
    if (!bRestored) {
        m_bRestoring = false;
        return false;
    }
    // Written after the restore, so it replaces what the notice wrote.
    SetStatusText(0, Texts::kOnClipboard + m_wndClipList.GetItemText(nItem, 0));
    RedrawStatusBar();
    return true;
}

void CKeeperDlg::RemoveItem(int nItem, CClipList::Node* pNode)
{
    if (pNode == m_pLastCapture)
        m_pLastCapture = nullptr;
    theKeeperApp.m_dwTotalBytes -= pNode->pClip->m_dwTotalSize;
    delete pNode->pClip;
    pNode->pClip = nullptr;
    theKeeperApp.m_listClips.RemoveAt(pNode);
    m_wndClipList.DeleteItem(nItem);
}

void CKeeperDlg::OnEditionCopier()
{
    const int nItem = m_wndClipList.GetNextItem(-1, LVNI_SELECTED);
    CClipList::Node* pNode = nItem != -1 ? NodeOfItem(nItem) : nullptr;
    if (pNode == nullptr)
        return;
    RestoreItem(nItem, pNode);
    m_bRestoring = false;
}

void CKeeperDlg::OnEditionCouper()
{
    // The first selected clip only, also when several are selected.
    const int nItem = m_wndClipList.GetNextItem(-1, LVNI_SELECTED);
    CClipList::Node* pNode = nItem != -1 ? NodeOfItem(nItem) : nullptr;
    if (pNode == nullptr || !RestoreItem(nItem, pNode))
        return;  // a failed restore keeps the clip
    RemoveItem(nItem, pNode);
    SetStatusText(2, FormatTotalText(theKeeperApp.m_dwTotalBytes));
    SetStatusText(1, "");
    RedrawStatusBar();
    m_bRestoring = false;
}

void CKeeperDlg::OnEditionSupprimer()
{
    int nItem = m_wndClipList.GetNextItem(-1, LVNI_SELECTED);
    if (nItem == -1)
        return;
    while (nItem != -1) {
        if (CClipList::Node* pNode = NodeOfItem(nItem))
            RemoveItem(nItem, pNode);
        else
            m_wndClipList.DeleteItem(nItem);
        // Lowest index first, as asking from the start would give: the next
        // selected item now sits at nItem or later, so the search goes on
        // from there and the whole deletion stays linear.
        nItem = m_wndClipList.GetNextItem(nItem - 1, LVNI_SELECTED);
    }
    SetStatusText(1, "");
    SetStatusText(2, FormatTotalText(theKeeperApp.m_dwTotalBytes));
    RedrawStatusBar();
}

void CKeeperDlg::OnEditionRenommer()
{
    const int nItem = m_wndClipList.GetNextItem(-1, LVNI_SELECTED);
    if (nItem != -1)
        m_wndClipList.EditLabel(nItem);
}

void CKeeperDlg::OnClickClipList(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    int nItem = m_wndClipList.GetNextItem(-1, LVNI_SELECTED);
    if (nItem == -1) {
        SetStatusText(1, "");
        RedrawStatusBar();
        return;
    }
    // 64-bit: a selection above 2 GiB must not turn negative.
    unsigned long long nBytes = 0;
    for (; nItem != -1; nItem = m_wndClipList.GetNextItem(nItem, LVNI_SELECTED))
        if (const CClipList::Node* pNode = NodeOfItem(nItem))
            nBytes += pNode->pClip->m_dwTotalSize;
    SetStatusText(1, FormatSelectionText(nBytes));
    RedrawStatusBar();
}

void CKeeperDlg::OnDblClkClipList(NMHDR*, LRESULT* pResult)
{
    // A double click on the background has cleared the selection.
    if (m_wndClipList.GetNextItem(-1, LVNI_SELECTED) == -1)
        OnEditionColler();
    else
        OnEditionCopier();
    *pResult = 0;
}

void CKeeperDlg::OnBeginLabelEditClipList(NMHDR*, LRESULT* pResult)
{
    // The same limit as the naming dialog's field.
    if (CEdit* pEdit = m_wndClipList.GetEditControl())
        pEdit->LimitText(50);
    m_bEditingLabel = true;
    *pResult = 0;
}

void CKeeperDlg::OnEndLabelEditClipList(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* pInfo = reinterpret_cast<const NMLVDISPINFOA*>(pNMHDR);
    *pResult = FALSE;
    // Cancelled (no item or no text) or emptied: the label stays.
    if (pInfo->item.iItem != -1 && pInfo->item.pszText != nullptr && pInfo->item.pszText[0] != '\0') {
        if (CClipList::Node* pNode = NodeOfItem(pInfo->item.iItem)) {
            pNode->pClip->m_strName = pInfo->item.pszText;
            *pResult = TRUE;
        }
    }
    m_bEditingLabel = false;
}
