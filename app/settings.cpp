// The four options persist as REG_DWORD values under
// HKEY_CURRENT_USER\Software\Bramwick Software\Trovelle\1.0. They are read all
// together or not at all, and written once, at exit or at the session's end
// when that comes first.
#include "app/keeperapp.h"
#include "base/sysapi.h"
#include "res/texts.h"

namespace {

constexpr int kLevels = 4;

// The keys opened on the way down, closed innermost first on every path.
class KeyPath {
public:
    KeyPath() = default;
    ~KeyPath()
    {
        for (int i = m_nOpen - 1; i >= 0; --i)
            Sys().RegCloseKey(m_hKeys[i]);
    }
    KeyPath(const KeyPath&) = delete;
    KeyPath& operator=(const KeyPath&) = delete;

    HKEY Parent() const { return m_nOpen == 0 ? HKEY_CURRENT_USER : m_hKeys[m_nOpen - 1]; }
    HKEY Leaf() const { return m_hKeys[kLevels - 1]; }
    void Push(HKEY hKey) { m_hKeys[m_nOpen++] = hKey; }

private:
    HKEY m_hKeys[kLevels] = {};
    int m_nOpen = 0;
};

// Read and written in this order, which is not the order of the members.
struct OptionValue {
    const char* pszName;
    BOOL CKeeperApp::*pMember;
};
constexpr OptionValue kOptions[] = {
    {"Auto Name", &CKeeperApp::m_bAutoName},
    {"Task Icon", &CKeeperApp::m_bTaskIcon},
    {"Hide", &CKeeperApp::m_bHideWhenMinimized},
    {"Auto Paste", &CKeeperApp::m_bAutoPaste},
};

}  // namespace

bool CKeeperApp::LoadSettings()
{
    KeyPath keys;
    for (const char* pszKey : kSettingsKeyPath) {
        HKEY hKey = nullptr;
        if (Sys().RegOpenKeyExA(keys.Parent(), pszKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            return false;
        keys.Push(hKey);
    }
    for (const OptionValue& option : kOptions) {
        // Any type of at most four bytes will do; a shorter value fills the
        // low bytes only.
        BYTE value[4] = {};
        DWORD cbValue = sizeof value;
        if (Sys().RegQueryValueExA(keys.Leaf(), option.pszName, nullptr, nullptr, value, &cbValue) !=
            ERROR_SUCCESS)
            return false;
        const bool bOn = (value[0] | value[1] | value[2] | value[3]) != 0;
        this->*option.pMember = bOn ? 1 : 0;
    }
    return true;
}

bool CKeeperApp::SaveSettings()
{
    HANDLE hHeap = GetProcessHeap();
    DWORD* pdwDisposition = static_cast<DWORD*>(Sys().HeapAlloc(hHeap, 0, sizeof(DWORD)));
    if (pdwDisposition == nullptr) {
        AfxMessageBox(Texts::kAllocError, MB_OK | MB_ICONSTOP);
        return false;
    }

    KeyPath keys;
    bool bKeys = true;
    for (const char* pszKey : kSettingsKeyPath) {
        HKEY hKey = nullptr;
        LSTATUS status;
        if (keys.Parent() == HKEY_CURRENT_USER)
            status = Sys().RegOpenKeyExA(HKEY_CURRENT_USER, pszKey, 0, KEY_WRITE, &hKey);
        else
            status = Sys().RegCreateKeyExA(keys.Parent(), pszKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_WRITE, nullptr, &hKey, pdwDisposition);
        if (status != ERROR_SUCCESS) {
            bKeys = false;
            break;
        }
        keys.Push(hKey);
    }
    HeapFree(hHeap, 0, pdwDisposition);
    if (!bKeys)
        return false;

    for (const OptionValue& option : kOptions) {
        const DWORD dwValue = static_cast<DWORD>(this->*option.pMember);
        if (Sys().RegSetValueExA(keys.Leaf(), option.pszName, 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&dwValue), sizeof dwValue) != ERROR_SUCCESS)
            return false;
    }
    return true;
}

bool CKeeperApp::SaveSettingsOnce()
{
    if (m_bSettingsSaved)
        return true;
    m_bSettingsSaved = true;
    return SaveSettings();
}
