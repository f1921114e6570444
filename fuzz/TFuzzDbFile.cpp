#include "TFuzzDbFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {
struct TView {
    std::string Path;
    int Fd = -1;
    uint8_t* Base = nullptr;
    uint32_t Size = 0;
    std::vector<TFuzzDbFile::TPatch> Patches;
    std::vector<uint64_t> Entries;  // pagemap scratch, kept to spare an allocation per input
};

// Never destroyed: the workspace, a static of its own, still closes its
// database during the static destruction at exit.
TView& View() {
    static TView& view = *new TView;
    return view;
}
}  // namespace

// A private file mapping reads the file's bytes again where its copied
// pages are dropped. Pagemap entry bits: 63 present, 61 file page.
uint32_t TFuzzDbFile::Restore() {
    TView& v = View();
    const auto page = static_cast<uint32_t>(::sysconf(_SC_PAGESIZE));
    v.Entries.resize((v.Size + page - 1) / page);
    const int pagemap = ::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
    const auto bytes = static_cast<ssize_t>(v.Entries.size() * 8);
    const bool known =
        ::pread(pagemap, v.Entries.data(), static_cast<size_t>(bytes),
                static_cast<off_t>(reinterpret_cast<uintptr_t>(v.Base) / page * 8)) == bytes;
    ::close(pagemap);
    const auto copied = [&](size_t n) {
        return !known || ((v.Entries[n] >> 63 & 1) && !(v.Entries[n] >> 61 & 1));
    };
    uint32_t first = UINT32_MAX;
    for (size_t i = 0, end = 0; i < v.Entries.size(); i = end + 1) {
        for (end = i; end < v.Entries.size() && copied(end);) ++end;
        if (end > i && ::madvise(v.Base + i * page, (end - i) * page, MADV_DONTNEED) == 0)
            first = std::min(first, static_cast<uint32_t>(i * page));
    }
    return first;
}

void TFuzzDbFile::Install(const std::string& path, std::vector<TPatch> patches) {
    View().Path = path;
    View().Patches = std::move(patches);
    SetDbFileFactory([] { return std::make_unique<TFuzzDbFile>(); });
}

bool TFuzzDbFile::Open(const std::string& path) {
    TView& v = View();
    struct stat st {};
    if (v.Base == nullptr && path == v.Path) {  // the first open maps the view
        v.Fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        void* p = v.Fd < 0 || ::fstat(v.Fd, &st) != 0
                      ? MAP_FAILED
                      : ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ | PROT_WRITE,
                               MAP_PRIVATE, v.Fd, 0);
        v.Base = p == MAP_FAILED ? nullptr : static_cast<uint8_t*>(p);
        v.Size = v.Base ? static_cast<uint32_t>(st.st_size) : 0;
    }
    fd_ = v.Base != nullptr && path == v.Path && fd_ < 0 ? v.Fd : -1;
    return fd_ >= 0;
}

uint8_t* TFuzzDbFile::Map(uint32_t size) {
    TView& v = View();
    if (fd_ < 0 || base_ != nullptr || size > v.Size)
        return nullptr;
    for (const TPatch& patch : v.Patches)
        if (patch.Offset < size)
            std::memcpy(v.Base + patch.Offset, patch.Bytes.data(),
                        std::min<size_t>(patch.Bytes.size(), size - patch.Offset));
    return base_ = v.Base, size_ = size, base_;
}
