#include "TFuzzDbFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {
struct TView {
    std::string Path;
    int Fd = -1;
    uint8_t* Base = nullptr;       // the private view the kernel works on
    const uint8_t* Tpl = nullptr;  // a read-only view of the template, never written
    uint32_t Size = 0;
    size_t Pages = 0;  // system pages of the view
    std::vector<TFuzzDbFile::TPatch> Patches;
    // The pages writable, each written since it was last made read-only:
    // a flag per page and their list. Both are sized at the first open, so
    // the fault handler that fills them never allocates.
    std::vector<uint8_t> Dirty;
    std::vector<uint32_t> DirtyList;
    size_t DirtyCount = 0;
    // The template's bytes by system page: one past the page's last non-zero
    // byte (0: a zero page), and the nearest non-zero page at or before each.
    std::vector<uint32_t> TplEnd;
    std::vector<int64_t> TplPrev;
};

// Written pages kept writable between inputs; past this many they are all
// made read-only again.
constexpr size_t kMaxWritablePages = 64;

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

void MeasureTemplate(TView& v) {
    const uint32_t page = SystemPage();
    v.TplEnd.assign(v.Pages, 0);
    v.TplPrev.assign(v.Pages, -1);
    for (size_t i = 0; i < v.Pages; ++i) {
        const auto lo = static_cast<uint32_t>(i * page);
        const uint32_t used = TDbFile::UsedEndOf(v.Tpl, lo, std::min(v.Size, lo + page));
        v.TplEnd[i] = used > lo ? used : 0;
        v.TplPrev[i] = used > lo ? static_cast<int64_t>(i) : i > 0 ? v.TplPrev[i - 1] : -1;
    }
}

// Makes page i of the view writable and notes it; false when it already was.
bool MakeWritable(TView& v, size_t i) {
    if (v.Dirty[i] != 0)
        return false;
    v.Dirty[i] = 1;
    v.DirtyList[v.DirtyCount++] = static_cast<uint32_t>(i);
    return ::mprotect(v.Base + i * SystemPage(), SystemPage(), PROT_READ | PROT_WRITE) == 0;
}

struct sigaction gPrevious {};

// The view is mapped read-only: the first write to a page since the last
// restore lands here, which notes the page and lets the write through. Any
// other fault goes to the handler installed before (the sanitizer's), by
// putting it back and letting the access fault again.
void OnFault(int, siginfo_t* info, void*) {
    TView& v = View();
    const auto at = reinterpret_cast<uintptr_t>(info->si_addr);
    const auto base = reinterpret_cast<uintptr_t>(v.Base);
    if (v.Base != nullptr && at >= base && at - base < v.Size &&
        MakeWritable(v, (at - base) / SystemPage()))
        return;
    ::sigaction(SIGSEGV, &gPrevious, nullptr);
}

void InstallFaultHandler() {
    struct sigaction action {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGSEGV, &action, &gPrevious);
}

// Maps the template twice: the view the kernel writes, read-only until a
// page is written, and a read-only copy of the template's bytes to restore from.
void MapView(TView& v) {
    struct stat st {};
    v.Fd = ::open(v.Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (v.Fd < 0 || ::fstat(v.Fd, &st) != 0 || st.st_size <= 0)
        return;
    const auto size = static_cast<size_t>(st.st_size);
    void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, v.Fd, 0);
    void* tpl = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, v.Fd, 0);
    if (view == MAP_FAILED || tpl == MAP_FAILED) {
        for (void* p : {view, tpl})
            if (p != MAP_FAILED)
                ::munmap(p, size);
        return;
    }
    v.Size = static_cast<uint32_t>(size);
    v.Pages = (size + SystemPage() - 1) / SystemPage();
    v.Dirty.assign(v.Pages, 0);
    v.DirtyList.assign(v.Pages, 0);
    v.Tpl = static_cast<const uint8_t*>(tpl);
    MeasureTemplate(v);
    InstallFaultHandler();
    v.Base = static_cast<uint8_t*>(view);
}
}  // namespace

