// A test-only stop point for the plain writes of log maintenance. The kernel
// kills the process after its N-th flush when TRAMB_KILL_AT_FLUSH=N is set
// (platform/TDbFile.cpp); the backup, restore and compaction write their
// files with pwrite + fsync instead, so each of their durable steps counts on
// the same scale: the process kills itself at the first step where kernel
// flushes plus steps reach N. The kill tests stop a rewrite at every step.
#pragma once

#include <cstdint>

class TStopPoint {
public:
    // One durable step done: a block written, a file or folder synced, a rename.
    static void Step();
    // Steps done so far in this process.
    static uint64_t Steps();
};
