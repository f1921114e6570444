// The single-instance guard: a named lock that at most one process holds.
// The main block waits for it and releases it when the log window closes or a
// fatal stop ends the program.
#pragma once

#include <cstdint>

class TInstanceMutex {
public:
    virtual ~TInstanceMutex();
    // Waits at most timeoutMs to take the lock; true when this process holds it.
    virtual bool Wait(uint32_t timeoutMs) = 0;
    // Releases and closes the lock; a second call does nothing.
    virtual void Release() = 0;
    virtual bool Held() const = 0;
};

// The process's mutex (nullptr until the main block installs one).
TInstanceMutex* AppMutex();
void SetAppMutex(TInstanceMutex* mutex);
// Releases the process's mutex when there is one.
void ReleaseAppMutex();
