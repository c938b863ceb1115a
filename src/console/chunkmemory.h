#pragma once

#include <cstddef>

// Memory for the console's large text chunks, mapped from the system on its
// own so that freeing a chunk gives it back at once rather than leaving it in
// the heap. Where the system offers huge pages, a chunk is backed by them, so
// that filling it takes one page fault instead of hundreds.
char *allocateChunk(std::size_t size);
void freeChunk(char *chunk, std::size_t size);

// Gives the heap's free memory back to the system, where the allocator keeps
// it otherwise: after a large store has been let go.
void releaseFreedMemory();