// The template's bytes are known page by page; only the pages written since
// the last restore are read, so a scan of a mostly empty data page costs
// the pages written, not its megabytes.
uint32_t TFuzzDbFile::UsedEnd(uint32_t start, uint32_t end) const {
    TView& v = View();
    end = std::min(end, size_);
    if (base_ != v.Base || base_ == nullptr || start >= end)
        return TDbFile::UsedEnd(start, end);
    const uint32_t page = SystemPage();
    const auto first = static_cast<int64_t>(start / page);
    for (auto i = static_cast<int64_t>((end - 1) / page); i >= first;) {
        const auto lo = static_cast<uint32_t>(i) * page;
        const uint32_t from = std::max(start, lo), to = std::min(end, lo + page);
        const bool partial = from != lo || to != std::min(size_, lo + page);
        const uint32_t tplEnd = v.TplEnd[static_cast<size_t>(i)];
        if (v.Dirty[static_cast<size_t>(i)] != 0 || (partial && tplEnd != 0)) {
            const uint32_t used = TDbFile::UsedEndOf(base_, from, to);
            if (used > from)
                return used;
            --i;
        } else if (tplEnd != 0) {
            return tplEnd;
        } else {
            // A zero page of the template, unwritten: on to the nearest page
            // below that may hold a byte, written or of the template.
            int64_t below = i > 0 ? v.TplPrev[static_cast<size_t>(i - 1)] : -1;
            for (size_t d = 0; d < v.DirtyCount; ++d)
                if (const int64_t w = v.DirtyList[d]; w < i && w > below)
                    below = w;
            i = below;
        }
    }
    return start;
}

// The pages written get the template's bytes back by a copy, so they stay
// mapped: the next input faults in neither them nor the pages it only
// reads. They also stay writable, and noted as written, for the inputs
// after (most inputs write the same few pages) until more than
// kMaxWritablePages gather: then they are made read-only again, so the
// compares here and the scans of UsedEnd stay short.
bool TFuzzDbFile::Restore(uint32_t watchedEnd) {
    TView& v = View();
    const uint32_t page = SystemPage();
    bool written = false;
    const bool protect = v.DirtyCount > kMaxWritablePages;
    for (size_t d = 0; d < v.DirtyCount; ++d) {
        const size_t lo = size_t{v.DirtyList[d]} * page;
        const size_t n = std::min<size_t>(page, v.Size - lo);
        if (std::memcmp(v.Base + lo, v.Tpl + lo, n) != 0) {
            std::memcpy(v.Base + lo, v.Tpl + lo, n);
            written = written || lo < watchedEnd;
        }
        if (protect) {
            ::mprotect(v.Base + lo, page, PROT_READ);
            v.Dirty[v.DirtyList[d]] = 0;
        }
    }
    if (protect)
        v.DirtyCount = 0;
    return written;
}

void TFuzzDbFile::Install(const std::string& path, std::vector<TPatch> patches) {
    View().Path = path;
    View().Patches = std::move(patches);
    SetDbFileFactory([] { return std::make_unique<TFuzzDbFile>(); });
}

bool TFuzzDbFile::Open(const std::string& path) {
    TView& v = View();
    if (v.Base == nullptr && path == v.Path)  // the first open maps the view
        MapView(v);
    fd_ = v.Base != nullptr && path == v.Path && fd_ < 0 ? v.Fd : -1;
    return fd_ >= 0;
}

uint8_t* TFuzzDbFile::Map(uint32_t size) {
    TView& v = View();
    if (fd_ < 0 || base_ != nullptr || size > v.Size)
        return nullptr;
    for (const TPatch& patch : v.Patches) {
        if (patch.Offset >= size || patch.Bytes.empty())
            continue;
        const size_t n = std::min<size_t>(patch.Bytes.size(), size - patch.Offset);
        for (size_t i = patch.Offset / SystemPage(); i <= (patch.Offset + n - 1) / SystemPage(); ++i)
            MakeWritable(v, i);
        std::memcpy(v.Base + patch.Offset, patch.Bytes.data(), n);
    }
    return base_ = v.Base, size_ = size, base_;
}
