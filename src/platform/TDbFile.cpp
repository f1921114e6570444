#include "platform/TDbFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

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

// The injected faults (see SetAllocateFault and SetFailAtFlush).
struct TFaults {
    int Allocate = 0;
    uint64_t FailAtFlush = 0;
};
TFaults& Faults() {
    static TFaults faults = [] {
        TFaults f;
        const char* a = std::getenv("TRAMB_ALLOCATE_FAULT");
        if (a != nullptr && std::strcmp(a, "nospace") == 0)
            f.Allocate = ENOSPC;
        else if (a != nullptr && std::strcmp(a, "unsupported") == 0)
            f.Allocate = EOPNOTSUPP;
        const char* n = std::getenv("TRAMB_FAIL_AT_FLUSH");
        f.FailAtFlush = n ? std::strtoull(n, nullptr, 10) : 0ULL;
        return f;
    }();
    return faults;
}

// Writes zeros into every hole of the first length bytes of the file, for
// filesystems without fallocate: a hole gets its blocks when it is written.
// An errno, or 0.
int FillHoles(int fd, off_t length) {
    static const char kZeros[64 * 1024] = {};
    for (off_t at = 0; at < length;) {
        const off_t hole = ::lseek(fd, at, SEEK_HOLE);
        if (hole < 0)  // no hole search here: nothing to go by
            return errno == EINVAL ? 0 : errno;
        if (hole >= length)
            return 0;
        const off_t data = ::lseek(fd, hole, SEEK_DATA);
        if (data < 0 && errno != ENXIO)
            return errno;
        const off_t end = data < 0 ? length : std::min(data, length);
        for (off_t p = hole; p < end;) {
            const auto n = static_cast<size_t>(std::min<off_t>(sizeof kZeros, end - p));
            const ssize_t w = ::pwrite(fd, kZeros, n, p);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return w < 0 ? errno : EIO;
            p += w;
        }
        at = end;
    }
    return 0;
}
}  // namespace

void TDbFile::SetAllocateFault(int error) {
    Faults().Allocate = error;
}

void TDbFile::SetFailAtFlush(uint64_t n) {
    Faults().FailAtFlush = n;
}

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
    created_ = false;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        created_ = fd >= 0;
        if (fd < 0 && errno == EEXIST)  // made by another opener meanwhile
            fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    }
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

int TDbFile::Allocate(off_t length) {
    int error = Faults().Allocate;
    if (error == 0) {
        do {
            error = ::fallocate(fd_, 0, 0, length) == 0 ? 0 : errno;
        } while (error == EINTR);
    }
    if (error == EOPNOTSUPP)
        error = ::ftruncate(fd_, length) != 0 ? errno : FillHoles(fd_, length);
    return error;
}

uint8_t* TDbFile::Map(uint32_t size) {
    error_ = 0;
    if (fd_ < 0 || base_ != nullptr)
        return nullptr;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        error_ = errno;
        return nullptr;
    }
    // Extends a shorter file with zeros; a longer file keeps its length. On
    // a fully allocated file this is cheap.
    const off_t length = std::max<off_t>(st.st_size, size);
    if (const int error = Allocate(length); error != 0) {
        // Blocks given to holes change no byte; only the extension is undone.
        if (st.st_size < length && ::ftruncate(fd_, st.st_size) != 0) {
            // Then the extension stays: zeros the next start finds again.
        }
        error_ = error;
        return nullptr;
    }
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (p == MAP_FAILED) {
        error_ = errno;
        return nullptr;
    }
    base_ = static_cast<uint8_t*>(p);
    size_ = size;
    return base_;
}

bool TDbFile::Flush(const uint8_t* addr, uint32_t count) {
    if (base_ == nullptr || !IsAccessible(addr, count))
        return false;
    if (Faults().FailAtFlush != 0 && flushCount + 1 >= Faults().FailAtFlush) {
        errno = EIO;
        return false;
    }
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

uint32_t TDbFile::UsedEnd(uint32_t start, uint32_t end) const {
    end = std::min(end, size_);
    return base_ == nullptr || start >= end ? start : UsedEndOf(base_, start, end);
}

uint32_t TDbFile::UsedEndOf(const uint8_t* bytes, uint32_t start, uint32_t end) {
    // Eight bytes at a time over the zero tail, aligned to the view, then
    // byte by byte.
    while (end - start >= sizeof(uint64_t) && end % sizeof(uint64_t) != 0 && bytes[end - 1] == 0)
        --end;
    for (uint64_t word = 0; end - start >= sizeof word; end -= sizeof word) {
        std::memcpy(&word, bytes + end - sizeof word, sizeof word);
        if (word != 0)
            break;
    }
    while (end > start && bytes[end - 1] == 0) --end;
    return end;
}
