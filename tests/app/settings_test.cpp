// The options against Wine's real registry, in the test prefix's own
// HKEY_CURRENT_USER.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/keeperapp.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/settings_key.h"

namespace {

void Store(const char* name, DWORD type, const void* data, DWORD size)
{
    ASSERT_TRUE(WriteSetting(name, type, data, size)) << name;
}

void StoreDword(const char* name, DWORD v) { Store(name, REG_DWORD, &v, sizeof v); }

void StoreAll(DWORD autoName, DWORD taskIcon, DWORD hide, DWORD autoPaste)
{
    StoreDword("Auto Name", autoName);
    StoreDword("Task Icon", taskIcon);
    StoreDword("Hide", hide);
    StoreDword("Auto Paste", autoPaste);
}

void ExpectStored(const char* name, DWORD value)
{
    const StoredValue s = ReadSetting(name);
    EXPECT_TRUE(s.bPresent) << name;
    EXPECT_EQ(s.type, static_cast<DWORD>(REG_DWORD)) << name;
    EXPECT_EQ(s.size, 4u) << name;
    EXPECT_EQ(s.value, value) << name;
}

// Records every key the settings code opens or creates, and every close.
struct KeyLog {
    std::vector<HKEY> opened, closed;
    std::vector<REGSAM> access;
    std::vector<std::string> sets;
    int failSetAt = 0;    // RegSetValueExA number that fails (1-based)
    int failOpenAt = 0;   // open/create number that fails
    int messages = 0;
    std::wstring messageText;
    UINT messageType = 0;
};
KeyLog g_log;

LSTATUS WINAPI LogOpen(HKEY parent, LPCSTR name, DWORD opt, REGSAM sam, PHKEY out)
{
    g_log.access.push_back(sam);
    if (static_cast<int>(g_log.access.size()) == g_log.failOpenAt)
        return ERROR_ACCESS_DENIED;
    const LSTATUS r = ::RegOpenKeyExA(parent, name, opt, sam, out);
    if (r == ERROR_SUCCESS)
        g_log.opened.push_back(*out);
    return r;
}
LSTATUS WINAPI LogCreate(HKEY parent, LPCSTR name, DWORD res, LPSTR cls, DWORD opt, REGSAM sam,
                         LPSECURITY_ATTRIBUTES sa, PHKEY out, LPDWORD disp)
{
    g_log.access.push_back(sam);
    if (static_cast<int>(g_log.access.size()) == g_log.failOpenAt)
        return ERROR_ACCESS_DENIED;
    const LSTATUS r = ::RegCreateKeyExA(parent, name, res, cls, opt, sam, sa, out, disp);
    if (r == ERROR_SUCCESS)
        g_log.opened.push_back(*out);
    return r;
}
LSTATUS WINAPI LogClose(HKEY h)
{
    g_log.closed.push_back(h);
    return ::RegCloseKey(h);
}
LSTATUS WINAPI LogSet(HKEY h, LPCSTR name, DWORD res, DWORD type, const BYTE* data, DWORD size)
{
    g_log.sets.push_back(name);
    if (static_cast<int>(g_log.sets.size()) == g_log.failSetAt)
        return ERROR_ACCESS_DENIED;
    return ::RegSetValueExA(h, name, res, type, data, size);
}
int WINAPI LogMessage(HWND, LPCWSTR text, LPCWSTR, UINT type)
{
    ++g_log.messages;
    g_log.messageText = text;
    g_log.messageType = type;
    return IDOK;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteSettings();
        g_log = KeyLog{};
    }
    void TearDown() override { DeleteSettings(); }

    // Every key opened was closed once, innermost first.
    void ExpectAllClosed()
    {
        std::vector<HKEY> reversed(g_log.opened.rbegin(), g_log.opened.rend());
        EXPECT_EQ(g_log.closed, reversed);
    }

    SysOverride<decltype(SysApi::RegOpenKeyExA)> open{&SysApi::RegOpenKeyExA, LogOpen};
    SysOverride<decltype(SysApi::RegCreateKeyExA)> create{&SysApi::RegCreateKeyExA, LogCreate};
    SysOverride<decltype(SysApi::RegCloseKey)> close{&SysApi::RegCloseKey, LogClose};
    SysOverride<decltype(SysApi::RegSetValueExA)> set{&SysApi::RegSetValueExA, LogSet};
    SysOverride<decltype(SysApi::MessageBoxW)> box{&SysApi::MessageBoxW, LogMessage};
};

TEST_F(Settings, FirstStartLoadsNothingAndTheSaveCreatesTheKeys)
{
    CKeeperApp app;
    EXPECT_FALSE(app.LoadSettings());
    ExpectAllClosed();
    EXPECT_EQ(g_log.opened.size(), 1u);  // "Software" exists, the maker's key does not

    app.m_bAutoName = 1;
    app.m_bAutoPaste = 1;
    g_log = KeyLog{};
    EXPECT_TRUE(app.SaveSettings());
    ExpectAllClosed();
    EXPECT_EQ(g_log.opened.size(), 4u);
    for (REGSAM sam : g_log.access)
        EXPECT_EQ(sam, static_cast<REGSAM>(KEY_WRITE));
    EXPECT_EQ(g_log.sets, (std::vector<std::string>{"Auto Name", "Task Icon", "Hide", "Auto Paste"}));
    ExpectStored("Auto Name", 1);
    ExpectStored("Task Icon", 0);
    ExpectStored("Hide", 0);
    ExpectStored("Auto Paste", 1);
    EXPECT_EQ(g_log.messages, 0);
}

