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
    // The template's bytes by system page: one past the page's last non-zero
    // byte (0: a zero page), and the nearest non-zero page at or before each.
    std::vector<uint32_t> TplEnd;
    std::vector<int64_t> TplPrev;
};

// Never destroyed: the workspace, a static of its own, still closes its
// database during the static destruction at exit.
TView& View() {
    static TView& view = *new TView;
    return view;
}

uint32_t SystemPage() {
    static const auto page = static_cast<uint32_t>(::sysconf(_SC_PAGESIZE));
    return page;
}

// Reads the page-table entries of the view's pages [first, first + count)
// into v.Entries; false when the kernel does not tell.
bool ReadPagemap(TView& v, size_t first, size_t count) {
    v.Entries.resize(count);
    static const int pagemap = ::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
    const auto bytes = static_cast<ssize_t>(count * 8);
    const off_t at =
        static_cast<off_t>((reinterpret_cast<uintptr_t>(v.Base) / SystemPage() + first) * 8);
    return ::pread(pagemap, v.Entries.data(), static_cast<size_t>(bytes), at) == bytes;
}

// A page of the view no longer shows the template once it was written:
// entry bits 63 present and 61 file page clear, or 62 swapped out.
bool Copied(uint64_t entry) {
    return ((entry >> 63 & 1) && !(entry >> 61 & 1)) || (entry >> 62 & 1);
}

// One past the last non-zero byte of the view's [start, end), by bytes.
uint32_t ScanBack(const uint8_t* base, uint32_t start, uint32_t end) {
    while (end > start && base[end - 1] == 0) --end;
    return end;
}

void MeasureTemplate(TView& v) {
    const uint32_t page = SystemPage();
    const size_t pages = (v.Size + page - 1) / page;
    std::vector<uint8_t> bytes(page);
    v.TplEnd.assign(pages, 0);
    v.TplPrev.assign(pages, -1);
    for (size_t i = 0; i < pages; ++i) {
        const auto n = ::pread(v.Fd, bytes.data(), page, static_cast<off_t>(i * page));
        const uint32_t used = n > 0 ? ScanBack(bytes.data(), 0, static_cast<uint32_t>(n)) : 0;
        v.TplEnd[i] = used == 0 ? 0 : static_cast<uint32_t>(i * page) + used;
        v.TplPrev[i] = used != 0 ? static_cast<int64_t>(i) : i > 0 ? v.TplPrev[i - 1] : -1;
    }
}
}  // namespace

// The template's bytes are known page by page; only the pages written since
// the view was restored are read, so a scan of a mostly empty data page
// costs its written pages, not its megabytes.
uint32_t TFuzzDbFile::UsedEnd(uint32_t start, uint32_t end) const {
    TView& v = View();
    end = std::min(end, size_);
    if (base_ != v.Base || base_ == nullptr || start >= end)
        return TDbFile::UsedEnd(start, end);
    if (v.TplEnd.empty())
        MeasureTemplate(v);
    const uint32_t page = SystemPage();
    const size_t first = start / page, last = (end - 1) / page;
    if (!ReadPagemap(v, first, last - first + 1))
        return TDbFile::UsedEnd(start, end);
    std::vector<int64_t> copied;  // written pages, descending
    for (size_t i = last + 1; i-- > first;)
        if (Copied(v.Entries[i - first]))
            copied.push_back(static_cast<int64_t>(i));
    size_t next = 0;  // the next written page at or below i
    for (int64_t i = static_cast<int64_t>(last); i >= static_cast<int64_t>(first);) {
        while (next < copied.size() && copied[next] > i) ++next;
        const auto lo = static_cast<uint32_t>(i) * page;
        const bool written = next < copied.size() && copied[next] == i;
        if (written || lo < start || lo + page > end) {
            const uint32_t used = ScanBack(base_, std::max(start, lo), std::min(end, lo + page));
            if (used > std::max(start, lo))
                return used;
            --i;
        } else if (v.TplEnd[static_cast<size_t>(i)] != 0) {
            return v.TplEnd[static_cast<size_t>(i)];
        } else {
            // A zero page of the template, unwritten: on to the nearest page
            // that may hold a byte, written or of the template.
            const int64_t tpl = i > 0 ? v.TplPrev[static_cast<size_t>(i - 1)] : -1;
            const int64_t wr = next < copied.size() ? copied[next] : -1;
            i = std::max({tpl, wr, static_cast<int64_t>(first) - 1});
            if (i < static_cast<int64_t>(first) && first * page < start)
                i = static_cast<int64_t>(first);  // the first page is partial: scanned above
        }
    }
    return start;
}

// A private file mapping reads the file's bytes again where its pages are
// dropped. All of them are: the pages the input only read come back from the
// page cache when touched, and the page table stays as small as one input
// makes it, which keeps the page-table reads of UsedEnd short.
bool TFuzzDbFile::Restore(uint32_t watchedEnd) {
    TView& v = View();
    const uint32_t page = SystemPage();
    const size_t watched = (std::min(watchedEnd, v.Size) + page - 1) / page;
    const bool known = ReadPagemap(v, 0, watched);
    bool written = false;
    for (size_t i = 0; i < watched && !written; ++i) written = !known || Copied(v.Entries[i]);
    ::madvise(v.Base, (v.Size + page - 1) / page * page, MADV_DONTNEED);
    return written;
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
