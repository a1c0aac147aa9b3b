#include "MemoryTrim.h"

#include <malloc.h>

void MemoryTrim::shareOneArena() {
    mallopt(M_ARENA_MAX, 1);
}

void MemoryTrim::releaseFreePages() {
    malloc_trim(0); // every arena, not only the calling thread's
}
