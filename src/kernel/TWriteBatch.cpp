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
    TWriteIntent::TRange* last = ranges_.empty() ? nullptr : &ranges_.back();
    if (last != nullptr && offset >= last->Offset && offset <= last->Offset + last->Length)
        last->Length = std::max(last->Length, offset + count - last->Offset);
    else
        ranges_.push_back({offset, count});
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
    for (const auto& word : pending_) spans_[(word.first >> kSpanShift) / 64] = 0;
    pending_.clear();
    // The held-back words in the order the barriers take them; ends[] marks
    // where each barrier's flush ends.
    TWriteIntent::TWords words;
    std::vector<size_t> ends;
    for (int barrier = 0; barrier < kBarrierCount; ++barrier) {
        auto& held = words_[barrier];
        const size_t split = barrier == kDeletions ? OwnersFirst(held) : held.size();
        ends.push_back(words.size() + split);
        words.insert(words.end(), held.begin(), held.end());
        ends.push_back(words.size());
        held.clear();
    }
    if (!words.empty() && flushError_ == 0 && CommitWithIntent(words, hi))
        return;
    ranges_.clear();
    // The words would change the ones the record on the disk names.
    if (!words.empty())
        TWriteIntent::Invalidate();
    FlushSpan(lo, hi);
    size_t from = 0;
    for (const size_t end : ends) {
        ApplyWords(words, from, end);
        from = end;
    }
}

bool TWriteBatch::CommitWithIntent(const TWriteIntent::TWords& words, uint32_t hi) {
    const bool written = TWriteIntent::Write(words, ranges_);
    ranges_.clear();
    if (!written)
        return false;
    // One flush over the record and the new bytes (which lie after it in
    // the data region); only their dirty pages are written.
    FlushSpan(DbFormat::kIntentAreaBase, std::max(hi, TWriteIntent::End()));
    if (flushError_ != 0) {
        // Not stored: no later open may make the rows live either.
        TWriteIntent::Clear();
        return true;
    }
    ApplyWords(words, 0, words.size());
    return true;
}

void TWriteBatch::ApplyWords(const std::vector<std::pair<uint32_t, uint32_t>>& words, size_t from,
                             size_t to) {
    if (from >= to || flushError_ != 0)
        return;
    uint32_t lo = UINT32_MAX;
    uint32_t hi = 0;
    for (size_t i = from; i < to; ++i) {
        const auto [offset, value] = words[i];
        if (S::InView(offset, sizeof value))
            std::memcpy(S::Base + offset, &value, sizeof value);
        lo = std::min(lo, offset);
        hi = std::max(hi, offset + 4);
    }
    FlushSpan(lo, hi);
}

void TWriteBatch::CommitIfLarge() {
    if (pending_.size() > kLargeBatch)
        Commit();
}
