#include "logfile/TSparseFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/TDbFile.h"

namespace {
bool Fails(std::string& error, const std::string& what, const std::string& path) {
    error = what + " " + path + ": " + std::strerror(errno);
    return false;
}

bool IsZero(const uint8_t* p, uint64_t n) {
    static const uint8_t kZeros[TSparseFile::kBlockSize] = {};
    return std::memcmp(p, kZeros, n) == 0;  // n is at most one block
}

bool WriteAll(int fd, const uint8_t* p, uint64_t n, uint64_t at) {
    while (n > 0) {
        const ssize_t w = ::pwrite(fd, p, n, static_cast<off_t>(at));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        at += static_cast<uint64_t>(w);
        n -= static_cast<uint64_t>(w);
    }
    return true;
}

bool ReadAll(int fd, uint8_t* p, uint64_t n) {
    for (uint64_t at = 0; at < n;) {
        const ssize_t r = ::pread(fd, p + at, n - at, static_cast<off_t>(at));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        at += static_cast<uint64_t>(r);
    }
    return true;
}

// The non-zero blocks of the image, in runs of at most kRunSize bytes.
bool WriteRuns(int fd, const uint8_t* image, uint64_t size) {
    uint64_t at = 0;
    while (at < size) {
        const uint64_t block = std::min<uint64_t>(TSparseFile::kBlockSize, size - at);
        if (IsZero(image + at, block)) {
            at += block;
            continue;
        }
        uint64_t end = at + block;
        while (end < size && end - at < TSparseFile::kRunSize) {
            const uint64_t next = std::min<uint64_t>(TSparseFile::kBlockSize, size - end);
            if (IsZero(image + end, next))
                break;
            end += next;
        }
        if (!WriteAll(fd, image + at, end - at, at))
            return false;
        TDbFile::CountDurableStep();
        at = end;
    }
    return true;
}
}  // namespace

bool TSparseFile::WriteImage(const std::string& path, const uint8_t* image, uint64_t size,
                             std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return Fails(error, "cannot create", path);
    // The size first: everything not written stays a hole and reads as zero.
    bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0 && WriteRuns(fd, image, size) &&
              ::fsync(fd) == 0;
    if (!ok)
        Fails(error, "cannot write", path);
    if (::close(fd) != 0 && ok)
        ok = Fails(error, "cannot write", path);
    if (!ok)
        ::unlink(path.c_str());
    else
        TDbFile::CountDurableStep();
    return ok;
}

bool TSparseFile::Copy(const std::string& from, const std::string& to, std::string& error) {
    const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Fails(error, "cannot open", from);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = from + " is not a regular file";
        return false;
    }
    // Read, not mapped: on tmpfs a fault on a hole of a view takes a page
    // even to read it, and kills the process (SIGBUS) when the disk is full.
    std::vector<uint8_t> image(static_cast<size_t>(st.st_size));
    const bool ok = ReadAll(fd, image.data(), image.size()) || Fails(error, "cannot read", from);
    ::close(fd);
    if (!ok)
        return false;
    static const uint8_t kEmpty = 0;
    return WriteImage(to, image.empty() ? &kEmpty : image.data(), image.size(), error);
}

bool TSparseFile::Replace(const std::string& from, const std::string& to, std::string& error) {
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return Fails(error, "cannot rename " + from + " to", to);
    TDbFile::CountDurableStep();
    return SyncFolder(FolderOf(to), error);
}

bool TSparseFile::SyncFolder(const std::string& folder, std::string& error) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Fails(error, "cannot open the folder", folder);
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    if (!ok)
        return Fails(error, "cannot sync the folder", folder);
    TDbFile::CountDurableStep();
    return true;
}

std::string TSparseFile::FolderOf(const std::string& path) {
    const std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? std::string(".") : parent;
}
