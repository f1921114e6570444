// The log file's exclusive lock, held over a whole maintenance operation.
// The kernel opens the log with the same flock (platform/TDbFile.cpp), so
// while this lock is held no log window or tool can open the file, and a
// window that holds it makes the operation refuse at once.
#pragma once

#include <string>

class TLogFileLock {
public:
    TLogFileLock() = default;
    TLogFileLock(const TLogFileLock&) = delete;
    TLogFileLock& operator=(const TLogFileLock&) = delete;
    ~TLogFileLock();

    // Takes the lock without waiting. False with error set when the file
    // cannot be opened or another process holds it.
    bool Lock(const std::string& path, std::string& error);
    void Unlock();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};
