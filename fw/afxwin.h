// Our small stand-in for the classic application framework, on plain Win32
// with the ANSI functions (the wide ones where a text must not depend on the
// system's code page): what Trovelle uses of it, under the same names.
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
