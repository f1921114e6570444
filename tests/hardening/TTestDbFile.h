// A database file layer for tests, installed process-wide with Install():
//  - faults: the open, the mapping, the flushes (after a number of good
//    ones) and the close fail as set;
//  - a private view: the file is mapped copy-on-write, so the program's
//    writes never reach it by themselves; only Flush() writes to it, just the
//    pages of its range the program has written (what msync would write).
//    With a flush budget, flushes up to the budget reach the "disk", the next
//    one is cut (torn: a random part of its pages still lands) and after it
//    the power is off: nothing reaches the file, not even the close's flush.
//    Reopening then shows the database as the disk holds it after a power
//    loss at that moment. With the power off from the start, the file is a
//    template that never changes;
//  - patches laid over the private view before the kernel sees a byte.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "platform/TDbFile.h"

class TTestDbFile : public TDbFile {
public:
    struct TPatch {
        uint32_t Offset = 0;
        std::vector<uint8_t> Bytes;
    };
    struct TSetup {
        bool FailOpen = false;
        bool FailMap = false;
        bool FailClose = false;
        int64_t FlushesBeforeFailing = -1;  // -1: flushes never fail
        bool Private = false;               // the copy-on-write view (files must be whole)
        int64_t Budget = -1;                // flushes that still reach the disk; -1 = no cut
        bool TornCut = false;               // the cut flush writes a random part of its pages
        bool Off = false;                   // the power is off
        std::vector<TPatch> Patches{};      // laid over every private view (clipped)
        std::mt19937 Random{};
        uint64_t Flushes = 0;  // every Flush() call, failed, cut or not
        uint64_t FailedFlushes = 0;
    };
    static TSetup& Setup() {
        static TSetup setup;
        return setup;
    }
    static void Install(TSetup setup) {
        Setup() = std::move(setup);
        SetDbFileFactory([] { return std::make_unique<TTestDbFile>(); });
    }

    bool Open(const std::string& path) override { return !Setup().FailOpen && TDbFile::Open(path); }
    bool Close() override { return TDbFile::Close() && !Setup().FailClose; }
    uint8_t* Map(uint32_t size) override {
        TSetup& s = Setup();
        struct stat st {};
        const bool whole = ::fstat(fd_, &st) == 0 && st.st_size >= static_cast<off_t>(size);
        if (s.FailMap)
            return nullptr;
        if (!s.Private)
            return TDbFile::Map(size);
        void* p = !whole || base_
                      ? MAP_FAILED
                      : ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd_, 0);
        if (p == MAP_FAILED)
            return nullptr;
        base_ = static_cast<uint8_t*>(p);
        size_ = size;
        for (const TPatch& patch : s.Patches)
            if (patch.Offset < size)
                std::memcpy(base_ + patch.Offset, patch.Bytes.data(),
                            std::min<size_t>(patch.Bytes.size(), size - patch.Offset));
        return base_;
    }
    bool Flush(const uint8_t* addr, uint32_t count) override {
        TSetup& s = Setup();
        ++s.Flushes;
        if (s.FlushesBeforeFailing == 0)
            return ++s.FailedFlushes, false;  // EIO: the range may not have reached the disk
        s.FlushesBeforeFailing -= s.FlushesBeforeFailing > 0;
        if (!s.Private)
            return TDbFile::Flush(addr, count);
        if (!IsAccessible(addr, count))
            return false;
        const bool cut = s.Budget == 0;
        if (s.Off || (cut && !s.TornCut))
            return s.Off = true;  // the program does not know
        s.Off = cut;
        s.Budget -= s.Budget > 0;
        return WritePages(static_cast<uint32_t>(addr - base_), count, cut);
    }

private:
    // The pages the program has written are the ones copied on write in the
    // private view (present, no longer pages of the file), which
    // /proc/self/pagemap tells apart: the close's flush of the whole view
    // thus writes just those.
    bool WritePages(uint32_t offset, uint32_t count, bool someOnly) {
        const auto page = static_cast<uint32_t>(::sysconf(_SC_PAGESIZE));
        const uint32_t first = offset / page;
        std::vector<uint64_t> entries((offset + count + page - 1) / page - first);
        const auto at = static_cast<off_t>((reinterpret_cast<uintptr_t>(base_) / page + first) * 8);
        const int pagemap = ::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
        const bool known = ::pread(pagemap, entries.data(), entries.size() * 8, at) ==
                           static_cast<ssize_t>(entries.size() * 8);
        ::close(pagemap);
        for (uint32_t i = 0; i < entries.size(); ++i) {
            const bool copied = !known || ((entries[i] >> 63 & 1) && !(entries[i] >> 61 & 1));
            if (!copied || (someOnly && (Setup().Random() & 1) == 0))
                continue;
            const uint32_t off = (first + i) * page;
            const size_t n = std::min(page, size_ - off);
            if (::pwrite(fd_, base_ + off, n, off) != static_cast<ssize_t>(n))
                return false;
        }
        return true;
    }
};
