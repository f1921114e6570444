#include "kernel/TWriteBatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernelState.h"

using S = TDbKernelState;

namespace {
// Held-back words beyond which a batch commits between two rows.
constexpr size_t kLargeBatch = 8192;

// The table owning the data page an offset lies in (its first word); 0
// outside the data region.
uint32_t OwnerOf(uint32_t offset) {
    if (offset < DbFormat::kDataRegionBase)
        return 0;
    return S::U32(S::PageStart((offset - DbFormat::kDataRegionBase) / DbFormat::kDataPageSize));
}

// Deletions take a record before the rows that hang on it (a contact before
// its date-index row and its text pieces). The rows of the table deleted from
// first go one flush ahead of the rest, so a torn flush never leaves a live
// contact whose text is already gone. Answers where the second group starts.
size_t OwnersFirst(std::vector<std::pair<uint32_t, uint32_t>>& words) {
    if (words.empty())
        return 0;
    const uint32_t owner = OwnerOf(words.front().first);
    const auto second = std::stable_partition(
        words.begin(), words.end(), [owner](const auto& w) { return OwnerOf(w.first) == owner; });
    return static_cast<size_t>(second - words.begin());
}
}  // namespace

TWriteBatch::TWriteBatch() {
    ++depth_;
}

TWriteBatch::~TWriteBatch() {
    if (--depth_ == 0)
        Commit();
}

void TWriteBatch::FlushSpan(uint32_t lo, uint32_t hi) {
    if (S::Base != nullptr && hi > lo)
        FlushView(S::Base + lo, hi - lo);
}

bool TWriteBatch::FlushView(const uint8_t* address, uint32_t count) {
    if (!S::File)
        return true;
    errno = 0;
    if (S::File->Flush(address, count))
        return true;
    if (flushError_ == 0)
        flushError_ = errno != 0 ? errno : EIO;
    return false;
}

std::string TWriteBatch::TakeFlushError() {
    if (flushError_ == 0)
        return std::string();
    const std::string message = kNotWritten + std::string(std::strerror(flushError_)) + ".";
    flushError_ = 0;
    return message;
}

void TWriteBatch::Touched(uint32_t offset, uint32_t count) {
    if (count == 0)
        return;
    if (depth_ == 0) {
        FlushSpan(offset, offset + count);
        return;
    }
    if (touchedHi_ == 0) {
        touchedLo_ = offset;
        touchedHi_ = offset + count;
    } else {
        touchedLo_ = std::min(touchedLo_, offset);
        touchedHi_ = std::max(touchedHi_, offset + count);
    }
}

void TWriteBatch::Store(TBarrier barrier, uint32_t offset, uint32_t value) {
    if (depth_ == 0) {
        if (flushError_ != 0)
            return;
        S::SetU32(offset, value);
        FlushSpan(offset, offset + 4);
        return;
    }
    pending_[offset] = value;
    MarkPending(offset);
    words_[barrier].emplace_back(offset, value);
}

void TWriteBatch::Commit() {
    const uint32_t lo = touchedLo_;
    const uint32_t hi = touchedHi_;
    touchedLo_ = touchedHi_ = 0;
    // The view first gets each barrier's words once the barrier before it
    // is on the disk.
    FlushSpan(lo, hi);
    for (const auto& word : pending_) spans_[(word.first >> kSpanShift) / 64] = 0;
    pending_.clear();
    for (int barrier = 0; barrier < kBarrierCount; ++barrier) {
        auto& words = words_[barrier];
        const size_t split = barrier == kDeletions ? OwnersFirst(words) : words.size();
        ApplyWords(words, 0, split);
        ApplyWords(words, split, words.size());
        words.clear();
    }
}

void TWriteBatch::ApplyWords(const std::vector<std::pair<uint32_t, uint32_t>>& words, size_t from,
                             size_t to) {
    if (from >= to || flushError_ != 0)
        return;
    uint32_t lo = UINT32_MAX;
    uint32_t hi = 0;
    for (size_t i = from; i < to; ++i) {
        const auto [offset, value] = words[i];
        S::SetU32(offset, value);
        lo = std::min(lo, offset);
        hi = std::max(hi, offset + 4);
    }
    FlushSpan(lo, hi);
}

void TWriteBatch::CommitIfLarge() {
    if (pending_.size() > kLargeBatch)
        Commit();
}
