// The heap running out, on demand: while a HeapFault lives, every request to
// the C++ heap of at least the given size fails with std::bad_alloc, as it
// would on a machine without the memory. Linking this replaces the program's
// operator new for the whole test program.
#pragma once

#include <cstddef>

class HeapFault {
public:
    explicit HeapFault(std::size_t nFromBytes);
    ~HeapFault();
    HeapFault(const HeapFault&) = delete;
    HeapFault& operator=(const HeapFault&) = delete;

    // Requests refused so far.
    int Refused() const;
};
