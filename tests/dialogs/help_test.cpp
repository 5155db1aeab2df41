#include "dialogs/help.h"

#include <gtest/gtest.h>

namespace {

TEST(Help, ReadmeBesideTheProgramQuotedAndTheEditorInTheSystemFolder)
{
    const struct {
        const char* pszModule;
        const char* pszFolder;
    } programs[] = {
        {"D:\\Prog\\keeper.exe", "D:\\Prog"},
        {"C:\\Program Files\\Trovelle 1.0\\trovelle.exe", "C:\\Program Files\\Trovelle 1.0"},
        {"C:\\trovelle.exe", "C:"},
        // No backslash at all: the whole text stays.
        {"trovelle.exe", "trovelle.exe"},
        {"", ""},
    };
    for (const auto& p : programs) {
        EXPECT_STREQ(ProgramFolder(p.pszModule), p.pszFolder) << p.pszModule;
        EXPECT_STREQ(HelpFileParameter(p.pszModule), "\"" + CString(p.pszFolder) + "\\readme.txt\"") << p.pszModule;
    }
    EXPECT_STREQ(EditorPath("C:\\windows"), "C:\\windows\\notepad.exe");
    EXPECT_STREQ(EditorPath("C:\\"), "C:\\notepad.exe");  // a system folder at a drive's root
}

}  // namespace
