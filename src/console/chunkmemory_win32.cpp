#include "chunkmemory.h"

#include <malloc.h>
#include <new>

#include <windows.h>

char *allocateChunk(std::size_t size)
{
    void *chunk = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!chunk)
        throw std::bad_alloc();
    return static_cast<char *>(chunk);
}

void freeChunk(char *chunk, std::size_t)
{
    VirtualFree(chunk, 0, MEM_RELEASE);
}

void releaseFreedMemory()
{
    _heapmin();
}
