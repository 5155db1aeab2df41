// The release as a user gets it, each test in a fresh Wine prefix of its
// own (tests/release/in_fresh_prefix.sh): the installer run silently and
// through its pages, the installed program, an upgrade over a running copy,
// the uninstaller, and the portable zip unpacked under blanks and accents.
// The release is the one scripts/release made for this test run; the
// environment names its files.
#include <windows.h>

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "res/resource.h"
#include "tests/support/modal_driver.h"
#include "tests/support/process.h"
#include "tests/support/settings_key.h"

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Trovelle";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kShipped[] = {"trovelle.exe", "readme.txt", "LICENSE.txt"};

std::wstring Widen(const std::string& s)
{
    std::wstring w(s.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, w.data(), static_cast<int>(w.size()));
    w.resize(n > 0 ? n - 1 : 0);
    return w;
}

std::string Narrow(const std::wstring& w)
{
    std::string s(w.size() * 3 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), static_cast<int>(s.size()), nullptr, nullptr);
    s.resize(n > 0 ? n - 1 : 0);
    return s;
}

// The program's settings key, as the wide registry calls take it.
std::wstring OptionsKey() { return Widen(SettingsKey()); }

// A variable the test script sets: a Unix path becomes the same file seen
// through drive Z:, anything else stays as it is.
std::wstring Setting(const char* pszName)
{
    wchar_t value[MAX_PATH] = {};
    GetEnvironmentVariableW(Widen(pszName).c_str(), value, MAX_PATH);
    std::wstring w = value;
    if (!w.empty() && w[0] == L'/') {
        std::replace(w.begin(), w.end(), L'/', L'\\');
        w = L"Z:" + w;
    }
    return w;
}

std::wstring KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring InstallDir() { return KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Trovelle"; }
std::wstring MenuDir() { return KnownFolder(CSIDL_PROGRAMS) + L"\\Trovelle"; }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream f(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream f(path.c_str(), std::ios::binary | std::ios::trunc);
    f << bytes;
    return f.good();
}

// A string value, or "(none)" when it is missing or not a string.
std::wstring RegText(const wchar_t* key, const wchar_t* name)
{
    wchar_t buf[1024] = {};
    DWORD cb = sizeof buf;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buf, &cb) != ERROR_SUCCESS)
        return L"(none)";
    return buf;
}

// A DWORD value, or ~0 when it is missing or of another type.
DWORD RegNumber(const wchar_t* key, const wchar_t* name)
{
    DWORD value = 0, cb = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &cb) != ERROR_SUCCESS)
        return ~0u;
    return value;
}

bool KeyExists(const wchar_t* key)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

bool SetRegText(const wchar_t* key, const wchar_t* name, const std::wstring& value)
{
    return RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Runs a program to its end; its exit code, or STILL_ACTIVE if it did not end
// within two minutes.
DWORD Run(const std::wstring& commandLine)
{
    ChildProcess process(commandLine);
    EXPECT_TRUE(process.Started()) << Narrow(commandLine) << ": error " << GetLastError();
    process.WaitForExit(120000);
    return process.ExitCode();
}

DWORD RunSetup(const std::wstring& options = L"")
{
    return Run(L"\"" + Setting("TROVELLE_SETUP") + L"\" /S" + (options.empty() ? L"" : L" " + options));
}

// The uninstaller copies itself to the temporary folder and lets the copy
// work: waits for that copy too. Its exit code is the first process's.
DWORD RunUninstaller(const std::wstring& commandLine)
{
    std::set<DWORD> before;
    for (const ProcessEntry& p : RunningProcesses())
        before.insert(p.dwId);
    const DWORD code = Run(commandLine);
    for (const ProcessEntry& p : RunningProcesses()) {
        if (before.count(p.dwId) != 0 || p.exeName.rfind(L"Un", 0) != 0)
            continue;
        HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, p.dwId);
        if (h != nullptr) {
            WaitForSingleObject(h, 120000);
            CloseHandle(h);
        }
    }
    return code;
}

struct Shortcut {
    std::wstring target, arguments, folder;
};

