// Reading the real controls as a user sees them, and pressing keys on them,
// for the window tests.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

std::string WindowText(HWND h);
std::string StatusText(HWND hStatus, int nPart);
// The same as UTF-16, whatever the code page. A caption is read as the window
// holds it, which its title bar shows: an 8-bit window's procedure would
// give it in the system's code page.
std::wstring WindowTextW(HWND h);
std::wstring CaptionW(HWND h);
std::wstring StatusTextW(HWND hStatus, int nPart);
std::string ItemText(HWND hList, int i);
std::vector<std::string> ItemTexts(HWND hList);
// Selects exactly these items of a list view, the last with the focus.
void Select(HWND hList, std::initializer_list<int> items);

// Posts a key press and its release, as the keyboard would.
void PostKey(HWND h, UINT vk);
// Real input to the window in front: keys pressed in order (the first held,
// as Ctrl is) and released in reverse; a right click at a point of a window.
void PressKeys(const std::vector<WORD>& keys);
// Real input of text, as an input method types it (KEYEVENTF_UNICODE): one
// key a UTF-16 unit, whatever the keyboard's layout.
void TypeText(const std::wstring& text);
// A window's text as WM_GETTEXT gives it, also from another process's control.
std::wstring SentTextW(HWND h);
void RightClickAt(HWND h, POINT ptClient);
