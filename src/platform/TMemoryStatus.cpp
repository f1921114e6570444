#include "platform/TMemoryStatus.h"

#include <fstream>
#include <sstream>

namespace {
TMemoryStatus* gStatus = nullptr;
}

TMemoryStatus::~TMemoryStatus() = default;

TMemoryStatusInfo TMemoryStatus::ParseMeminfo(const std::string& text) {
    uint64_t memTotal = 0, memAvailable = 0, swapTotal = 0, swapFree = 0;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name;
        uint64_t kb = 0;
        if (!(fields >> name >> kb))
            continue;
        if (name == "MemTotal:")
            memTotal = kb;
        else if (name == "MemAvailable:")
            memAvailable = kb;
        else if (name == "SwapTotal:")
            swapTotal = kb;
        else if (name == "SwapFree:")
            swapFree = kb;
    }
    TMemoryStatusInfo info;
    info.TotalPhys = memTotal * 1024;
    info.TotalPageFile = (memTotal + swapTotal) * 1024;
    info.AvailPageFile = (memAvailable + swapFree) * 1024;
    return info;
}

TMemoryStatusInfo TMemoryStatus::Query() const {
    std::ifstream in("/proc/meminfo");
    std::stringstream text;
    text << in.rdbuf();
    return ParseMeminfo(text.str());
}

TMemoryStatus& MemoryStatus() {
    static TMemoryStatus real;
    return gStatus ? *gStatus : real;
}

void SetMemoryStatus(TMemoryStatus* status) {
    gStatus = status;
}
