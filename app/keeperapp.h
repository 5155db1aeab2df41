// The application object: the stored clips, their byte total and the four
// options that persist in the registry. Its InitInstance is the whole life of
// the program: it runs the main window and tidies up after it.
#pragma once

#include <windows.h>

#include "clips/cliplist.h"
#include "fw/afxwin.h"

class CKeeperApp : public CWinApp {
public:
    CKeeperApp();
    ~CKeeperApp() override;

    BOOL InitInstance() override;

    // Reads the four options: true only when all four were read. The caller
    // turns every option off on false.
    bool LoadSettings();
    // Writes the four options: true when all four were written.
    bool SaveSettings();
    // The write of the end of a run, done once: at the session's end, or
    // after the main window has closed when the session did not end first.
    bool SaveSettingsOnce();

    // Deletes every clip of the list (the nodes stay until the list goes).
    void DeleteAllClips();

    CClipList m_listClips{10};
    // The sum of the sizes of the clips held. 64-bit although the name says
    // DWORD: a 64-bit program can hold more than 4 GiB, and the total must
    // not wrap.
    unsigned long long m_dwTotalBytes = 0;
    BOOL m_bAutoName = 0;
    BOOL m_bAutoPaste = 0;
    BOOL m_bTaskIcon = 0;
    BOOL m_bHideWhenMinimized = 0;
    // This run's options have been written.
    bool m_bSettingsSaved = false;

    DECLARE_MESSAGE_MAP()
};

extern CKeeperApp theKeeperApp;

// Where the options live, below HKEY_CURRENT_USER, one key per level.
inline constexpr const char* kSettingsKeyPath[] = {"Software", "Bramwick Software", "Trovelle", "1.0"};
