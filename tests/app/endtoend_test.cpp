// trovelle.exe as a user runs it, in its own process under Wine, with Auto
// Paste and the notification-area icon set in the registry beforehand. This
// test is another program: it sits ahead of the keeper in the clipboard
// viewer chain, makes a thousand clipboard changes, each time waiting until
// the keeper has seen it, has clips put back, and quits the keeper from its
// notification-area menu.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/clipboard_fixture.h"
#include "tests/support/modal_driver.h"
#include "tests/support/process.h"

namespace {

const char kKey[] = "Software\\Bramwick Software\\Trovelle\\1.0";
const char* const kOptionNames[] = {"Auto Name", "Task Icon", "Hide", "Auto Paste"};
constexpr UINT kTrayNotify = WM_USER + 1;
constexpr int kChanges = 1000;

std::string ProgramPath()
{
    std::string path = "Z:" TROVELLE_EXE;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

bool WriteOption(const char* pszName, DWORD dwValue)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                                   sizeof dwValue) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return ok;
}

// The value as a DWORD, or ~0 when it is missing or of another form.
DWORD ReadOption(const char* pszName)
{
    DWORD dwValue = 0, dwType = 0, cb = sizeof dwValue;
    if (RegGetValueA(HKEY_CURRENT_USER, kKey, pszName, RRF_RT_ANY, &dwType, &dwValue, &cb) != ERROR_SUCCESS ||
        dwType != REG_DWORD || cb != sizeof dwValue)
        return ~0u;
    return dwValue;
}

// The test program's own viewer, first in the chain: it passes every notice
// on to the keeper and keeps its link right when the keeper leaves.
class ChainHead {
public:
    ChainHead()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TrovelleSoakViewer";
        RegisterClassA(&wc);
        m_hWnd = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                               nullptr);
        s_pSelf = this;
        m_hNext = SetClipboardViewer(m_hWnd);
    }
    ~ChainHead()
    {
        ChangeClipboardChain(m_hWnd, m_hNext);
        DestroyWindow(m_hWnd);
        s_pSelf = nullptr;
    }
    HWND next() const { return m_hNext; }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        ChainHead* self = s_pSelf;
        if (self != nullptr && msg == WM_DRAWCLIPBOARD) {
            if (self->m_hNext != nullptr)
                SendMessageA(self->m_hNext, msg, wParam, lParam);
            return 0;
        }
        if (self != nullptr && msg == WM_CHANGECBCHAIN) {
            if (reinterpret_cast<HWND>(wParam) == self->m_hNext)
                self->m_hNext = reinterpret_cast<HWND>(lParam);
            else if (self->m_hNext != nullptr)
                SendMessageA(self->m_hNext, msg, wParam, lParam);
            return 0;
        }
        return DefWindowProcA(h, msg, wParam, lParam);
    }
    HWND m_hWnd = nullptr, m_hNext = nullptr;
    static ChainHead* s_pSelf;
};
ChainHead* ChainHead::s_pSelf = nullptr;

std::string SoakText(int i)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "soak %d", i);
    return sz;
}

