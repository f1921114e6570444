// The machine's memory status, in bytes. On this platform the paging file is
// physical memory plus swap: total = MemTotal + SwapTotal, available =
// MemAvailable + SwapFree (from /proc/meminfo).
#pragma once

#include <cstdint>
#include <string>

struct TMemoryStatusInfo {
    uint64_t TotalPhys = 0;
    uint64_t TotalPageFile = 0;
    uint64_t AvailPageFile = 0;
};

class TMemoryStatus {
public:
    virtual ~TMemoryStatus();
    virtual TMemoryStatusInfo Query() const;  // reads /proc/meminfo
    // The status from a /proc/meminfo text (values in kB); missing lines count 0.
    static TMemoryStatusInfo ParseMeminfo(const std::string& text);
};

// The process-wide memory status (the real one until something else is installed).
TMemoryStatus& MemoryStatus();
// Installs a status owned by the caller; nullptr restores the real one.
void SetMemoryStatus(TMemoryStatus* status);
