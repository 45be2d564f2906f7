// Allocation for callers that have no way out when memory runs out.
#include "quorix.h"

#include <cstdint>
#include <cstdlib>

extern "C" void *qx_malloc(size_t count, size_t size)
{
    void *block = nullptr;
    if (size == 0 || count <= SIZE_MAX / size)
        // A zero-byte request still gets a block of its own.
        block = malloc(count * size != 0 ? count * size : 1);
    if (block == nullptr) {
        fputs("quorix: out of memory\n", stderr);
        exit(71);  // EX_OSERR
    }
    return block;
}
