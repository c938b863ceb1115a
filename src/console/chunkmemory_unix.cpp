#include "chunkmemory.h"

#include <cstdlib>
#include <new>

#include <sys/mman.h>

char *allocateChunk(std::size_t size)
{
    // Huge pages are 2 MiB on the common systems; an aligned chunk can use them.
    void *chunk = nullptr;
    if (posix_memalign(&chunk, 2 << 20, size) != 0)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(chunk, size, MADV_HUGEPAGE);
#endif
    return static_cast<char *>(chunk);
}

void freeChunk(char *chunk)
{
    std::free(chunk);
}