// What a shell link holds, read through the shell's own interface.
Shortcut ReadShortcut(const std::wstring& path)
{
    Shortcut s;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return s;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t buf[MAX_PATH] = {};
            link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH);
            s.target = buf;
            buf[0] = L'\0';
            link->GetArguments(buf, MAX_PATH);
            s.arguments = buf;
            buf[0] = L'\0';
            link->GetWorkingDirectory(buf, MAX_PATH);
            s.folder = buf;
        }
        file->Release();
    }
    link->Release();
    return s;
}

bool SameFile(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

bool EndsWith(const std::wstring& s, const std::wstring& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The Trovelle started from exe: its main window once it shows.
HWND MainWindowOf(const ChildProcess& process)
{
    HWND hMain = nullptr;
    PumpUntil([&] { return (hMain = FindProcessWindow(process.Id(), "#32770", "Trovelle")) != nullptr; }, 30000);
    return hMain;
}

// Opens the About box of that Trovelle, which then cannot end on the close
// it is sent until the box is closed: the box, or null.
HWND OpenAboutBox(const ChildProcess& trovelle)
{
    const HWND hMain = MainWindowOf(trovelle);
    if (hMain == nullptr)
        return nullptr;
    PostMessageW(hMain, WM_COMMAND, MAKEWPARAM(IDM_ABOUTBOX, 0), 0);
    HWND hAbout = nullptr;
    PumpUntil(
        [&] { return (hAbout = FindProcessWindow(trovelle.Id(), "#32770", "A propos de Trovelle")) != nullptr; });
    return hAbout;
}

// Aide > Aide in that window: the command line of the editor it starts, and
// the first line of the text the editor shows. The editor is closed again.
struct HelpSeen {
    std::wstring commandLine;
    std::wstring image;  // the editor's program file
    std::string firstLine;
};

HelpSeen AskForHelp(HWND hMain)
{
    std::set<DWORD> before;
    for (const ProcessEntry& p : RunningProcesses())
        before.insert(p.dwId);
    PostMessageW(hMain, WM_COMMAND, MAKEWPARAM(ID_AIDE_AIDE, 0), 0);
    DWORD dwEditor = 0;
    PumpUntil(
        [&] {
            for (const ProcessEntry& p : RunningProcesses())
                if (before.count(p.dwId) == 0 && lstrcmpiW(p.exeName.c_str(), L"notepad.exe") == 0)
                    dwEditor = p.dwId;
            return dwEditor != 0;
        },
        20000);
    HelpSeen seen;
    if (dwEditor == 0)
        return seen;
    // Read once the editor shows its window: a process just started may not
    // have its parameters in place yet.
    HWND hEditor = nullptr;
    PumpUntil([&] { return (hEditor = FindProcessWindow(dwEditor, "Notepad")) != nullptr; }, 20000);
    seen.commandLine = ProcessCommandLine(dwEditor);
    if (HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwEditor)) {
        wchar_t image[MAX_PATH] = {};
        DWORD cch = MAX_PATH;
        if (QueryFullProcessImageNameW(hProcess, 0, image, &cch))
            seen.image = image;
        CloseHandle(hProcess);
    }
    HWND hEdit = hEditor != nullptr ? FindWindowExA(hEditor, nullptr, "Edit", nullptr) : nullptr;
    if (hEdit != nullptr) {
        char text[64] = {};
        SendMessageA(hEdit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        seen.firstLine = std::string(text).substr(0, std::string(text).find('\r'));
    }
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwEditor);
    if (h != nullptr) {
        TerminateProcess(h, 0);
        WaitForSingleObject(h, 5000);
        CloseHandle(h);
    }
    return seen;
}

// Starts the program in folder, checks that it shows its window and that
// Help opens the readme beside it, and quits it as a user would.
void StartAndAskForHelp(const std::wstring& folder)
{
    ChildProcess trovelle(L"\"" + folder + L"\\trovelle.exe\"");
    ASSERT_TRUE(trovelle.Started()) << Narrow(folder);
    const HWND hMain = MainWindowOf(trovelle);
    ASSERT_NE(hMain, nullptr) << "no main window";
    const HelpSeen help = AskForHelp(hMain);
    EXPECT_TRUE(EndsWith(help.commandLine, L" \"" + folder + L"\\readme.txt\"")) << Narrow(help.commandLine);
    EXPECT_TRUE(SameFile(help.image, KnownFolder(CSIDL_WINDOWS) + L"\\notepad.exe")) << Narrow(help.image);
    EXPECT_EQ(help.firstLine, "Trovelle version 1.0");
    PostMessageW(hMain, WM_COMMAND, MAKEWPARAM(ID_FICHIER_QUITTER, 0), 0);
    ASSERT_TRUE(trovelle.WaitForExit(20000));
    EXPECT_EQ(trovelle.ExitCode(), 0u);
}

class Release : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        ASSERT_TRUE(Exists(Setting("TROVELLE_SETUP"))) << "TROVELLE_SETUP";
        ASSERT_TRUE(Exists(Setting("TROVELLE_UNZIPPED"))) << "TROVELLE_UNZIPPED";
        ASSERT_FALSE(Exists(InstallDir())) << "the prefix is not fresh";
    }
    void TearDown() override { CoUninitialize(); }

    // The installed files are the zip's, byte for byte.
    void ExpectShippedFilesIn(const std::wstring& folder)
    {
        for (const char* name : kShipped) {
            const std::string shipped = ReadBytes(Setting("TROVELLE_UNZIPPED") + L"\\" + Widen(name));
            ASSERT_FALSE(shipped.empty()) << name;
            EXPECT_TRUE(ReadBytes(folder + L"\\" + Widen(name)) == shipped) << name << " differs from the zip's";
        }
    }
};

