// The program at display scales of 100, 150 and 200 %. A program reads the
// user's scale (LogPixels) once, as it starts: each test here sets it, runs
// this same test program again with only the tests of dpi_worker.cpp, and
// puts the user's scale back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";

// The user's scale for programs started while the object lives.
class UserScale {
public:
    explicit UserScale(DWORD dwDpi)
    {
        DWORD cb = sizeof m_dwSaved;
        m_bHadValue = RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr,
                                   &m_dwSaved, &cb) == ERROR_SUCCESS;
        Set(&dwDpi);
    }
    ~UserScale() { Set(m_bHadValue ? &m_dwSaved : nullptr); }
    UserScale(const UserScale&) = delete;
    UserScale& operator=(const UserScale&) = delete;

private:
    static void Set(const DWORD* pdwDpi)
    {
        HKEY hKey = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey,
                            nullptr) != ERROR_SUCCESS)
            return;
        if (pdwDpi != nullptr)
            RegSetValueExA(hKey, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(pdwDpi), sizeof *pdwDpi);
        else
            RegDeleteValueA(hKey, "LogPixels");
        RegCloseKey(hKey);
    }
    DWORD m_dwSaved = 0;
    bool m_bHadValue = false;
};

// The worker tests' exit code at that scale. They run on a virtual desktop
// of their own, as large as a 1024 x 768 screen at that scale, so that the
// pictures show whole windows.
DWORD RunAtScale(DWORD dwDpi)
{
    UserScale scale(dwDpi);
    const std::wstring desktop = L"TrovelleScale" + std::to_wstring(dwDpi);
    const std::wstring size = std::to_wstring(1024 * dwDpi / 96) + L"x" + std::to_wstring(768 * dwDpi / 96);
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer\\Desktops", desktop.c_str(), REG_SZ,
                    size.c_str(), static_cast<DWORD>((size.size() + 1) * sizeof(wchar_t)));
    SetEnvironmentVariableA("TROVELLE_DPI_UNDER_TEST", std::to_string(dwDpi).c_str());
    char szSelf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
    ChildProcess worker("\"" + std::string(szSelf) + "\" --gtest_filter=AtThisScale.*", desktop.c_str());
    SetEnvironmentVariableA("TROVELLE_DPI_UNDER_TEST", nullptr);
    if (!worker.Started() || !worker.WaitForExit(240000))
        return ~0u;
    return worker.ExitCode();
}

TEST(DisplayScale, At100Percent) { EXPECT_EQ(RunAtScale(96), 0u); }

TEST(DisplayScale, At150Percent) { EXPECT_EQ(RunAtScale(144), 0u); }

TEST(DisplayScale, At200Percent) { EXPECT_EQ(RunAtScale(192), 0u); }

}  // namespace
