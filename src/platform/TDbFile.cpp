#include "platform/TDbFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace {
TDbFileFactory& Factory() {
    static TDbFileFactory factory;
    return factory;
}
std::atomic<uint64_t> flushCount{0};
int lastOpenError = 0;

// TRAMB_KILL_AT_FLUSH=N makes the process kill itself (SIGKILL, no clean-up)
// right after its N-th flush has reached the disk. The kill test uses it to
// stop a writer at every point of a store, on any machine at any speed.
uint64_t KillAtFlush() {
    static const uint64_t n = [] {
        const char* v = std::getenv("TRAMB_KILL_AT_FLUSH");
        return v ? std::strtoull(v, nullptr, 10) : 0ULL;
    }();
    return n;
}
}  // namespace

std::unique_ptr<TDbFile> NewDbFile() {
    if (Factory())
        return Factory()();
    return std::make_unique<TDbFile>();
}

void SetDbFileFactory(TDbFileFactory factory) {
    Factory() = std::move(factory);
}

TDbFile::~TDbFile() {
    Unmap();
    Close();
}

int TDbFile::LastOpenError() {
    return lastOpenError;
}

void TDbFile::SetLastOpenError(int error) {
    lastOpenError = error;
}

bool TDbFile::Open(const std::string& path) {
    if (fd_ >= 0) {
        SetLastOpenError(EBUSY);
        return false;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        SetLastOpenError(errno);
        return false;
    }
    // Opening changes no byte: a file marked read-only for everybody is
    // refused here, before the lock or the mapping could touch it.
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0)
        error = errno;
    else if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        error = EACCES;
    // No sharing: a second opener, in this or another process, is refused.
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        error = errno;
    if (error != 0) {
        ::close(fd);
        SetLastOpenError(error);
        return false;
    }
    fd_ = fd;
    SetLastOpenError(0);
    return true;
}

uint8_t* TDbFile::Map(uint32_t size) {
    if (fd_ < 0 || base_ != nullptr)
        return nullptr;
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return nullptr;
    // ftruncate extends with zeros; a longer file is left as it is.
    if (st.st_size < static_cast<off_t>(size) && ::ftruncate(fd_, size) != 0)
        return nullptr;
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (p == MAP_FAILED)
        return nullptr;
    base_ = static_cast<uint8_t*>(p);
    size_ = size;
    return base_;
}

bool TDbFile::Flush(const uint8_t* addr, uint32_t count) {
    if (base_ == nullptr || !IsAccessible(addr, count))
        return false;
    const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const uintptr_t start = reinterpret_cast<uintptr_t>(addr) & ~(page - 1);
    const uintptr_t end = reinterpret_cast<uintptr_t>(addr) + count;
    if (::msync(reinterpret_cast<void*>(start), end - start, MS_SYNC) != 0)
        return false;
    CountDurableStep();
    return true;
}

void TDbFile::CountDurableStep() {
    if (++flushCount == KillAtFlush())
        std::raise(SIGKILL);
}

uint64_t TDbFile::FlushCount() {
    return flushCount.load();
}

void TDbFile::Unmap() {
    if (base_ == nullptr)
        return;
    ::munmap(base_, size_);
    base_ = nullptr;
    size_ = 0;
}

bool TDbFile::Close() {
    if (fd_ < 0)
        return false;
    const bool ok = ::close(fd_) == 0;  // closing releases the flock
    fd_ = -1;
    return ok;
}

bool TDbFile::IsAccessible(const void* addr, uint32_t count) const {
    if (base_ == nullptr)
        return false;
    const auto a = reinterpret_cast<uintptr_t>(addr);
    const auto b = reinterpret_cast<uintptr_t>(base_);
    return a >= b && a - b <= size_ && count <= size_ - (a - b);
}
