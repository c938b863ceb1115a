#include "chunkmemory.h"

#include <cstdlib>
#include <new>

char *allocateChunk(std::size_t size)
{
    void *chunk = std::malloc(size);
    if (!chunk)
        throw std::bad_alloc();
    return static_cast<char *>(chunk);
}

void freeChunk(char *chunk)
{
    std::free(chunk);
}
