#include "TPatchedDbFile.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>

std::vector<TPatchedDbFile::TPatch>& TPatchedDbFile::Pending() {
    static std::vector<TPatch> patches;
    return patches;
}

uint8_t* TPatchedDbFile::Map(uint32_t size) {
    if (fd_ < 0 || base_ != nullptr)
        return nullptr;
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return nullptr;
    // A short template would need extending, which a private view cannot do
    // for the file; the templates are always whole.
    if (st.st_size < static_cast<off_t>(size))
        return nullptr;
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd_, 0);
    if (p == MAP_FAILED)
        return nullptr;
    base_ = static_cast<uint8_t*>(p);
    size_ = size;
    for (const TPatch& patch : Pending()) {
        if (patch.Offset >= size)
            continue;
        const size_t n = std::min<size_t>(patch.Bytes.size(), size - patch.Offset);
        std::memcpy(base_ + patch.Offset, patch.Bytes.data(), n);
    }
    return base_;
}

bool TPatchedDbFile::Flush(const uint8_t* addr, uint32_t count) {
    return IsAccessible(addr, count);
}

void TPatchedDbFile::Install() {
    SetDbFileFactory([] { return std::make_unique<TPatchedDbFile>(); });
}

void TPatchedDbFile::Uninstall() {
    SetDbFileFactory({});
}
