#include "MallocTuning.h"

#include <cstdlib> // any C library header says which C library this is
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void MallocTuning::shareOneArena() {
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 1);
#endif
}

void MallocTuning::releaseFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
