#include "kernel/TWriteBatch.h"

#include <algorithm>

#include "kernel/TDbKernelState.h"

using S = TDbKernelState;

namespace {
// Held-back words beyond which a batch commits between two rows.
constexpr size_t kLargeBatch = 8192;
}  // namespace

TWriteBatch::TWriteBatch() {
    ++depth_;
}

TWriteBatch::~TWriteBatch() {
    if (--depth_ == 0)
        Commit();
}

void TWriteBatch::FlushSpan(uint32_t lo, uint32_t hi) {
    if (S::File && S::Base != nullptr && hi > lo)
        S::File->Flush(S::Base + lo, hi - lo);
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
        S::SetU32(offset, value);
        FlushSpan(offset, offset + 4);
        return;
    }
    pending_[offset] = value;
    words_[barrier].emplace_back(offset, value);
}

void TWriteBatch::Commit() {
    const uint32_t lo = touchedLo_;
    const uint32_t hi = touchedHi_;
    touchedLo_ = touchedHi_ = 0;
    // The view first gets each barrier's words once the barrier before it
    // is on the disk.
    FlushSpan(lo, hi);
    pending_.clear();
    for (auto& words : words_) {
        if (words.empty())
            continue;
        uint32_t wlo = UINT32_MAX;
        uint32_t whi = 0;
        for (const auto& [offset, value] : words) {
            S::SetU32(offset, value);
            wlo = std::min(wlo, offset);
            whi = std::max(whi, offset + 4);
        }
        words.clear();
        FlushSpan(wlo, whi);
    }
}

void TWriteBatch::CommitIfLarge() {
    if (pending_.size() > kLargeBatch)
        Commit();
}
