// A database file layer whose platform calls can be made to fail: the open,
// the extension of a short file, the mapping, the flushes (after a number
// of good ones) and the close. Everything not failed is the real TDbFile.
#pragma once

#include <cstdint>

#include "platform/TDbFile.h"

class TFaultyDbFile : public TDbFile {
public:
    struct TFaults {
        bool Open = false;
        bool Extend = false;  // a file shorter than the mapping cannot be extended
        bool Map = false;
        int64_t FlushesBeforeFailing = -1;  // -1: flushes never fail
        bool Close = false;
        uint64_t FailedFlushes = 0;
    };
    static TFaults& Faults();
    // Installs this layer with the given faults; Uninstall restores TDbFile.
    static void Install(const TFaults& faults);
    static void Uninstall();

    bool Open(const std::string& path) override;
    uint8_t* Map(uint32_t size) override;
    bool Flush(const uint8_t* addr, uint32_t count) override;
    bool Close() override;
};
