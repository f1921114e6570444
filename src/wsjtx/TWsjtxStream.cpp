#include "wsjtx/TWsjtxStream.h"

#include <cstdio>

namespace {

constexpr uint32_t kNullBytes = 0xffffffff;
constexpr uint32_t kDayMs = 86400000;
constexpr uint8_t kOffsetFromUtc = 2;       // an offset from UTC in seconds follows
constexpr uint8_t kTimeZone = 3;            // a zone id follows
constexpr int64_t kMaxJulianDay = 5373484;  // 31 Dec 9999

// The Gregorian date of a Julian day number; false outside years 1..9999.
bool FromJulian(int64_t jd, std::string& date) {
    if (jd < 1721426 || jd > kMaxJulianDay)
        return false;
    const int64_t a = jd + 32044;
    const int64_t b = (4 * a + 3) / 146097;
    const int64_t c = a - 146097 * b / 4;
    const int64_t d = (4 * c + 3) / 1461;
    const int64_t e = c - 1461 * d / 4;
    const int64_t m = (5 * e + 2) / 153;
    const int day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    const int month = static_cast<int>(m + 3 - 12 * (m / 10));
    const int year = static_cast<int>(100 * b + d - 4800 + m / 10);
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    date = text;
    return true;
}

}  // namespace

bool TWsjtxStream::Take(size_t count, const uint8_t*& bytes) {
    if (!ok_ || count > size_ - pos_)
        return ok_ = false;
    bytes = data_ + pos_;
    pos_ += count;
    return true;
}

bool TWsjtxStream::U8(uint8_t& value) {
    const uint8_t* b = nullptr;
    if (!Take(1, b))
        return false;
    value = b[0];
    return true;
}

bool TWsjtxStream::U32(uint32_t& value) {
    const uint8_t* b = nullptr;
    if (!Take(4, b))
        return false;
    value = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
    return true;
}

bool TWsjtxStream::U64(uint64_t& value) {
    uint32_t high = 0, low = 0;
    if (!U32(high) || !U32(low))
        return false;
    value = uint64_t(high) << 32 | low;
    return true;
}

bool TWsjtxStream::Utf8(std::string& value) {
    uint32_t count = 0;
    const uint8_t* b = nullptr;
    if (!U32(count))
        return false;
    value.clear();
    if (count == kNullBytes)
        return true;
    if (!Take(count, b))
        return false;
    value.assign(reinterpret_cast<const char*>(b), count);
    return true;
}

bool TWsjtxStream::DateTime(TDateTime& value) {
    uint64_t jd = 0;
    uint32_t ms = 0;
    uint8_t timeKind = 0;
    uint32_t offset = 0;
    std::string zone;
    if (!U64(jd) || !U32(ms) || !U8(timeKind))
        return false;
    if ((timeKind == kOffsetFromUtc && !U32(offset)) || (timeKind == kTimeZone && !Utf8(zone)))
        return false;
    value = {};
    const int64_t jdSigned = static_cast<int64_t>(jd);
    if (ms >= kDayMs || jdSigned < 0 || jdSigned > kMaxJulianDay)
        return true;  // a null date or an invalid time: no moment
    // A time given with an offset becomes UTC; local and zone times are taken
    // as UTC (the programs send UTC).
    int64_t sec = ms / 1000;
    if (timeKind == kOffsetFromUtc)
        sec -= static_cast<int32_t>(offset);
    const int64_t days = sec >= 0 ? sec / 86400 : -((-sec + 86399) / 86400);
    const int64_t day = jdSigned + days;
    sec -= days * 86400;
    if (!FromJulian(day, value.Date))
        return true;
    char text[40];
    std::snprintf(text, sizeof text, "%02d%02d%02d", int(sec / 3600), int(sec / 60 % 60),
                  int(sec % 60));
    value.Time = text;
    return true;
}