TEST_F(Release, SilentInstallThenSilentUninstall)
{
    ASSERT_EQ(RunSetup(), 0u);
    const std::wstring dir = InstallDir();
    ExpectShippedFilesIn(dir);
    EXPECT_TRUE(Exists(dir + L"\\uninstall.exe"));

    const Shortcut program = ReadShortcut(MenuDir() + L"\\Trovelle.lnk");
    EXPECT_TRUE(SameFile(program.target, dir + L"\\trovelle.exe")) << Narrow(program.target);
    EXPECT_TRUE(SameFile(program.folder, dir)) << Narrow(program.folder);
    const Shortcut help = ReadShortcut(MenuDir() + L"\\Aide de Trovelle.lnk");
    EXPECT_TRUE(SameFile(help.target, KnownFolder(CSIDL_WINDOWS) + L"\\notepad.exe")) << Narrow(help.target);
    EXPECT_EQ(help.arguments, L"\"" + dir + L"\\readme.txt\"");

    EXPECT_EQ(RegText(kUninstallKey, L"DisplayName"), L"Trovelle");
    EXPECT_EQ(RegText(kUninstallKey, L"DisplayVersion"), Setting("TROVELLE_VERSION"));
    EXPECT_EQ(RegText(kUninstallKey, L"Publisher"), L"Bramwick Software");
    EXPECT_EQ(RegText(kUninstallKey, L"DisplayIcon"), dir + L"\\trovelle.exe,0");
    EXPECT_EQ(RegText(kUninstallKey, L"InstallLocation"), dir);
    EXPECT_EQ(RegText(kUninstallKey, L"UninstallString"), L"\"" + dir + L"\\uninstall.exe\"");
    EXPECT_EQ(RegText(kUninstallKey, L"QuietUninstallString"), L"\"" + dir + L"\\uninstall.exe\" /S");
    EXPECT_EQ(RegNumber(kUninstallKey, L"NoModify"), 1u);
    EXPECT_EQ(RegNumber(kUninstallKey, L"NoRepair"), 1u);
    // In KiB, the four files together.
    ULONGLONG bytes = 0;
    for (const wchar_t* name : {L"trovelle.exe", L"readme.txt", L"LICENSE.txt", L"uninstall.exe"})
        bytes += ReadBytes(dir + L"\\" + name).size();
    const DWORD kib = RegNumber(kUninstallKey, L"EstimatedSize");
    EXPECT_GE(kib, bytes / 1024 - 4) << bytes;
    EXPECT_LE(kib, bytes / 1024 + 4) << bytes;
    EXPECT_EQ(RegText(kRunKey, L"Trovelle"), L"(none)");

    // The installed program runs and finds its help; quitting it stores the
    // options.
    ASSERT_FALSE(KeyExists(OptionsKey().c_str()));
    StartAndAskForHelp(dir);
    ASSERT_TRUE(KeyExists(OptionsKey().c_str()));

    // Uninstalling while it runs with an option changed: it is closed first
    // and saves that option, which the uninstall leaves in place.
    ChildProcess trovelle(L"\"" + dir + L"\\trovelle.exe\"");
    const HWND hMain = MainWindowOf(trovelle);
    ASSERT_NE(hMain, nullptr);
    PostMessageW(hMain, WM_COMMAND, MAKEWPARAM(ID_OPTIONS_NOMMAGEAUTOMATIQUE, 0), 0);
    ASSERT_TRUE(PumpUntil([&] {
        return (GetMenuState(GetMenu(hMain), ID_OPTIONS_NOMMAGEAUTOMATIQUE, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }));
    EXPECT_EQ(RunUninstaller(RegText(kUninstallKey, L"QuietUninstallString")), 0u);
    EXPECT_FALSE(trovelle.Running());
    EXPECT_FALSE(Exists(dir));
    EXPECT_FALSE(Exists(MenuDir()));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_EQ(RegText(kRunKey, L"Trovelle"), L"(none)");
    EXPECT_EQ(RegNumber(OptionsKey().c_str(), L"Auto Name"), 1u);
    EXPECT_EQ(RegNumber(OptionsKey().c_str(), L"Auto Paste"), 0u);
}

TEST_F(Release, UpgradeClosesTheRunningProgramWhichSavesItsOptions)
{
    ASSERT_EQ(RunSetup(), 0u);
    const std::wstring dir = InstallDir();
    // Marks of an older version, which the upgrade must replace.
    ASSERT_TRUE(WriteBytes(dir + L"\\readme.txt", "ancienne aide\r\n"));
    ASSERT_TRUE(SetRegText(kUninstallKey, L"DisplayVersion", L"0.9"));

    {
        // A program that cannot close now (its About box is open): a silent
        // install fails and changes nothing.
        ChildProcess trovelle(L"\"" + dir + L"\\trovelle.exe\"");
        const HWND hAbout = OpenAboutBox(trovelle);
        ASSERT_NE(hAbout, nullptr);
        EXPECT_NE(RunSetup(), 0u);
        EXPECT_TRUE(trovelle.Running());
        EXPECT_EQ(ReadBytes(dir + L"\\readme.txt"), "ancienne aide\r\n");
        EXPECT_EQ(RegText(kUninstallKey, L"DisplayVersion"), L"0.9");
        // Once the box is closed, the close it was sent goes through.
        PostMessageW(hAbout, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        EXPECT_TRUE(trovelle.WaitForExit(20000));
    }

    // Options changed in the running program are in its memory only until it
    // quits.
    DeleteSettings();
    ChildProcess trovelle(L"\"" + dir + L"\\trovelle.exe\"");
    const HWND hMain = MainWindowOf(trovelle);
    ASSERT_NE(hMain, nullptr);
    PostMessageW(hMain, WM_COMMAND, MAKEWPARAM(ID_OPTIONS_NOMMAGEAUTOMATIQUE, 0), 0);
    PostMessageW(hMain, WM_COMMAND, MAKEWPARAM(ID_OPTIONS_COLLAGEAUTOMATIQUE, 0), 0);
    ASSERT_TRUE(PumpUntil([&] {
        HMENU hMenu = GetMenu(hMain);
        return (GetMenuState(hMenu, ID_OPTIONS_COLLAGEAUTOMATIQUE, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }));
    ASSERT_FALSE(KeyExists(OptionsKey().c_str()));

    EXPECT_EQ(RunSetup(), 0u);
    EXPECT_FALSE(trovelle.Running());
    EXPECT_EQ(trovelle.ExitCode(), 0u);
    EXPECT_EQ(RegNumber(OptionsKey().c_str(), L"Auto Name"), 1u);
    EXPECT_EQ(RegNumber(OptionsKey().c_str(), L"Task Icon"), 0u);
    EXPECT_EQ(RegNumber(OptionsKey().c_str(), L"Hide"), 0u);
    EXPECT_EQ(RegNumber(OptionsKey().c_str(), L"Auto Paste"), 1u);
    ExpectShippedFilesIn(dir);
    EXPECT_EQ(RegText(kUninstallKey, L"DisplayVersion"), Setting("TROVELLE_VERSION"));
}

TEST_F(Release, StartsAtLogonOnlyWhenAsked)
{
    const std::wstring dir = InstallDir();
    const std::wstring runValue = L"\"" + dir + L"\\trovelle.exe\"";
    ASSERT_EQ(RunSetup(), 0u);
    EXPECT_EQ(RegText(kRunKey, L"Trovelle"), L"(none)");
    ASSERT_EQ(RunSetup(L"/AUTOSTART=1"), 0u);
    EXPECT_EQ(RegText(kRunKey, L"Trovelle"), runValue);
    // An upgrade that says nothing keeps the earlier choice.
    ASSERT_EQ(RunSetup(), 0u);
    EXPECT_EQ(RegText(kRunKey, L"Trovelle"), runValue);
    ASSERT_EQ(RunSetup(L"/AUTOSTART=0"), 0u);
    EXPECT_EQ(RegText(kRunKey, L"Trovelle"), L"(none)");

    // Uninstalling takes the value away.
    ASSERT_EQ(RunSetup(L"/AUTOSTART=1"), 0u);
    EXPECT_EQ(RegText(kRunKey, L"Trovelle"), runValue);
    EXPECT_EQ(RunUninstaller(L"\"" + dir + L"\\uninstall.exe\" /S"), 0u);
    EXPECT_EQ(RegText(kRunKey, L"Trovelle"), L"(none)");
    EXPECT_FALSE(Exists(dir));

    // A value the installer does not know stops it before anything is done.
    EXPECT_NE(RunSetup(L"/AUTOSTART=oui"), 0u);
    EXPECT_FALSE(Exists(dir));
    EXPECT_FALSE(KeyExists(kUninstallKey));
}

// Folders given by /D= or only by the uninstall entry's location, and what
// they hold already, which the install, an upgrade and the uninstall keep.
struct FolderCase {
    const char* what;
    std::vector<std::wstring> others;  // a name ending in a backslash is a folder
    bool earlierInstall, recordedOnly;
    const wchar_t* goesTo;  // null: the installer stops
};
const FolderCase kFolderCases[] = {
    {"empty", {}, false, false, L""},
    {"another program's", {L"readme.txt", L"LICENSE.txt", L"uninstall.exe"}, false, false, L"\\Trovelle"},
    {"the user's beside an earlier install", {L"notes.txt"}, true, false, L""},
    {"recorded, Trovelle gone", {L"readme.txt"}, false, true, L"\\Trovelle"},
    {"taken inside too", {L"notes.txt", L"Trovelle\\", L"Trovelle\\notes.txt"}, false, false, nullptr},
};

TEST_F(Release, AmongOtherFilesInstallsOnlyInAFolderOfItsOwn)
{
    int n = 0;
    for (const FolderCase& c : kFolderCases) {
        SCOPED_TRACE(c.what);
        const std::wstring folder = L"C:\\cas " + std::to_wstring(++n);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        if (c.earlierInstall) {
            ASSERT_EQ(RunSetup(L"/D=" + folder), 0u);
        }
        for (const std::wstring& name : c.others)
            ASSERT_TRUE(name.back() == L'\\' ? CreateDirectoryW((folder + L"\\" + name).c_str(), nullptr) != FALSE
                                              : WriteBytes(folder + L"\\" + name, Narrow(name)));
        if (c.recordedOnly) {
            ASSERT_TRUE(SetRegText(kUninstallKey, L"InstallLocation", folder));
        }
        const DWORD code = RunSetup(c.recordedOnly ? L"" : L"/D=" + folder);
        if (c.goesTo == nullptr) {
            EXPECT_EQ(code, 2u);
            EXPECT_FALSE(KeyExists(kUninstallKey));
        } else {
            const std::wstring dir = folder + c.goesTo;
            EXPECT_EQ(code, 0u);
            ExpectShippedFilesIn(dir);
            EXPECT_EQ(RunSetup(), 0u);  // an upgrade stays there
            EXPECT_EQ(RegText(kUninstallKey, L"InstallLocation"), dir);
            EXPECT_EQ(RunUninstaller(L"\"" + dir + L"\\uninstall.exe\" /S"), 0u);
        }
        for (const std::wstring& name : c.others)
            EXPECT_TRUE(name.back() == L'\\' || ReadBytes(folder + L"\\" + name) == Narrow(name)) << Narrow(name);
    }
}

// The texts of a window's visible descendants, in order.
std::vector<std::string> VisibleTexts(HWND hWnd)
{
    std::vector<std::string> texts;
    EnumChildWindows(
        hWnd,
        [](HWND h, LPARAM l) -> BOOL {
            if (IsWindowVisible(h)) {
                wchar_t buf[512] = {};
                GetWindowTextW(h, buf, 512);
                if (buf[0] != L'\0')
                    reinterpret_cast<std::vector<std::string>*>(l)->push_back(Narrow(buf));
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool HasText(HWND hWnd, const std::string& part)
{
    for (const std::string& t : VisibleTexts(hWnd))
        if (t.find(part) != std::string::npos)
            return true;
    return false;
}

// The visible child control of that class whose text is text.
HWND FindControl(HWND hWnd, const char* pszClass, const std::string& text)
{
    struct Search {
        const char* pszClass;
        std::wstring text;
        HWND hFound;
    } search{pszClass, Widen(text), nullptr};
    EnumChildWindows(
        hWnd,
        [](HWND h, LPARAM l) -> BOOL {
            auto* s = reinterpret_cast<Search*>(l);
            char cls[64] = {};
            wchar_t buf[512] = {};
            GetClassNameA(h, cls, sizeof cls);
            GetWindowTextW(h, buf, 512);
            if (IsWindowVisible(h) && lstrcmpiA(cls, s->pszClass) == 0 && s->text == buf) {
                s->hFound = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

void Settle(DWORD ms)
{
    const DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start > ms; }, ms + 1000);
}

TEST_F(Release, InstallerPagesInFrenchWithTheLogonOption)
{
    ChildProcess setup(L"\"" + Setting("TROVELLE_SETUP") + L"\"");
    ASSERT_TRUE(setup.Started());
    HWND hWizard = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            hWizard = FindProcessWindow(setup.Id(), "#32770");
            return hWizard != nullptr && HasText(hWizard, "Bienvenue");
        },
        30000));
    EXPECT_TRUE(HasText(hWizard, "Bienvenue dans le programme d'installation de Trovelle"));
    EXPECT_TRUE(HasText(hWizard, "aucun droit d'administrateur"));
    Settle(500);
    SaveWindowPicture(hWizard, "installer_welcome");

    // Next: the option page, its one box unticked; tick it.
    SendMessageW(GetDlgItem(hWizard, IDOK), BM_CLICK, 0, 0);
    const std::string boxText = "&D\xc3\xa9marrer Trovelle \xc3\xa0 l'ouverture de la session";
    HWND hBox = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (hBox = FindControl(hWizard, "Button", boxText)) != nullptr; }));
    EXPECT_EQ(SendMessageW(hBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Settle(300);
    SaveWindowPicture(hWizard, "installer_option");
    SendMessageW(hBox, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(hBox, BM_GETCHECK, 0, 0), BST_CHECKED);

    // Install, then the last page offers to start the program.
    SendMessageW(GetDlgItem(hWizard, IDOK), BM_CLICK, 0, 0);
    HWND hLaunch = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (hLaunch = FindControl(hWizard, "Button", "Lancer Trovelle")) != nullptr; },
                          60000));
    EXPECT_EQ(SendMessageW(hLaunch, BM_GETCHECK, 0, 0), BST_CHECKED);
    Settle(500);
    SaveWindowPicture(hWizard, "installer_finish");
    EXPECT_EQ(RegText(kRunKey, L"Trovelle"), L"\"" + InstallDir() + L"\\trovelle.exe\"");
    ExpectShippedFilesIn(InstallDir());

    // "Fermer" with the box ticked starts the installed program.
    std::set<DWORD> before;
    for (const ProcessEntry& p : RunningProcesses())
        before.insert(p.dwId);
    SendMessageW(GetDlgItem(hWizard, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(setup.WaitForExit(20000));
    EXPECT_EQ(setup.ExitCode(), 0u);
    DWORD dwStarted = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (const ProcessEntry& p : RunningProcesses())
                if (before.count(p.dwId) == 0 && lstrcmpiW(p.exeName.c_str(), L"trovelle.exe") == 0)
                    dwStarted = p.dwId;
            return dwStarted != 0 && FindProcessWindow(dwStarted, "#32770", "Trovelle") != nullptr;
        },
        30000));
    const HWND hMain = FindProcessWindow(dwStarted, "#32770", "Trovelle");
    HANDLE hStarted = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwStarted);
    ASSERT_NE(hStarted, nullptr);
    wchar_t image[MAX_PATH] = {};
    DWORD cch = MAX_PATH;
    QueryFullProcessImageNameW(hStarted, 0, image, &cch);
    EXPECT_TRUE(SameFile(image, InstallDir() + L"\\trovelle.exe")) << Narrow(image);
    PostMessageW(hMain, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(hStarted, 20000), WAIT_OBJECT_0);
    CloseHandle(hStarted);
}

// A visible top-level window of the process showing a text that holds part.
HWND FindWindowShowing(DWORD dwProcessId, const std::string& part)
{
    struct Search {
        DWORD dwProcessId;
        std::string part;
        HWND hFound;
    } search{dwProcessId, part, nullptr};
    EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
            auto* s = reinterpret_cast<Search*>(l);
            DWORD dwPid = 0;
            GetWindowThreadProcessId(h, &dwPid);
            if (dwPid == s->dwProcessId && IsWindowVisible(h) && HasText(h, s->part)) {
                s->hFound = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

TEST_F(Release, InstallerAsksWhenTheRunningProgramDoesNotClose)
{
    ASSERT_EQ(RunSetup(), 0u);
    const std::wstring dir = InstallDir();
    ASSERT_TRUE(SetRegText(kUninstallKey, L"DisplayVersion", L"0.9"));
    // Its About box is open: the program cannot end on the close it is sent.
    ChildProcess trovelle(L"\"" + dir + L"\\trovelle.exe\"");
    const HWND hAbout = OpenAboutBox(trovelle);
    ASSERT_NE(hAbout, nullptr);

    ChildProcess setup(L"\"" + Setting("TROVELLE_SETUP") + L"\"");
    HWND hWizard = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (hWizard = FindWindowShowing(setup.Id(), "Bienvenue")) != nullptr; }, 30000));
    SendMessageW(GetDlgItem(hWizard, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return HasText(hWizard, "Quand Trovelle doit-il d\xc3\xa9marrer"); }));
    SendMessageW(GetDlgItem(hWizard, IDOK), BM_CLICK, 0, 0);

    HWND hAsk = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] { return (hAsk = FindWindowShowing(setup.Id(), "Trovelle est toujours ouvert")) != nullptr; }, 30000));
    EXPECT_TRUE(HasText(hAsk, "Si vous annulez, l'installation s'arr\xc3\xaate sans rien changer."));
    EXPECT_EQ(RegText(kUninstallKey, L"DisplayVersion"), L"0.9");
    Settle(300);
    SaveWindowPicture(hAsk, "installer_still_running");

    // The user closes the box, the close goes through, and Retry goes on.
    PostMessageW(hAbout, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    ASSERT_TRUE(trovelle.WaitForExit(20000));
    SendMessageW(GetDlgItem(hAsk, IDRETRY), BM_CLICK, 0, 0);
    HWND hLaunch = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (hLaunch = FindControl(hWizard, "Button", "Lancer Trovelle")) != nullptr; },
                          60000));
    SendMessageW(hLaunch, BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(hWizard, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(setup.WaitForExit(20000));
    EXPECT_EQ(setup.ExitCode(), 0u);
    EXPECT_EQ(RegText(kUninstallKey, L"DisplayVersion"), Setting("TROVELLE_VERSION"));
    ExpectShippedFilesIn(dir);
}

TEST(Portable, UnpackedUnderBlanksAndAccentsFindsItsHelp)
{
    // The test script unpacked the zip there, beside another program's
    // readme.txt.
    const std::wstring folder = Setting("TROVELLE_PORTABLE");
    ASSERT_NE(folder.find(L' '), std::wstring::npos);
    ASSERT_NE(folder.find(L'\u00e9'), std::wstring::npos);
    ASSERT_TRUE(Exists(folder + L"\\trovelle.exe")) << Narrow(folder);
    // A download folder may hold any "notepad.exe", and so may the folder the
    // program is started from: neither is the editor that Help runs.
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    const std::wstring planted[] = {folder + L"\\notepad.exe", std::wstring(current) + L"\\notepad.exe"};
    const std::wstring editor = KnownFolder(CSIDL_SYSTEM) + L"\\notepad.exe";
    for (const std::wstring& p : planted)
        ASSERT_TRUE(CopyFileW(editor.c_str(), p.c_str(), FALSE)) << Narrow(p);
    StartAndAskForHelp(folder);
    for (const std::wstring& p : planted)
        DeleteFileW(p.c_str());
}

}  // namespace
