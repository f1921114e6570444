// While a maintenance operation holds the log's lock (TLogFileLock), the
// kernel must still open the log to check it and read it; its own flock on a
// second descriptor would be refused. Installed for the length of the
// operation, this file kind opens that one path without taking the lock
// again (the operation's lock keeps every other process out); every other
// file is opened as usual.
#pragma once

#include <string>

#include "platform/TDbFile.h"

class TLockedLogFile : public TDbFile {
public:
    explicit TLockedLogFile(std::string lockedPath) : lockedPath_(std::move(lockedPath)) {}
    bool Open(const std::string& path) override;

    // Installs the file kind for lockedPath until destroyed, then restores
    // the default kind.
    class TInstalled {
    public:
        explicit TInstalled(const std::string& lockedPath);
        TInstalled(const TInstalled&) = delete;
        TInstalled& operator=(const TInstalled&) = delete;
        ~TInstalled();
    };

private:
    std::string lockedPath_;
};
