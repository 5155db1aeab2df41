#include "tests/support/heap_fault.h"

#include <cstdlib>
#include <new>

namespace {
std::size_t g_nFrom = 0;  // 0: nothing is refused
int g_nRefused = 0;
}  // namespace

HeapFault::HeapFault(std::size_t nFromBytes)
{
    g_nFrom = nFromBytes;
    g_nRefused = 0;
}

HeapFault::~HeapFault() { g_nFrom = 0; }

int HeapFault::Refused() const { return g_nRefused; }

void* operator new(std::size_t n)
{
    if (g_nFrom != 0 && n >= g_nFrom) {
        ++g_nRefused;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(n != 0 ? n : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
