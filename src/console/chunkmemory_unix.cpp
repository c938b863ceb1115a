#include "chunkmemory.h"

#include <cstdint>
#include <new>

#include <sys/mman.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr std::size_t hugePage = std::size_t(2) << 20;

} // namespace

char *allocateChunk(std::size_t size)
{
    // Huge pages are 2 MiB on the common systems; only an aligned chunk of
    // that size can use them, so a larger mapping is trimmed to alignment.
    const bool huge = size % hugePage == 0;
    const std::size_t mapped = huge ? size + hugePage : size;
    void *memory = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    char *chunk = static_cast<char *>(memory);
    if (!huge)
        return chunk;
    const std::size_t lead = (hugePage - std::uintptr_t(chunk) % hugePage) % hugePage;
    if (lead > 0)
        munmap(chunk, lead);
    if (hugePage - lead > 0)
        munmap(chunk + lead + size, hugePage - lead);
    chunk += lead;
#ifdef MADV_HUGEPAGE
    madvise(chunk, size, MADV_HUGEPAGE);
#endif
    return chunk;
}

void freeChunk(char *chunk, std::size_t size)
{
    munmap(chunk, size);
}

void releaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
