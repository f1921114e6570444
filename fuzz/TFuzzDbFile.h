// The database file of the fuzz targets: one private (copy-on-write) view of
// the log template, mapped once per process and handed to every open, so
// the kernel's writes never reach the template. Each open lays the input's
// patches over the view; Restore copies the template's bytes back over the
// pages that differ. The page table tells which pages are private copies
// (/proc/self/pagemap: present, no longer backed by the file); only those
// can differ from the template, so a scan for a page's used end compares
// those and takes the rest from what is known of the template: an input
// costs the pages it touched, not the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/TDbFile.h"

class TFuzzDbFile : public TDbFile {
public:
    struct TPatch {
        uint32_t Offset = 0;
        std::vector<uint8_t> Bytes;
    };
    // Every file object made from now on opens the view of the template at
    // path (mapped on first use; one template per process) with the patches
    // laid over it.
    static void Install(const std::string& path, std::vector<TPatch> patches);
    // Gives the view the template's bytes again; answers whether a page of
    // the view's first watchedEnd bytes differed from the template.
    static bool Restore(uint32_t watchedEnd);

    ~TFuzzDbFile() override { base_ = nullptr, fd_ = -1; }  // the view outlives the object
    bool Open(const std::string& path) override;
    uint8_t* Map(uint32_t size) override;
    // The power is off: nothing reaches the template.
    bool Flush(const uint8_t* addr, uint32_t count) override { return IsAccessible(addr, count); }
    uint32_t UsedEnd(uint32_t start, uint32_t end) const override;
    void Unmap() override { base_ = nullptr, size_ = 0; }
    bool Close() override { return fd_ = -1, true; }
};
