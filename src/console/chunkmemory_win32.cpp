#include "chunkmemory.h"

char *allocateChunk(std::size_t size)
{
    return new char[size];
}

void freeChunk(char *chunk)
{
    delete[] chunk;
}
