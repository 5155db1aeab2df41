// Help opens readme.txt from the program's own folder in the text editor.
#pragma once

#include "base/cstring.h"

// The editor's parameter for the program at pszModulePath: the folder up to
// the last backslash (the whole text when there is none), then
// "\readme.txt"; unquoted, blanks and all.
CString HelpFileParameter(const char* pszModulePath);
