// The local clock and the millisecond tick counter. Tests install a clock
// whose time they set (a time of day near midnight, a UTC shift past it).
#pragma once

#include <cstdint>

struct TLocalDateTime {
    int Year = 1970, Month = 1, Day = 1;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

class TClock {
public:
    virtual ~TClock();
    // The local date and time of day.
    virtual TLocalDateTime Now() const;
    // Milliseconds of a monotonic clock; wraps like a 32-bit tick counter.
    virtual uint32_t TickCount() const;
};

// The process-wide clock (the system clock until something else is installed).
TClock& Clock();
// Installs a clock owned by the caller; nullptr restores the system clock.
void SetClock(TClock* clock);
