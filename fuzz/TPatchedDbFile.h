// A database file layer for fuzzing: the file on disk is a template that is
// never changed. Map() maps it private (copy on write) and lays the pending
// patches over the view before the kernel sees a byte, so every run starts
// from the template plus its own damage at the cost of the pages it touches.
// Flushes only check their range.
#pragma once

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/TDbFile.h"

class TPatchedDbFile : public TDbFile {
public:
    struct TPatch {
        uint32_t Offset = 0;
        std::vector<uint8_t> Bytes;
    };
    // Applied (clipped to the view) by every Map() until cleared.
    static std::vector<TPatch>& Pending() {
        static std::vector<TPatch> patches;
        return patches;
    }

    // The templates are whole: a private view cannot extend the file.
    uint8_t* Map(uint32_t size) override {
        void* p = fd_ < 0 || base_
                      ? MAP_FAILED
                      : ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd_, 0);
        if (p == MAP_FAILED)
            return nullptr;
        base_ = static_cast<uint8_t*>(p);
        size_ = size;
        for (const TPatch& patch : Pending())
            if (patch.Offset < size)
                std::memcpy(base_ + patch.Offset, patch.Bytes.data(),
                            std::min<size_t>(patch.Bytes.size(), size - patch.Offset));
        return base_;
    }
    bool Flush(const uint8_t* addr, uint32_t count) override { return IsAccessible(addr, count); }
};
