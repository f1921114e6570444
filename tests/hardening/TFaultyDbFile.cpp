#include "TFaultyDbFile.h"

#include <sys/stat.h>

#include <memory>

TFaultyDbFile::TFaults& TFaultyDbFile::Faults() {
    static TFaults faults;
    return faults;
}

void TFaultyDbFile::Install(const TFaults& faults) {
    Faults() = faults;
    SetDbFileFactory([] { return std::make_unique<TFaultyDbFile>(); });
}

void TFaultyDbFile::Uninstall() {
    Faults() = TFaults{};
    SetDbFileFactory({});
}

bool TFaultyDbFile::Open(const std::string& path) {
    if (Faults().Open)
        return false;
    return TDbFile::Open(path);
}

uint8_t* TFaultyDbFile::Map(uint32_t size) {
    if (Faults().Map)
        return nullptr;
    if (Faults().Extend && fd_ >= 0) {
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || st.st_size < static_cast<off_t>(size))
            return nullptr;  // ENOSPC
    }
    return TDbFile::Map(size);
}

bool TFaultyDbFile::Flush(const uint8_t* addr, uint32_t count) {
    TFaults& f = Faults();
    if (f.FlushesBeforeFailing == 0) {
        ++f.FailedFlushes;
        return false;  // EIO: the range may not have reached the disk
    }
    if (f.FlushesBeforeFailing > 0)
        --f.FlushesBeforeFailing;
    return TDbFile::Flush(addr, count);
}

bool TFaultyDbFile::Close() {
    const bool closed = TDbFile::Close();
    return Faults().Close ? false : closed;
}