TEST(EndToEnd, AThousandChangesAreEachCapturedOnceAndTheMenuQuits)
{
    TestWindow reader{"Lecteur"};
    ASSERT_TRUE(EmptyTheClipboard(reader.hwnd()));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Bramwick Software");
    ASSERT_TRUE(WriteOption("Auto Name", 0) && WriteOption("Task Icon", 1) && WriteOption("Hide", 0) &&
                WriteOption("Auto Paste", 1));

    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + ProgramPath() + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << cmd << " error " << GetLastError();
    struct Closer {
        PROCESS_INFORMATION& pi;
        ~Closer()
        {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(pi.hProcess, 99);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    } closer{pi};

    HWND hMain = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (hMain = FindProcessWindow(pi.dwProcessId, "#32770")) != nullptr; }));
    const HWND hList = FindWindowExA(hMain, nullptr, WC_LISTVIEWA, nullptr);
    ASSERT_NE(hList, nullptr);
    auto clips = [&] { return static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0)); };
    ASSERT_EQ(clips(), 0);

    // Joined after the keeper: its notices, its own restores' too, reach it
    // through this program, from another process.
    ChainHead head;
    ASSERT_EQ(head.next(), hMain);

    TestWindow source{"Source soak"};
    const UINT cfPromised = RegisterFormat("Trovelle soak never rendered");
    int nLeftOvers = 0;
    for (int i = 0; i < kChanges; ++i) {
        const Bytes text = TextBytes(SoakText(i));
        if (i % 10 == 9) {
            // A source that promises a format and closes: the system drops the
            // format and announces the change, which is no new copy.
            auto closing = std::make_unique<TestWindow>("Source qui ferme");
            ASSERT_TRUE(closing->Offer({{CF_TEXT, text}, {cfPromised, {}, SourceFormat::Refused}}));
            ASSERT_TRUE(PumpUntil([&] { return clips() == i + 1; })) << "change " << i << ": " << clips();
            closing.reset();
            ++nLeftOvers;
        } else {
            ASSERT_TRUE(source.Offer({{CF_TEXT, text}}));
        }
        ASSERT_TRUE(PumpUntil([&] { return clips() >= i + 1; })) << "change " << i << " not seen";
        ASSERT_EQ(clips(), i + 1) << "change " << i << " captured twice";
    }
    // Anything late would show now.
    const DWORD dwSettle = GetTickCount();
    PumpUntil([&] { return GetTickCount() - dwSettle > 300; });
    EXPECT_EQ(clips(), kChanges);
    EXPECT_EQ(nLeftOvers, kChanges / 10);

    // The first and the last clip put back, read by this program.
    const struct {
        UINT vk;
        int i;
    } restores[] = {{VK_HOME, 0}, {VK_END, kChanges - 1}, {VK_HOME, 0}};
    for (const auto& r : restores) {
        EmptyTheClipboard(reader.hwnd());
        PostMessageA(hList, WM_KEYDOWN, r.vk, 0);
        PostMessageA(hList, WM_KEYUP, r.vk, 0xC0000001);
        PostMessageA(hMain, WM_COMMAND, MAKEWPARAM(ID_EDITION_COPIER, 0), 0);
        ASSERT_TRUE(PumpUntil([&] { return GetClipboardOwner() == hMain && GetOpenClipboardWindow() == nullptr; }))
            << "clip " << r.i;
        const std::vector<ReadFormat> got = ReadClipboard(reader.hwnd());
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got[0], (ReadFormat{CF_TEXT, true, TextBytes(SoakText(r.i))})) << "clip " << r.i;
        EXPECT_EQ(clips(), kChanges);  // its own restore is no new clip
    }

    // Quit from the notification-area menu: a right press on the icon opens
    // it, its mnemonic picks "Quitter".
    PostMessageA(hMain, kTrayNotify, 1, WM_RBUTTONDOWN);
    HWND hMenu = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (hMenu = FindProcessWindow(pi.dwProcessId, "#32768")) != nullptr; }));
    const DWORD dwShown = GetTickCount();
    PumpUntil([&] { return GetTickCount() - dwShown > 200; });
    SaveWindowPicture(GetDesktopWindow(), "tray_menu");
    PostMessageA(hMenu, WM_CHAR, 'q', 0);
    ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }));
    DWORD dwExit = 1;
    GetExitCodeProcess(pi.hProcess, &dwExit);
    EXPECT_EQ(dwExit, 0u);
    EXPECT_EQ(head.next(), nullptr);  // it left the chain

    // The options it was started with, written back at exit.
    const DWORD expected[] = {0, 1, 0, 1};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(ReadOption(kOptionNames[k]), expected[k]) << kOptionNames[k];
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Bramwick Software");
}

}  // namespace
