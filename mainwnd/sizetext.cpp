#include "mainwnd/sizetext.h"

#include "res/texts.h"

namespace {
constexpr unsigned long long kKo = 1024;
constexpr unsigned long long kMo = 1024 * 1024;
// Small selections read better in bytes than as 0.0 Ko.
constexpr unsigned long long kSelectionInBytesBelow = 150;
}  // namespace

// Dividing by a power of two is exact; printf rounds to the decimals shown.
CString FormatTotalText(unsigned long long nTotalBytes)
{
    CString str;
    if (nTotalBytes < kMo)
        str.Format(Texts::kTotalKo, static_cast<double>(nTotalBytes) / kKo);
    else
        str.Format(Texts::kTotalMo, static_cast<double>(nTotalBytes) / kMo);
    return str;
}

CString FormatSelectionText(unsigned long long nBytes)
{
    CString str;
    if (nBytes < kSelectionInBytesBelow)
        str.Format(Texts::kSelectionOctets, static_cast<int>(nBytes));
    else if (nBytes < kMo)
        str.Format(Texts::kSelectionKo, static_cast<double>(nBytes) / kKo);
    else
        str.Format(Texts::kSelectionMo, static_cast<double>(nBytes) / kMo);
    return str;
}
