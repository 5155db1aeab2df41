// trovelle.exe through the end of the user's session, run in a Wine prefix of
// its own: `wineboot --end-session` asks every program of the session, as a
// logoff does, and ends each one once it has answered. This program shows no
// window, so that it is not among them.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/process.h"
#include "tests/support/settings_key.h"

namespace {

TEST(Session, TheOptionsChangedWhileTheProgramRunsOutliveTheSessionsEnd)
{
    DeleteSettings();
    ChildProcess keeper("\"" + WindowsPath(TROVELLE_EXE) + "\"");
    HWND hMain = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (hMain = FindProcessWindow(keeper.Id(), "#32770", "Trovelle")) != nullptr; }));
    for (UINT id : {ID_OPTIONS_NOMMAGEAUTOMATIQUE, ID_OPTIONS_ICONE, ID_OPTIONS_COLLAGEAUTOMATIQUE})
        PostMessageA(hMain, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    ASSERT_TRUE(PumpUntil([&] {
        return (GetMenuState(GetMenu(hMain), ID_OPTIONS_COLLAGEAUTOMATIQUE, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }));
    EXPECT_FALSE(ReadSetting("Auto Name").bPresent);  // in memory only, so far

    ChildProcess endSession("wineboot.exe --end-session");
    ASSERT_TRUE(endSession.WaitForExit(60000));
    EXPECT_TRUE(keeper.WaitForExit(10000)) << "the program outlived its session";
    EXPECT_EQ(StoredOption("Auto Name"), 1u);
    EXPECT_EQ(StoredOption("Task Icon"), 1u);
    EXPECT_EQ(StoredOption("Hide"), 0u);
    EXPECT_EQ(StoredOption("Auto Paste"), 1u);
    DeleteSettings();
}

}  // namespace
