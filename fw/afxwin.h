// Our small stand-in for the classic application framework, on plain Win32
// with the wide functions: what Trovelle uses of it, under the same names.
// Its text is UTF-8 in the 8-bit CString, converted at one boundary
// (fw/conv.h).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "base/cstring.h"
#include "base/sysapi.h"
#include "fw/conv.h"
#include "fw/rect.h"
#include "fw/msgmap.h"
#include "fw/wnd.h"
#include "fw/menu.h"
#include "fw/gdi.h"
#include "fw/imagelist.h"
#include "fw/ctrls.h"
#include "fw/ddx.h"
#include "fw/dialog.h"
#include "fw/winapp.h"
