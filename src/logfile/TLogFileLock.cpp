#include "logfile/TLogFileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

TLogFileLock::~TLogFileLock() {
    Unlock();
}

bool TLogFileLock::Lock(const std::string& path, std::string& error) {
    Unlock();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        error = held ? path + " is in use by another process (close the log window first)"
                     : "cannot lock " + path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void TLogFileLock::Unlock() {
    if (fd_ < 0)
        return;
    ::close(fd_);  // closing releases the flock
    fd_ = -1;
}
