#pragma once

// Keeps the heap small between refresh passes. glibc gives each thread that allocates an arena of
// its own and keeps what a burst of work freed for the next burst; a pass comes minutes apart.
class MemoryTrim {
public:
    // One arena for all threads: the refresh thread's would otherwise hold its pass's leftovers
    // apart from the main heap. Before any thread starts.
    static void shareOneArena();
    // Gives the free pages of every arena back to the system.
    static void releaseFreePages();
};
