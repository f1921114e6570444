#include "logfile/TLockedLogFile.h"

#include <fcntl.h>
#include <unistd.h>

bool TLockedLogFile::Open(const std::string& path) {
    if (path != lockedPath_)
        return TDbFile::Open(path);
    if (fd_ >= 0)
        return false;
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    fd_ = fd;
    return true;
}

TLockedLogFile::TInstalled::TInstalled(const std::string& lockedPath) {
    SetDbFileFactory([lockedPath] { return std::make_unique<TLockedLogFile>(lockedPath); });
}

TLockedLogFile::TInstalled::~TInstalled() {
    SetDbFileFactory({});
}
