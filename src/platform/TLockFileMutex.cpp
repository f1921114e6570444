#include "platform/TLockFileMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

TLockFileMutex::TLockFileMutex(const std::string& name)
    : TLockFileMutex(name, DefaultDirectory()) {}

TLockFileMutex::TLockFileMutex(const std::string& name, const std::string& directory)
    : path_(directory + "/" + name) {}

TLockFileMutex::~TLockFileMutex() {
    Release();
}

std::string TLockFileMutex::DefaultDirectory() {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    if (dir != nullptr && *dir != '\0')
        return dir;
    return "/tmp";
}

bool TLockFileMutex::Wait(uint32_t timeoutMs) {
    if (held_)
        return true;
    if (fd_ < 0) {
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0)
            return false;
    }
    // flock has no timed form: poll the non-blocking try until the deadline.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(fd_);
    fd_ = -1;
    return false;
}

void TLockFileMutex::Release() {
    if (fd_ < 0)
        return;
    if (held_)
        ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
    held_ = false;
}
