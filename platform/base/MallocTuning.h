#pragma once

// How the C library's allocator keeps memory that the program freed. By default every thread that
// allocates gets a pool (arena) of its own, and a pool gives back to the system only what lies at
// its very end: a player's dozen threads leave megabytes in their pools after they end, and more
// with every player made and dropped. Without the GNU C library both calls do nothing.
class MallocTuning {
public:
    // Makes all threads share one pool; call first thing in main, before any thread starts.
    static void shareOneArena();
    // Hands the free pages of every pool back to the system (after a large teardown).
    static void releaseFreeMemory();
};
