// A database file layer for fuzzing: the file on disk is a template that is
// never changed. Map() maps it private (copy on write) and lays the pending
// patches over the view before the kernel sees a byte, so every run starts
// from the template plus its own damage at the cost of the pages it touches.
// Flushes only check their range.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/TDbFile.h"

class TPatchedDbFile : public TDbFile {
public:
    struct TPatch {
        uint32_t Offset = 0;
        std::vector<uint8_t> Bytes;
    };
    // Applied (clipped to the view) by every Map() until cleared.
    static std::vector<TPatch>& Pending();

    uint8_t* Map(uint32_t size) override;
    bool Flush(const uint8_t* addr, uint32_t count) override;

    // Installs this layer as the process's file factory (Uninstall restores the default).
    static void Install();
    static void Uninstall();
};
