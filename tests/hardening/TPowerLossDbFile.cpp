#include "TPowerLossDbFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

TPowerLossDbFile::TPower& TPowerLossDbFile::Power() {
    static TPower power;
    return power;
}

void TPowerLossDbFile::Install(int64_t budget, bool tornCut, uint32_t seed) {
    TPower& p = Power();
    p = TPower{};
    p.Budget = budget;
    p.TornCut = tornCut;
    p.Random.seed(seed);
    SetDbFileFactory([] { return std::make_unique<TPowerLossDbFile>(); });
}

void TPowerLossDbFile::Uninstall() {
    SetDbFileFactory({});
}

uint8_t* TPowerLossDbFile::Map(uint32_t size) {
    if (fd_ < 0 || base_ != nullptr)
        return nullptr;
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return nullptr;
    if (st.st_size < static_cast<off_t>(size) && ::ftruncate(fd_, size) != 0)
        return nullptr;
    // Pages the program has not written keep showing the file; the only
    // writes to the file are the flushes below, each of pages the view has
    // already copied, so the view never sees the disk change under it.
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd_, 0);
    if (p == MAP_FAILED)
        return nullptr;
    base_ = static_cast<uint8_t*>(p);
    size_ = size;
    return base_;
}

bool TPowerLossDbFile::WritePages(uintptr_t start, uintptr_t end, bool someOnly) {
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto base = reinterpret_cast<uintptr_t>(base_);
    // Only pages the program has written differ from the file: in the
    // private view they are the ones copied on write (present, and no longer
    // pages of the file), which /proc/self/pagemap tells apart. The close's
    // flush of the whole view thus writes just those.
    const int pagemap = ::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
    for (uintptr_t at = start; at < end; at += page) {
        if (pagemap >= 0) {
            uint64_t entry = 0;
            const bool read = ::pread(pagemap, &entry, sizeof entry,
                                      static_cast<off_t>(at / page * sizeof entry)) ==
                              static_cast<ssize_t>(sizeof entry);
            const bool present = (entry >> 63) & 1;
            const bool filePage = (entry >> 61) & 1;
            if (read && (!present || filePage))
                continue;
        }
        if (someOnly && (Power().Random() & 1) == 0)
            continue;
        const uintptr_t stop = at + page < end ? at + page : end;
        const auto off = static_cast<off_t>(at - base);
        if (::pwrite(fd_, reinterpret_cast<const void*>(at), stop - at, off) !=
            static_cast<ssize_t>(stop - at)) {
            if (pagemap >= 0)
                ::close(pagemap);
            return false;
        }
        Power().Written.emplace_back(static_cast<uint32_t>(off), static_cast<uint32_t>(stop - at));
    }
    if (pagemap >= 0)
        ::close(pagemap);
    return true;
}

bool TPowerLossDbFile::Flush(const uint8_t* addr, uint32_t count) {
    TPower& p = Power();
    ++p.Flushes;
    if (base_ == nullptr || !IsAccessible(addr, count))
        return false;
    if (p.Off)
        return true;  // the program does not know yet
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto base = reinterpret_cast<uintptr_t>(base_);
    const uintptr_t start = base + ((reinterpret_cast<uintptr_t>(addr) - base) & ~(page - 1));
    // Whole pages, as msync writes them: other bytes of a flushed page that
    // were written earlier reach the disk with it.
    uintptr_t end = (reinterpret_cast<uintptr_t>(addr) + count + page - 1) & ~(page - 1);
    if (end > base + size_)
        end = base + size_;
    if (p.Budget == 0) {
        p.Off = true;
        if (p.TornCut)
            WritePages(start, end, true);
        return true;
    }
    if (p.Budget > 0)
        --p.Budget;
    return WritePages(start, end, false);
}
