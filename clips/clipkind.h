// The fourteen kinds of clip and the rules that decide a clip's kind from the
// formats it holds. Pure code: no Win32 call, so it is also built and tested on
// the host under the sanitizers.
#pragma once

#include <cstddef>
#include <cstdint>

enum ClipKind : int {
    CK_OTHER = 0,
    CK_IMAGE,
    CK_SOUND,
    CK_TEXT,
    CK_FILE,
    CK_HTML,
    CK_URL,
    CK_RTF,
    CK_TABLE,
    CK_PAINTSHOPPRO,
    CK_DREAMWEAVER,
    CK_FIREWORKS,
    CK_FLASH,
    CK_FREEHAND,
    CK_COUNT
};

// Icon resource of kind 0; kind k is shown by icon IDI_KIND_FIRST + k.
constexpr int IDI_KIND_FIRST = 133;

// Label of a kind ("Autre", "Image", ...); null outside 0..13.
const char* ClipKindLabel(int nKind);

// Resource id of the icon that shows a kind.
constexpr int ClipKindIconId(int nKind) { return IDI_KIND_FIRST + nKind; }

// Registered names are read into a buffer of this many characters, so at most
// one less than this takes part in the tests.
constexpr std::size_t CLIP_NAME_BUFFER = 150;

// What one format does to a clip's classification.
struct KindStep {
    bool bSetsKind;    // a kind was set (and its label written), even the same one
    int nKind;         // the kind afterwards
    bool bClassified;  // classification is closed afterwards
};

// One step of classification for a clip whose classification is still open
// and whose kind is nKindOnEntry (0 to 3). pszName is the format's registered
// name as read (nNameLen characters, not necessarily zero-terminated); a
// length of 0 means a format without a registered name.
KindStep NextClipKind(int nKindOnEntry, std::uint32_t nFormat, const char* pszName,
                      std::size_t nNameLen);
