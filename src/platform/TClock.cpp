#include "platform/TClock.h"

#include <chrono>
#include <ctime>

namespace {
TClock* gClock = nullptr;
}

TClock::~TClock() = default;

TLocalDateTime TClock::Now() const {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    TLocalDateTime d;
    d.Year = tm.tm_year + 1900;
    d.Month = tm.tm_mon + 1;
    d.Day = tm.tm_mday;
    d.Hour = tm.tm_hour;
    d.Minute = tm.tm_min;
    d.Second = tm.tm_sec;
    d.Millisecond = static_cast<int>(ms);
    return d;
}

uint32_t TClock::TickCount() const {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

TClock& Clock() {
    static TClock system;
    return gClock ? *gClock : system;
}

void SetClock(TClock* clock) { gClock = clock; }
