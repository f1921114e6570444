// A database file layer that keeps what has been flushed apart from what has
// only been written. The view is a private (copy-on-write) mapping of the
// file, so the program's writes never reach it by themselves; only Flush()
// writes to the file, and only the page-aligned range it names (what msync
// would write). A test sets a flush budget: flushes up to the budget reach
// the "disk", the next one is cut (with torn cuts, a random part of its pages
// still lands), and after that the power is off: nothing reaches the file,
// not even the flush of the close. Reopening the file then shows the
// database as the disk would hold it after a power loss at that moment.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "platform/TDbFile.h"

class TPowerLossDbFile : public TDbFile {
public:
    // Process-wide switchboard of the simulation.
    struct TPower {
        int64_t Budget = -1;   // flushes that still reach the disk; -1 = no cut
        bool TornCut = false;  // the cut flush writes a random part of its pages
        bool Off = false;      // set once the cut has happened
        uint64_t Flushes = 0;  // every Flush() call, cut or not
        std::mt19937 Random;
        std::vector<uint32_t> Written;  // offsets of the pages written to the file
    };
    static TPower& Power();
    // Installs this layer as the file factory with a fresh switchboard.
    static void Install(int64_t budget, bool tornCut, uint32_t seed);

    // The files of the test are whole: no extension.
    uint8_t* Map(uint32_t size) override;
    bool Flush(const uint8_t* addr, uint32_t count) override;
};
