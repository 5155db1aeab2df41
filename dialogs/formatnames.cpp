#include "dialogs/formatnames.h"

CString StandardFormatName(unsigned int nFormat)
{
    // The ranges first: every id in them shares one name.
    if (nFormat >= 0x200 && nFormat <= 0x2FF)
        return "CF_PRIVATEFIRST ~ CF_PRIVATELAST";
    if (nFormat >= 0x300 && nFormat <= 0x3FF)
        return "CF_GDIOBJFIRST ~ CF_GDIOBJLAST";

    static const char* const kFirst[] = {
        nullptr,          "CF_TEXT",        "CF_BITMAP",      "CF_METAFILEPICT", "CF_SYLK",   "CF_DIF",
        "CF_TIFF",        "CF_OEMTEXT",     "CF_DIB",         "CF_PALETTE",      "CF_PENDATA", "CF_RIFF",
        "CF_WAVE",        "CF_UNICODETEXT", "CF_ENHMETAFILE", "CF_HDROP",        "CF_LOCALE", "CF_MAX",
    };
    if (nFormat < sizeof kFirst / sizeof kFirst[0])
        return kFirst[nFormat];  // id 0 gives null, which is the empty string

    switch (nFormat) {
    case 0x80: return "CF_OWNERDISPLAY";
    case 0x81: return "CF_DSPTEXT";
    case 0x82: return "CF_DSPBITMAP";
    case 0x83: return "CF_DSPMETAFILEPICT";
    case 0x8E: return "CF_DSPENHMETAFILE";
    default: return "";
    }
}
