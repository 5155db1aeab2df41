// Help opens readme.txt from the program's own folder in the system's text
// editor.
#pragma once

#include "base/cstring.h"

// The folder of the program at pszModulePath: up to the last backslash (the
// whole text when there is none).
CString ProgramFolder(const char* pszModulePath);
// The editor's parameter for the program at pszModulePath: its folder, then
// "\readme.txt", quoted, so that a folder with blanks is one parameter.
CString HelpFileParameter(const char* pszModulePath);
// The editor in a system folder (the Windows folder, or the system folder):
// the folder, then "\notepad.exe".
CString EditorPath(const char* pszSystemFolder);
