#include "clips/clipkind.h"

#include <string_view>

namespace {

const char* const kLabels[CK_COUNT] = {
    "Autre", "Image", "Son", "Texte", "Fichier", "HTML", "URL", "Texte RTF",
    "Tableau", "Paint Shop Pro", "Dreamweaver", "Fireworks", "Flash", "Freehand",
};

struct NameRule {
    std::string_view needle;
    int nKind;
};

// Tried in this order; the first contained string decides. "Flash Picture"
// comes before the Fireworks name on purpose.
constexpr NameRule kNameRules[] = {
    {"Shell IDList Array", CK_FILE},
    {"HTML Format", CK_HTML},
    {"UniformResourceLocator", CK_URL},
    {"Rich Text Format", CK_RTF},
    {"Jasc Paint Shop Pro", CK_PAINTSHOPPRO},
    {"DwHt", CK_DREAMWEAVER},
    {"Flash Picture", CK_FLASH},
    {"Fireworks Internal Clipboard Format", CK_FIREWORKS},
    {"FreeHand", CK_FREEHAND},
};

constexpr std::uint32_t kTEXT = 1, kSYLK = 4, kTIFF = 6, kDIB = 8, kRIFF = 11,
                        kWAVE = 12, kUNICODETEXT = 13, kENHMETAFILE = 14,
                        kDSPTEXT = 0x81, kDSPBITMAP = 0x82, kDSPMETAFILEPICT = 0x83,
                        kDSPENHMETAFILE = 0x8E;

bool IsSound(std::uint32_t f) { return f == kRIFF || f == kWAVE; }

bool IsImage(std::uint32_t f)
{
    return f == kTIFF || f == kDIB || f == kENHMETAFILE || f == kDSPBITMAP ||
           f == kDSPMETAFILEPICT || f == kDSPENHMETAFILE;
}

bool IsText(std::uint32_t f) { return f == kTEXT || f == kUNICODETEXT || f == kDSPTEXT; }

}  // namespace

const char* ClipKindLabel(int nKind)
{
    return nKind >= 0 && nKind < CK_COUNT ? kLabels[nKind] : nullptr;
}

KindStep NextClipKind(int nKindOnEntry, std::uint32_t nFormat, const char* pszName,
                      std::size_t nNameLen)
{
    KindStep step{false, nKindOnEntry, false};

    if (nNameLen != 0) {
        // A registered format: only its name counts.
        const std::string_view name(pszName, nNameLen);
        for (const NameRule& rule : kNameRules) {
            if (name.find(rule.needle) != std::string_view::npos)
                return {true, rule.nKind, true};
        }
        return step;
    }

    // A standard format: raise the provisional kind, Son > Image > Texte > Autre.
    const int k = nKindOnEntry;
    if (IsSound(nFormat))
        step = {true, CK_SOUND, false};
    else if (k == CK_SOUND)
        ;
    else if (IsImage(nFormat))
        step = {true, CK_IMAGE, false};
    else if (k == CK_IMAGE)
        ;
    else if (IsText(nFormat))
        step = {true, CK_TEXT, false};
    else if (k == CK_TEXT)
        ;
    else
        step = {true, CK_OTHER, false};

    if (nFormat == kSYLK)
        step = {true, CK_TABLE, true};
    return step;
}
