// Where the program keeps its options, taken from the program's own key path,
// and the values there read and written as another program would.
#pragma once

#include <windows.h>

#include <string>

// Below HKEY_CURRENT_USER: "Software\<maker>\<program>\<version>".
std::string SettingsKey();
// The maker's key, the highest one the program creates: the tests delete it
// whole to start as on a machine where the program never ran.
std::string MakerKey();
void DeleteSettings();

// One value under the settings key as the registry holds it.
struct StoredValue {
    bool bPresent = false;
    DWORD type = 0, size = 0, value = 0;
};
StoredValue ReadSetting(const char* pszName);
// Creates the key when needed; true when the value was written.
bool WriteSetting(const char* pszName, DWORD type, const void* pData, DWORD cbData);
bool WriteDwordSetting(const char* pszName, DWORD dwValue);

// The four options in the program's order; true when all four were written.
bool WriteOptions(DWORD autoName, DWORD taskIcon, DWORD hide, DWORD autoPaste);
// An option as a DWORD, or ~0u when it is missing or of another form.
DWORD StoredOption(const char* pszName);
