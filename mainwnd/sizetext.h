// The status bar's byte counts as text: the total held (part 2) and the size
// of the selection (part 1). Pure code.
#pragma once

#include "base/cstring.h"

// Counts are 64-bit: the store of a 64-bit program can hold more than 4 GiB,
// and a selection above 2 GiB must not turn negative.

// "Total : %.1f Ko" below 1 Mo (1,048,576 bytes), "Total : %.1f Mo" from there.
CString FormatTotalText(unsigned long long nTotalBytes);
// "Taille : %d octets" below 150 bytes, "Taille : %.1f Ko" below 1 Mo,
// "Taille : %.2f Mo" from there.
CString FormatSelectionText(unsigned long long nBytes);
