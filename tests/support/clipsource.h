// What the source program (clipsource.exe, another process) puts on the
// clipboard, shared with the tests that check the clips against it.
// Registered formats only, so that the system synthesises nothing beside them.
//
//   clipsource nested <main window> <ready event> <quit event>
//     offers an immediate, a delayed and another immediate format; while it
//     renders the delayed one it sends a change notice to the main window, as
//     a viewer ahead of it that passes a notice on late would. Exit code: the
//     number of render requests.
//   clipsource storm <first k> <count> <my turn> <other's turn> <finished>
//                    <quit> <log>
//     makes changes first, first + 2, ... below count, each when it is its
//     turn, as fast as the clipboard allows, then sets finished; at quit
//     writes "k requests" per change that was asked to render to the log.
//   clipsource viewer <ready event>
//     joins the clipboard viewer chain as a careful viewer does and stays
//     there until it is ended, by force, without leaving it.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace source {

// Deterministic bytes for change k.
inline std::vector<BYTE> Bytes(int k, unsigned salt)
{
    // Sizes from a few bytes to a few pages, so copies cross page edges.
    std::vector<BYTE> b(static_cast<std::size_t>(7 + (k * 389 + salt * 97) % 9000));
    unsigned x = static_cast<unsigned>(k) * 2654435761u + salt;
    for (BYTE& c : b) {
        x = x * 1103515245u + 12345u;
        c = static_cast<BYTE>(x >> 16);
    }
    return b;
}

}  // namespace source

namespace nested {

inline const char kFirstFormat[] = "Trovelle nested first";
inline const char kDelayedFormat[] = "Trovelle nested delayed";
inline const char kLastFormat[] = "Trovelle nested last";

// The bytes of format i (0 first, 1 delayed, 2 last).
inline std::vector<BYTE> Bytes(int i) { return source::Bytes(1000 + i, 7); }

}  // namespace nested

namespace storm {

inline const char kTagFormat[] = "Trovelle storm tag";
inline const char kDataFormat[] = "Trovelle storm data";
inline const char kDelayedFormat[] = "Trovelle storm delayed";

// How change k offers its third format: not at all, rendered when asked,
// or promised and never rendered.
enum class Delayed { None, Rendered, Refused };

inline Delayed DelayedOf(int k)
{
    if (k % 3 != 0)
        return Delayed::None;
    return k % 6 == 0 ? Delayed::Rendered : Delayed::Refused;
}

// The source window that made change k is destroyed right after it.
inline bool DestroyedAfter(int k) { return k % 7 == 5; }

inline std::vector<BYTE> Tag(int k)
{
    char sz[32];
    const int n = std::snprintf(sz, sizeof sz, "storm %d", k);
    return std::vector<BYTE>(sz, sz + n + 1);
}

// The number in a tag, or -1.
inline int TagNumber(const std::vector<BYTE>& tag)
{
    int k = -1;
    const std::string s(tag.begin(), tag.end());
    return std::sscanf(s.c_str(), "storm %d", &k) == 1 ? k : -1;
}

inline std::vector<BYTE> Data(int k) { return source::Bytes(k, 1); }
inline std::vector<BYTE> DelayedData(int k) { return source::Bytes(k, 2); }

}  // namespace storm
