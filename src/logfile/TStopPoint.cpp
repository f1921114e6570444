#include "logfile/TStopPoint.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

#include "platform/TDbFile.h"

namespace {
std::atomic<uint64_t> steps{0};

uint64_t KillAt() {
    static const uint64_t n = [] {
        const char* v = std::getenv("TRAMB_KILL_AT_FLUSH");
        return v ? std::strtoull(v, nullptr, 10) : 0ULL;
    }();
    return n;
}
}  // namespace

void TStopPoint::Step() {
    const uint64_t done = ++steps;
    const uint64_t n = KillAt();
    if (n != 0 && TDbFile::FlushCount() + done >= n)
        std::raise(SIGKILL);
}

uint64_t TStopPoint::Steps() {
    return steps.load();
}
