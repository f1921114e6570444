// A named mutex as an flock'ed file of that name in $XDG_RUNTIME_DIR (or /tmp
// when that is not set). The lock goes with the process, so a crashed
// instance never blocks the next one.
#pragma once

#include <string>

#include "platform/TInstanceMutex.h"

class TLockFileMutex : public TInstanceMutex {
public:
    explicit TLockFileMutex(const std::string& name);
    // The lock file in the given directory.
    TLockFileMutex(const std::string& name, const std::string& directory);
    ~TLockFileMutex() override;

    bool Wait(uint32_t timeoutMs) override;
    void Release() override;
    bool Held() const override { return held_; }
    const std::string& Path() const { return path_; }

    static std::string DefaultDirectory();

private:
    std::string path_;
    int fd_ = -1;
    bool held_ = false;
};
