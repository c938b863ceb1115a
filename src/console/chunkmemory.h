#pragma once

#include <cstddef>
#include <memory>

// Memory for the console's large text chunks. Where the system offers huge
// pages, a chunk is backed by them, so that filling it takes one page fault
// instead of hundreds. Both kinds, and memory from std::malloc, are given
// back by freeChunk().
char *allocateChunk(std::size_t size);
void freeChunk(char *chunk);

struct ChunkDeleter
{
    void operator()(char *chunk) const { freeChunk(chunk); }
};
using ChunkPointer = std::unique_ptr<char[], ChunkDeleter>;
