// Reading the real controls as a user sees them, and pressing keys on them,
// for the window tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::string WindowText(HWND h);
std::string StatusText(HWND hStatus, int nPart);
std::string ItemText(HWND hList, int i);
std::vector<std::string> ItemTexts(HWND hList);

// Posts a key press and its release, as the keyboard would.
void PostKey(HWND h, UINT vk);
