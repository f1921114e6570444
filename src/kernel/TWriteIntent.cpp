#include "kernel/TWriteIntent.h"

#include <algorithm>
#include <cstring>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TDbKernelState.h"
#include "kernel/TWriteBatch.h"

using namespace DbFormat;
using S = TDbKernelState;

namespace {
void Put(std::vector<uint8_t>& out, uint32_t value) {
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

uint32_t Get(const uint8_t* at) {
    uint32_t value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The checksum of a range of the view as it reads once the words are
// written: the same before, during and after their flush.
uint32_t RangeSum(const TWriteIntent::TRange& r, const TWriteIntent::TWords& words) {
    // The view's bytes, hashed in runs between the bytes of the words that
    // fall in the range; those are hashed from the words' values, the last
    // word over a byte winning, as when the words are written in order.
    struct TByte {
        uint32_t Offset, Order;
        uint8_t Value;
    };
    std::vector<TByte> overlay;
    uint32_t order = 0;
    for (const auto& [offset, value] : words)
        for (uint32_t i = 0; i < 4; ++i, ++order)
            if (offset + i >= r.Offset && offset + i - r.Offset < r.Length)
                overlay.push_back({offset + i, order, static_cast<uint8_t>(value >> (8 * i))});
    std::sort(overlay.begin(), overlay.end(), [](const TByte& a, const TByte& b) {
        return a.Offset != b.Offset ? a.Offset < b.Offset : a.Order < b.Order;
    });
    uint32_t hash = kFnvBasis;
    uint32_t at = r.Offset;
    for (size_t k = 0; k < overlay.size(); ++k) {
        if (k + 1 < overlay.size() && overlay[k + 1].Offset == overlay[k].Offset)
            continue;
        hash = TWriteIntent::Fnv(S::Base + at, overlay[k].Offset - at, hash);
        hash = TWriteIntent::Fnv(&overlay[k].Value, 1, hash);
        at = overlay[k].Offset + 1;
    }
    return TWriteIntent::Fnv(S::Base + at, r.Offset + r.Length - at, hash);
}

// The RowSize of a table from its column records, by the kernel's rule.
uint32_t RowSizeInFile(uint32_t tableID) {
    const uint32_t slot = tableID * kTableSlotSize;
    if (S::U32(slot + kTableRecInUseOffset) == 0)
        return 0;
    int64_t size = 0;
    for (uint32_t c = 0; c < kColumnsPerTable; ++c) {
        const uint32_t at = slot + kTableRecordSize + c * kColumnRecordSize;
        size += TDbKernelHelperFunctions::ColumnBytes(
            S::U32(at + kColRecDataTypeOffset),
            static_cast<int32_t>(S::U32(at + kColRecLengthOffset)));
    }
    return static_cast<uint32_t>(TDbKernelHelperFunctions::FitRowSize(size));
}

// A bucket word of a row table, or the RowID or Tail word of a usable slot
// of the table owning its data page.
bool IsLinkOrRowIDWord(uint32_t offset) {
    const uint32_t firstBucket = kBucketRegionBase + 2 * kBucketBlockSize;  // table 1
    if (offset >= firstBucket && offset < kDataRegionBase)
        return (offset - kBucketRegionBase) % kBucketWordSize == 0;
    if (offset < kDataRegionBase || offset > kDbFileSize - 4)
        return false;
    const uint32_t page = (offset - kDataRegionBase) / kDataPageSize;
    const uint32_t owner = S::U32(S::PageStart(page));
    const uint32_t rs = owner >= 1 && owner <= kLastAllocatableTableID ? RowSizeInFile(owner) : 0;
    if (rs == 0)
        return false;
    const uint32_t slot = offset - (offset - S::PageStart(page)) % (rs + kRowOverhead);
    const uint32_t at = offset - slot;
    return (at == kRowRowIDOffset || at == kRowFieldsOffset + rs) && S::SlotFits(page, slot, rs);
}

// The record in the view, when it passes every check.
bool Read(TWriteIntent::TWords& words, std::vector<TWriteIntent::TRange>& ranges) {
    const uint8_t* at = S::Base + kIntentAreaBase;
    const uint32_t n = Get(at + 4);
    const uint32_t r = Get(at + 8);
    const uint64_t size =
        kIntentHeaderSize + uint64_t{n} * kIntentWordSize + uint64_t{r} * kIntentRangeSize;
    if (Get(at) != kIntentMagic || size + kIntentChecksumSize > kIntentAreaSize ||
        Get(at + size) != TWriteIntent::Fnv(at, static_cast<uint32_t>(size), kFnvBasis))
        return false;
    const uint8_t* p = at + kIntentHeaderSize;
    for (uint32_t i = 0; i < n; ++i, p += kIntentWordSize) {
        const uint32_t offset = Get(p);
        const uint32_t value = Get(p + 4);
        if (!IsLinkOrRowIDWord(offset) ||
            (value != 0 && (value < kDataRegionBase || value >= kDbFileSize)))
            return false;
        words.emplace_back(offset, value);
    }
    for (uint32_t i = 0; i < r; ++i, p += kIntentRangeSize) {
        const TWriteIntent::TRange range{Get(p), Get(p + 4)};
        if (range.Offset < kDataRegionBase || range.Offset > kDbFileSize ||
            range.Length > kDbFileSize - range.Offset || RangeSum(range, words) != Get(p + 8))
            return false;
        ranges.push_back(range);
    }
    return true;
}
}  // namespace

uint32_t TWriteIntent::Fnv(const uint8_t* bytes, uint32_t count, uint32_t hash) {
    for (const uint8_t* end = bytes + count; bytes != end; ++bytes) hash = (hash ^ *bytes) * kFnvPrime;
    return hash;
}

uint32_t TWriteIntent::End() {
    return kIntentAreaBase + size_;
}

bool TWriteIntent::Write(const TWords& words, const std::vector<TRange>& ranges) {
    const uint64_t size = kIntentHeaderSize + words.size() * kIntentWordSize +
                          ranges.size() * kIntentRangeSize + kIntentChecksumSize;
    if (size > kIntentAreaSize || !S::InView(kIntentAreaBase, kIntentAreaSize))
        return false;
    std::vector<uint8_t> out;
    out.reserve(size);
    Put(out, kIntentMagic);
    Put(out, static_cast<uint32_t>(words.size()));
    Put(out, static_cast<uint32_t>(ranges.size()));
    named_.clear();
    for (const auto& [offset, value] : words) {
        Put(out, offset);
        Put(out, value);
        named_.push_back(offset);
    }
    for (const TRange& r : ranges) {
        Put(out, r.Offset);
        Put(out, r.Length);
        Put(out, RangeSum(r, words));
    }
    Put(out, Fnv(out.data(), static_cast<uint32_t>(out.size()), kFnvBasis));
    std::memcpy(S::Base + kIntentAreaBase, out.data(), out.size());
    std::sort(named_.begin(), named_.end());
    size_ = static_cast<uint32_t>(out.size());
    extent_ = std::max(extent_, size_);
    valid_ = true;
    return true;
}

bool TWriteIntent::Names(uint32_t offset) {
    const auto it = std::lower_bound(named_.begin(), named_.end(), offset < 3 ? 0 : offset - 3);
    return it != named_.end() && uint64_t{*it} <= uint64_t{offset} + 3;
}

uint32_t TWriteIntent::Clear() {
    const uint32_t cleared = extent_;
    if (cleared != 0 && S::InView(kIntentAreaBase, cleared))
        std::memset(S::Base + kIntentAreaBase, 0, cleared);
    valid_ = false;
    extent_ = size_ = 0;
    named_.clear();
    return cleared;
}

void TWriteIntent::Invalidate() {
    if (!valid_)
        return;
    const uint32_t cleared = Clear();
    if (S::Base != nullptr)
        TWriteBatch::FlushView(S::Base + kIntentAreaBase, cleared);
}

void TWriteIntent::Replay() {
    valid_ = false;
    extent_ = size_ = 0;
    named_.clear();
    if (!S::InView(kIntentAreaBase, kIntentAreaSize))
        return;
    TWords words;
    std::vector<TRange> ranges;
    if (Read(words, ranges) && !words.empty()) {
        uint32_t lo = UINT32_MAX;
        uint32_t hi = 0;
        for (const auto& [offset, value] : words) {
            std::memcpy(S::Base + offset, &value, sizeof value);
            lo = std::min(lo, offset);
            hi = std::max(hi, offset + 4);
        }
        // Cleared only once they are on the disk.
        if (!TWriteBatch::FlushView(S::Base + lo, hi - lo))
            return;
    }
    uint8_t* area = S::Base + kIntentAreaBase;
    if (S::FirstUsed(kIntentAreaBase, kIntentAreaEnd) < kIntentAreaEnd) {
        std::memset(area, 0, kIntentAreaSize);
        TWriteBatch::FlushView(area, kIntentAreaSize);
    }
}
