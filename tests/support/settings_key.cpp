#include "tests/support/settings_key.h"

#include "app/keeperapp.h"

std::string SettingsKey()
{
    std::string path;
    for (const char* pszLevel : kSettingsKeyPath)
        path += (path.empty() ? "" : "\\") + std::string(pszLevel);
    return path;
}

std::string MakerKey() { return std::string(kSettingsKeyPath[0]) + "\\" + kSettingsKeyPath[1]; }

void DeleteSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, MakerKey().c_str()); }

StoredValue ReadSetting(const char* pszName)
{
    StoredValue s;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return s;
    s.size = sizeof s.value;
    s.bPresent = RegQueryValueExA(h, pszName, nullptr, &s.type, reinterpret_cast<BYTE*>(&s.value), &s.size) ==
                 ERROR_SUCCESS;
    RegCloseKey(h);
    return s;
}

bool WriteSetting(const char* pszName, DWORD type, const void* pData, DWORD cbData)
{
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExA(h, pszName, 0, type, static_cast<const BYTE*>(pData), cbData) == ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

bool WriteDwordSetting(const char* pszName, DWORD dwValue)
{
    return WriteSetting(pszName, REG_DWORD, &dwValue, sizeof dwValue);
}

bool WriteOptions(DWORD autoName, DWORD taskIcon, DWORD hide, DWORD autoPaste)
{
    return WriteDwordSetting("Auto Name", autoName) && WriteDwordSetting("Task Icon", taskIcon) &&
           WriteDwordSetting("Hide", hide) && WriteDwordSetting("Auto Paste", autoPaste);
}

DWORD StoredOption(const char* pszName)
{
    const StoredValue s = ReadSetting(pszName);
    return s.bPresent && s.type == REG_DWORD && s.size == sizeof(DWORD) ? s.value : ~0u;
}
