// The help text that Aide > Aide opens in Notepad: copied beside the program,
// Windows-1252 with CR LF line ends, and in step with the menu it explains.
#include "res_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/settings_key.h"

using namespace resread;

namespace {

std::string ReadHelp()
{
    std::ifstream f(TROVELLE_README, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// A menu item as the help names it: without '&' and without the shortcut
// after the tab; the shortcut separately, without its leading blanks.
void SplitMenuText(const std::string& text, std::string& name, std::string& shortcut)
{
    const std::size_t tab = text.find('\t');
    name.clear();
    for (char c : text.substr(0, tab))
        if (c != '&')
            name.push_back(c);
    shortcut = tab == std::string::npos ? "" : text.substr(text.find_first_not_of(' ', tab + 1));
}

}  // namespace

TEST(ResReadme, BesideTheProgramInWindows1252WithCrLf)
{
    const std::string help = ReadHelp();
    ASSERT_GT(help.size(), 1000u) << TROVELLE_README;
    EXPECT_NE(help.compare(0, 3, "\xef\xbb\xbf"), 0) << "a UTF-8 byte order mark";
    int lone = 0, utf8 = 0, undefined = 0;
    for (std::size_t i = 0; i < help.size(); ++i) {
        const unsigned char c = help[i], next = i + 1 < help.size() ? help[i + 1] : 0;
        const unsigned char prev = i > 0 ? help[i - 1] : 0;
        lone += (c == '\n' && prev != '\r') || (c == '\r' && next != '\n');
        // A French letter saved as UTF-8: "é" would read as "Ã©" in Notepad.
        utf8 += c == 0xC3 && next >= 0x80 && next <= 0xBF;
        undefined += c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
    }
    EXPECT_EQ(lone, 0) << "line ends other than CR LF";
    EXPECT_EQ(utf8, 0);
    EXPECT_EQ(undefined, 0) << "bytes that Windows-1252 leaves undefined";
    EXPECT_NE(help.find("m\xe9moire"), std::string::npos);
    EXPECT_NE(help.find("HKEY_CURRENT_USER\\" + SettingsKey()), std::string::npos) << SettingsKey();
}

TEST(ResReadme, NamesEveryMenuCommandAndShortcut)
{
    const std::string help = ReadHelp();
    ASSERT_FALSE(help.empty());
    HMENU hMenu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(129));
    ASSERT_NE(hMenu, nullptr);
    int commands = 0;
    for (int p = 0; p < GetMenuItemCount(hMenu); ++p) {
        HMENU hSub = GetSubMenu(hMenu, p);
        for (int i = 0; hSub != nullptr && i < GetMenuItemCount(hSub); ++i) {
            wchar_t buf[128] = {};
            if (GetMenuStringW(hSub, i, buf, 128, MF_BYPOSITION) == 0)
                continue;  // separator
            std::string name, shortcut;
            SplitMenuText(To1252(buf), name, shortcut);
            ++commands;
            EXPECT_NE(help.find(name), std::string::npos) << name;
            if (!shortcut.empty()) {
                EXPECT_NE(help.find(shortcut), std::string::npos) << shortcut;
            }
        }
    }
    DestroyMenu(hMenu);
    EXPECT_EQ(commands, 13);
    // The second key of Supprimer has no menu text of its own.
    EXPECT_NE(help.find("Retour arri\xe8re"), std::string::npos);
}