TEST_F(Settings, SavedOptionsLoadBackAllTogether)
{
    StoreAll(0, 1, 1, 0);
    CKeeperApp app;
    ASSERT_TRUE(app.LoadSettings());
    ExpectAllClosed();
    EXPECT_EQ(g_log.opened.size(), 4u);
    for (REGSAM sam : g_log.access)
        EXPECT_EQ(sam, static_cast<REGSAM>(KEY_READ));
    EXPECT_EQ(app.m_bAutoName, 0);
    EXPECT_EQ(app.m_bTaskIcon, 1);
    EXPECT_EQ(app.m_bHideWhenMinimized, 1);
    EXPECT_EQ(app.m_bAutoPaste, 0);

    // Any non-zero DWORD is "on", stored as 1.
    StoreAll(0xFFFFFFFF, 0x100, 0, 7);
    ASSERT_TRUE(app.LoadSettings());
    EXPECT_EQ(app.m_bAutoName, 1);
    EXPECT_EQ(app.m_bTaskIcon, 1);
    EXPECT_EQ(app.m_bHideWhenMinimized, 0);
    EXPECT_EQ(app.m_bAutoPaste, 1);
}

TEST_F(Settings, ValuesOfOtherTypesUpToFourBytesAreAccepted)
{
    StoreAll(0, 0, 0, 0);
    const BYTE high[2] = {0, 1};
    Store("Auto Name", REG_BINARY, high, 2);     // only the low bytes are filled
    const BYTE zero[1] = {0};
    Store("Task Icon", REG_BINARY, zero, 1);
    Store("Hide", REG_SZ, "1", 2);
    const BYTE three[3] = {0, 0, 9};
    Store("Auto Paste", REG_NONE, three, 3);
    CKeeperApp app;
    ASSERT_TRUE(app.LoadSettings());
    EXPECT_EQ(app.m_bAutoName, 1);
    EXPECT_EQ(app.m_bTaskIcon, 0);
    EXPECT_EQ(app.m_bHideWhenMinimized, 1);
    EXPECT_EQ(app.m_bAutoPaste, 1);
    ExpectAllClosed();
}

TEST_F(Settings, AFiveByteValueOrAMissingValueFailsTheWholeLoad)
{
    StoreAll(1, 1, 1, 1);
    const BYTE five[5] = {1, 0, 0, 0, 0};
    Store("Hide", REG_BINARY, five, 5);
    CKeeperApp app;
    EXPECT_FALSE(app.LoadSettings());
    ExpectAllClosed();

    // The exit then writes all four as DWORDs again.
    g_log = KeyLog{};
    EXPECT_TRUE(app.SaveSettings());
    ExpectStored("Hide", app.m_bHideWhenMinimized);

    DeleteSettings();
    StoreDword("Auto Name", 1);
    StoreDword("Task Icon", 1);
    g_log = KeyLog{};
    EXPECT_FALSE(app.LoadSettings());
    ExpectAllClosed();
}

TEST_F(Settings, KeysAreClosedWhicheverOpenFails)
{
    StoreAll(1, 0, 1, 0);
    for (int failAt = 1; failAt <= 4; ++failAt) {
        g_log = KeyLog{};
        g_log.failOpenAt = failAt;
        CKeeperApp app;
        EXPECT_FALSE(app.LoadSettings()) << failAt;
        EXPECT_EQ(g_log.opened.size(), static_cast<std::size_t>(failAt - 1));
        ExpectAllClosed();

        g_log = KeyLog{};
        g_log.failOpenAt = failAt;
        EXPECT_FALSE(app.SaveSettings()) << failAt;
        EXPECT_TRUE(g_log.sets.empty());
        ExpectAllClosed();
        EXPECT_EQ(g_log.messages, 0);
    }
    // Nothing was overwritten by the failed saves.
    ExpectStored("Auto Name", 1);
    ExpectStored("Hide", 1);
}

TEST_F(Settings, FailureWhileWritingTheThirdValue)
{
    StoreAll(0, 0, 1, 1);
    CKeeperApp app;
    app.m_bAutoName = 1;
    app.m_bTaskIcon = 1;
    app.m_bHideWhenMinimized = 0;
    app.m_bAutoPaste = 0;
    g_log.failSetAt = 3;
    EXPECT_FALSE(app.SaveSettings());
    ExpectAllClosed();
    EXPECT_EQ(g_log.sets.size(), 3u);  // nothing after the failure is tried
    ExpectStored("Auto Name", 1);
    ExpectStored("Task Icon", 1);
    ExpectStored("Hide", 1);
    ExpectStored("Auto Paste", 1);
}

TEST_F(Settings, DispositionBlockThatCannotBeAllocated)
{
    SysOverride<decltype(SysApi::HeapAlloc)> heap(&SysApi::HeapAlloc,
                                                  [](HANDLE, DWORD, SIZE_T) -> LPVOID { return nullptr; });
    CKeeperApp app;
    EXPECT_FALSE(app.SaveSettings());
    EXPECT_EQ(g_log.messages, 1);
    EXPECT_EQ(g_log.messageText, L"Erreur d'allocation m\u00e9moire");
    EXPECT_EQ(g_log.messageType, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(g_log.messageType, 16u);
    EXPECT_TRUE(g_log.access.empty());  // the registry was not touched
    EXPECT_FALSE(ReadSetting("Auto Name").bPresent);
}

}  // namespace
