#include "app/keeperapp.h"

#include "app/keeperlock.h"
#include "base/sysapi.h"
#include "clips/clip.h"
#include "mainwnd/keeperdlg.h"

CKeeperApp theKeeperApp;

CKeeperApp::CKeeperApp() = default;

CKeeperApp::~CKeeperApp() = default;  // the list gives back its node blocks

// Commands no window takes come here.
BEGIN_MESSAGE_MAP(CKeeperApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

namespace {

// DLLs that load later (the shell's, the editor's dialogs...) come from the
// system folder only, never from the program's folder, where a portable
// copy shares a download folder with whatever lies there, nor from the
// current folder.
void RestrictDllSearch()
{
    if (Sys().SetDefaultDllDirectories != nullptr && Sys().SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    // Older systems: at least the current folder leaves the search.
    if (Sys().SetDllDirectoryW != nullptr)
        Sys().SetDllDirectoryW(L"");
}

}  // namespace

BOOL CKeeperApp::InitInstance()
{
    // Before any window exists, and any DLL is asked for.
    RestrictDllSearch();
    // A second start only shows the running keeper.
    CKeeperLock lock;
    if (!lock.Acquire())
        return FALSE;

    AfxEnableControlContainer();
    Enable3dControls();

    m_dwTotalBytes = 0;
    m_bSettingsSaved = false;
    if (!LoadSettings()) {
        // All together or not at all.
        m_bAutoName = m_bAutoPaste = m_bTaskIcon = m_bHideWhenMinimized = 0;
    }

    {
        CKeeperDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();

        // The window has gone: the clips go too, then the options are kept.
        DeleteAllClips();
        SaveSettingsOnce();
        m_pMainWnd = nullptr;
    }
    // No message loop of our own: the program ends here.
    return FALSE;
}

void CKeeperApp::DeleteAllClips()
{
    for (CClipList::Node* pNode = m_listClips.GetHeadPosition(); pNode != nullptr;) {
        CClipList::Node* pNext = pNode->pNext;
        delete pNode->pClip;
        pNode->pClip = nullptr;
        pNode = pNext;
    }
}
