// The application object: the stored clips, their byte total and the four
// options that persist in the registry.
#pragma once

#include <windows.h>

#include "clips/cliplist.h"

class CKeeperApp {
public:
    CKeeperApp() = default;
    CKeeperApp(const CKeeperApp&) = delete;
    CKeeperApp& operator=(const CKeeperApp&) = delete;

    // Reads the four options: true only when all four were read. The caller
    // turns every option off on false.
    bool LoadSettings();
    // Writes the four options: true when all four were written.
    bool SaveSettings();

    CClipList m_listClips{10};
    DWORD m_dwTotalBytes = 0;
    BOOL m_bAutoName = 0;
    BOOL m_bAutoPaste = 0;
    BOOL m_bTaskIcon = 0;
    BOOL m_bHideWhenMinimized = 0;
};

// Where the options live, below HKEY_CURRENT_USER, one key per level.
inline constexpr const char* kSettingsKeyPath[] = {"Software", "Bramwick Software", "Trovelle", "1.0"};
