// The notification-area icon and the window's visibility, and the option
// commands that go with them.
#include "mainwnd/keeperdlg.h"

#include "app/keeperapp.h"
#include "res/resource.h"
#include "res/texts.h"

void CKeeperDlg::Toggle(BOOL& bOption) { bOption = bOption == 0 ? 1 : 0; }

void CKeeperDlg::OnOptionsNommage() { Toggle(theKeeperApp.m_bAutoName); }

void CKeeperDlg::OnOptionsCacher() { Toggle(theKeeperApp.m_bHideWhenMinimized); }

void CKeeperDlg::OnOptionsIcone()
{
    Toggle(theKeeperApp.m_bTaskIcon);
    if (theKeeperApp.m_bTaskIcon != 0)
        AddTrayIcon();
    else
        RemoveTrayIcon();
}

HICON CKeeperDlg::TrayIcon() const
{
    // Icon 147 at the size the shell shows it, for the window's scale;
    // shared, so that adding it again costs nothing.
    return LoadIconForDpi(IDI_SMALL, SM_CXSMICON, LR_SHARED);
}

void CKeeperDlg::AddTrayIcon()
{
    m_nid = {};
    // The first form of the record: every shell takes it, and we use no
    // field of the later ones.
    m_nid.cbSize = NOTIFYICONDATAW_V1_SIZE;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = 1;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAYNOTIFY;
    m_nid.hIcon = TrayIcon();
    ::lstrcpynW(m_nid.szTip, CA2W(Texts::kTrayTip), 64);
    Sys().Shell_NotifyIconW(NIM_ADD, &m_nid);
}

void CKeeperDlg::RemoveTrayIcon() { Sys().Shell_NotifyIconW(NIM_DELETE, &m_nid); }

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
    // Not once the window has left the shell at the session's end.
    if (theKeeperApp.m_bTaskIcon != 0 && m_nid.hWnd != nullptr)
        AddTrayIcon();
    return 0;
}

void CKeeperDlg::ShowTrayMenu()
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_TRAYMENU))
        return;
    CMenuHandle popup = menu.GetSubMenu(0);
    if (popup.GetSafeHmenu() == nullptr)
        return;
    if (!IsIconic() && IsWindowVisible())
        popup.ModifyMenu(ID_POPUP_AFFICHER, MF_BYCOMMAND | MF_STRING, ID_POPUP_AFFICHER, Texts::kTrayHide);
    POINT pt = {};
    ::GetCursorPos(&pt);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the posted message lets it close at once afterwards.
    SetForegroundWindow();
    Sys().TrackPopupMenuEx(popup, 0, pt.x, pt.y, m_hWnd, nullptr);
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

UINT CKeeperDlg::ShowKeeperMessage()
{
    static const UINT nMessage = ::RegisterWindowMessageW(L"Bramwick Software Trovelle: show the keeper");
    return nMessage != 0 ? nMessage : ~0u;  // never WM_NULL
}

LRESULT CKeeperDlg::OnShowKeeper(WPARAM, LPARAM)
{
    // As "Afficher Trovelle" brings back a minimised window, and a hidden
    // one as well: the user who starts the program again wants to see it.
    if (IsIconic())
        ShowWindow(SW_RESTORE);
    else if (!IsWindowVisible())
        ShowWindow(SW_SHOW);
    SetForegroundWindow();
    return kShownAnswer;
}
