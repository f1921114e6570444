#include "TPowerLossDbFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

TPowerLossDbFile::TPower& TPowerLossDbFile::Power() {
    static TPower power;
    return power;
}

void TPowerLossDbFile::Install(int64_t budget, bool tornCut, uint32_t seed) {
    Power() = TPower{budget, tornCut, false, 0, std::mt19937(seed), {}};
    SetDbFileFactory([] { return std::make_unique<TPowerLossDbFile>(); });
}

uint8_t* TPowerLossDbFile::Map(uint32_t size) {
    void* p = fd_ < 0 || base_ ? MAP_FAILED
                               : ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd_, 0);
    if (p == MAP_FAILED)
        return nullptr;
    size_ = size;
    return base_ = static_cast<uint8_t*>(p);
}

bool TPowerLossDbFile::Flush(const uint8_t* addr, uint32_t count) {
    TPower& p = Power();
    ++p.Flushes;
    if (!IsAccessible(addr, count))
        return false;
    const bool cut = p.Budget == 0;
    if (p.Off || (cut && !p.TornCut))
        return p.Off = true;  // the program does not know yet
    p.Off = cut;
    p.Budget -= p.Budget > 0;
    // Whole pages, as msync writes them; but only pages the program has
    // written differ from the file: in the private view they are the ones
    // copied on write (present, no longer pages of the file), which
    // /proc/self/pagemap tells apart. The close's flush of the whole view
    // thus writes just those.
    const uint32_t page = static_cast<uint32_t>(::sysconf(_SC_PAGESIZE));
    const auto offset = static_cast<uint32_t>(addr - base_);
    const uint32_t first = offset / page;
    std::vector<uint64_t> entries((offset + count + page - 1) / page - first);
    const auto at = static_cast<off_t>((reinterpret_cast<uintptr_t>(base_) / page + first) * 8);
    const int pagemap = ::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
    const ssize_t got = ::pread(pagemap, entries.data(), entries.size() * 8, at);
    ::close(pagemap);
    for (uint32_t i = 0; i < entries.size(); ++i) {
        const bool copied = got != static_cast<ssize_t>(entries.size() * 8) ||
                            ((entries[i] >> 63 & 1) && !(entries[i] >> 61 & 1));
        if (!copied || (cut && (p.Random() & 1) == 0))
            continue;
        const uint32_t off = (first + i) * page;
        const size_t n = std::min(page, size_ - off);
        if (::pwrite(fd_, base_ + off, n, off) != static_cast<ssize_t>(n))
            return false;
        p.Written.push_back(off);
    }
    return true;
}
