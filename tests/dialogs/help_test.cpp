#include "dialogs/help.h"

#include <gtest/gtest.h>

namespace {

TEST(Help, ReadmeBesideTheProgramUnquoted)
{
    EXPECT_STREQ(HelpFileParameter("D:\\Prog\\keeper.exe"), "D:\\Prog\\readme.txt");
    EXPECT_STREQ(HelpFileParameter("C:\\Program Files\\Trovelle 1.0\\trovelle.exe"),
                 "C:\\Program Files\\Trovelle 1.0\\readme.txt");
    EXPECT_STREQ(HelpFileParameter("C:\\trovelle.exe"), "C:\\readme.txt");
    // No backslash at all: the whole text stays.
    EXPECT_STREQ(HelpFileParameter("trovelle.exe"), "trovelle.exe\\readme.txt");
    EXPECT_STREQ(HelpFileParameter(""), "\\readme.txt");
}

}  // namespace
