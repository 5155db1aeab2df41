// The texts the program sets at run time, in Windows-1252. Everything else the
// user reads lives in the resources.
#pragma once

namespace Texts {
inline constexpr char kAllocError[] = "Erreur d'allocation m\xe9moire";
inline constexpr char kTotalAtStart[] = "Total : 0.0 Ko";
// The framework's refusal of a text longer than its limit; %d is the limit.
inline constexpr char kMaxChars[] = "Entrez au plus %d caract\xe8res.";
}
