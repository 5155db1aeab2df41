// Names of the predefined clipboard formats, for formats that have no
// registered name. Pure code: the ids are the system's fixed values.
#pragma once

#include "base/cstring.h"

// The standard name of a predefined format id; empty when it has none. The
// private and GDI-object ranges each have one name for the whole range.
CString StandardFormatName(unsigned int nFormat);
