// A database file layer whose platform calls can be made to fail: the open,
// the extension of a short file, the mapping, the flushes (after a number
// of good ones) and the close. Everything not failed is the real TDbFile.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>

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
    static TFaults& Faults() {
        static TFaults faults;
        return faults;
    }
    // Installs this layer with the given faults; SetDbFileFactory({}) ends them.
    static void Install(const TFaults& faults) {
        Faults() = faults;
        SetDbFileFactory([] { return std::make_unique<TFaultyDbFile>(); });
    }

    bool Open(const std::string& path) override { return !Faults().Open && TDbFile::Open(path); }
    uint8_t* Map(uint32_t size) override {
        struct stat st {};
        const bool shortFile = ::fstat(fd_, &st) != 0 || st.st_size < static_cast<off_t>(size);
        return Faults().Map || (Faults().Extend && shortFile) ? nullptr : TDbFile::Map(size);
    }
    bool Flush(const uint8_t* addr, uint32_t count) override {
        TFaults& f = Faults();
        if (f.FlushesBeforeFailing == 0)
            return ++f.FailedFlushes, false;  // EIO: the range may not have reached the disk
        f.FlushesBeforeFailing -= f.FlushesBeforeFailing > 0;
        return TDbFile::Flush(addr, count);
    }
    bool Close() override { return TDbFile::Close() && !Faults().Close; }
};
