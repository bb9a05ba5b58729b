#include "data/freedmemory.h"

// Names the C library (__GLIBC__) before it is asked for.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace data {

void keepFreedMemory() {
#if defined(__GLIBC__)
    // Blocks up to the largest glibc takes from its heaps come from them, not from maps of
    // their own; up to this much free memory at a heap's top stays there.
    constexpr int kLargestFromHeap = 32 * 1024 * 1024;
    constexpr int kKeptAtTop = 128 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, kLargestFromHeap);
    mallopt(M_TRIM_THRESHOLD, kKeptAtTop);
#endif
}

} // namespace data
