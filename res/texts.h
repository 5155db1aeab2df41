// The texts the program sets at run time, in UTF-8 like every text it holds.
// Everything else the user reads lives in the resources. The framework hands
// them to the system as UTF-16, so that they read the same whatever the
// system's code page.
#pragma once

namespace Texts {
inline constexpr char kAllocError[] = "Erreur d'allocation m\xc3\xa9" "moire";
inline constexpr char kTotalAtStart[] = "Total : 0.0 Ko";

// Status bar: what is on the clipboard (part 0), the selection (part 1) and
// the total held (part 2).
inline constexpr char kOnClipboard[] = "Dans le presse-papier : ";
inline constexpr char kSelectionOctets[] = "Taille : %d octets";
inline constexpr char kSelectionKo[] = "Taille : %.1f Ko";
inline constexpr char kSelectionMo[] = "Taille : %.2f Mo";
inline constexpr char kTotalKo[] = "Total : %.1f Ko";
inline constexpr char kTotalMo[] = "Total : %.1f Mo";
// Part 0 when a copy could not be kept: another program held the clipboard
// open for longer than an automatic capture waits.
inline constexpr char kCopyLost[] = "Copie perdue : presse-papiers occup\xc3\xa9";
// A clip named without a title: its kind's label and its number in the run.
inline constexpr char kNumberedName[] = "%s %d";

// The clipboard format list: column headings and the size column.
inline constexpr char kFormatColumnType[] = "Type";
inline constexpr char kFormatColumnId[] = "ID";
inline constexpr char kFormatColumnSize[] = "Taille";
inline constexpr char kFormatId[] = "%d";
// Sizes are unsigned: a block of 2 GiB or more must not show as negative.
inline constexpr char kFormatOctets[] = "%llu octets";
inline constexpr char kFormatEmpty[] = "Vide";

// The preview's captions by format, and what it shows for any other format.
inline constexpr char kPreviewText[] = "Aper\xc3\xa7" "u : Texte";
inline constexpr char kPreviewBitmap[] = "Aper\xc3\xa7" "u : Bitmap";
inline constexpr char kPreviewFiles[] = "Aper\xc3\xa7" "u : Fichiers";
inline constexpr char kPreviewUnknown[] = "Unable to display format.";

// The notification area: the icon's tip, and the first item of its menu
// while the window is shown (the resource holds the other form).
inline constexpr char kTrayTip[] = "Trovelle";
inline constexpr char kTrayHide[] = "&Cacher Trovelle";
}
