#include "tests/support/controls.h"

#include <commctrl.h>

std::string WindowText(HWND h)
{
    std::string s(static_cast<std::size_t>(GetWindowTextLengthA(h)) + 1, '\0');
    s.resize(static_cast<std::size_t>(GetWindowTextA(h, s.data(), static_cast<int>(s.size()))));
    return s;
}

std::string StatusText(HWND hStatus, int nPart)
{
    char sz[512] = {};
    SendMessageA(hStatus, SB_GETTEXTA, nPart, reinterpret_cast<LPARAM>(sz));
    return sz;
}

std::wstring WindowTextW(HWND h)
{
    std::wstring s(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    s.resize(static_cast<std::size_t>(GetWindowTextW(h, s.data(), static_cast<int>(s.size()))));
    return s;
}

std::wstring CaptionW(HWND h)
{
    wchar_t sz[512] = {};
    InternalGetWindowText(h, sz, 512);
    return sz;
}

std::wstring StatusTextW(HWND hStatus, int nPart)
{
    wchar_t sz[512] = {};
    SendMessageW(hStatus, SB_GETTEXTW, nPart, reinterpret_cast<LPARAM>(sz));
    return sz;
}

std::string ItemText(HWND hList, int i)
{
    char sz[512] = {};
    LVITEMA item = {};
    item.pszText = sz;
    item.cchTextMax = sizeof sz;
    SendMessageA(hList, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    return sz;
}

std::vector<std::string> ItemTexts(HWND hList)
{
    std::vector<std::string> texts;
    for (int i = 0; i < ListView_GetItemCount(hList); ++i)
        texts.push_back(ItemText(hList, i));
    return texts;
}

void PostKey(HWND h, UINT vk)
{
    PostMessageA(h, WM_KEYDOWN, vk, 1);
    PostMessageA(h, WM_KEYUP, vk, 0xC0000001);
}

void PressKeys(const std::vector<WORD>& keys)
{
    std::vector<INPUT> inputs(2 * keys.size(), INPUT{INPUT_KEYBOARD, {}});
    for (std::size_t i = 0; i < keys.size(); ++i) {
        inputs[i].ki.wVk = inputs[inputs.size() - 1 - i].ki.wVk = keys[i];
        inputs[inputs.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void RightClickAt(HWND h, POINT pt)
{
    ClientToScreen(h, &pt);  // given with each input, in the screen's 0 to 65535
    const LONG x = MulDiv(pt.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    const LONG y = MulDiv(pt.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    const DWORD kAt = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    INPUT in[2] = {{INPUT_MOUSE, {.mi = {x, y, 0, kAt | MOUSEEVENTF_RIGHTDOWN, 0, 0}}},
                   {INPUT_MOUSE, {.mi = {x, y, 0, kAt | MOUSEEVENTF_RIGHTUP, 0, 0}}}};
    SendInput(2, in, sizeof(INPUT));
}

void Select(HWND hList, std::initializer_list<int> items)
{
    ListView_SetItemState(hList, -1, 0, LVIS_SELECTED);
    for (int i : items)
        ListView_SetItemState(hList, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void TypeText(const std::wstring& text)
{
    std::vector<INPUT> inputs;
    for (wchar_t ch : text)
        for (DWORD dwFlags : {KEYEVENTF_UNICODE, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP})
            inputs.push_back({INPUT_KEYBOARD, {.ki = {0, static_cast<WORD>(ch), dwFlags, 0, 0}}});
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::wstring SentTextW(HWND h)
{
    std::wstring s(static_cast<std::size_t>(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    s.resize(static_cast<std::size_t>(SendMessageW(h, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()))));
    return s;
}
