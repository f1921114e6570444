// Groups the row writes of one piece of work (a contact with its date-index
// row and its text) into two flushes, in an order that keeps the file sound
// when the power fails at any moment:
//
//   new bytes  new row slots (fields, zero Tail, TableID with RowID 0: a
//              deleted row, counted by no walk) and rows changed in place
//              (the sequence words), written into the view at once;
//   held back  the links that make the new rows reachable (bucket words and
//              Tail words), then the RowIDs that make them live, then the
//              RowIDs zeroed by deletions: those of the table deleted from
//              first (the contact), then of the rows that hang on it.
//
// At the commit the held-back words go into the write-intent record
// (TWriteIntent), which is flushed in one flush with the new bytes; then the
// words go into the view and are flushed. A cut before the record is whole
// on the disk leaves only deleted rows; one after it is mended at the next
// open from the record. A commit whose record does not fit the area writes
// the held-back words in barriers instead, each flushed before the next: the
// new bytes, the links, the RowIDs, the deletions (two flushes).
//
// The held-back words stay out of the view until the record (or the barrier
// before them) is on the disk, so no page the system may write back early
// ever carries them too soon; reads inside the batch see them through the
// kernel's word accessor.
//
// A batch is opened by constructing a guard; guards nest and the outermost
// one commits. Without a guard every operation flushes its own writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kernel/TWriteIntent.h"

class TWriteBatch {
public:
    enum TBarrier { kLinks = 0, kRowIDs = 1, kDeletions = 2, kBarrierCount = 3 };

    TWriteBatch();
    ~TWriteBatch();
    TWriteBatch(const TWriteBatch&) = delete;
    TWriteBatch& operator=(const TWriteBatch&) = delete;

    static bool IsOpen() { return depth_ > 0; }
    // count bytes at offset were written into the view (barrier 1).
    static void Touched(uint32_t offset, uint32_t count);
    // The word at offset becomes value at the barrier; outside a batch it is
    // written and flushed at once.
    static void Store(TBarrier barrier, uint32_t offset, uint32_t value);
    // The value a held-back word will take, if one is pending.
    static bool Pending(uint32_t offset, uint32_t& value) {
        if (pending_.empty() || !MayBePending(offset))
            return false;
        const auto it = pending_.find(offset);
        if (it == pending_.end())
            return false;
        value = it->second;
        return true;
    }
    static bool HasPending() { return !pending_.empty(); }
    // Called before every write into the view but the batch's own: a valid
    // intent record is cleared first when the write is outside a batch or
    // changes a word the record names.
    static void BeforeWrite(uint32_t offset) {
        if (TWriteIntent::Valid() && (depth_ == 0 || TWriteIntent::Names(offset)))
            TWriteIntent::Invalidate();
    }
    // Writes out everything pending. Operations that read or write the file
    // other than by rows call it first.
    static void Commit();
    // A long batch (a log built in one go) commits now and then so that the
    // held-back words stay few.
    static void CommitIfLarge();

    // Every flush of the kernel goes through here. A failed one is
    // remembered until it is taken: until then no held-back word is made
    // live, so nothing written after it can make a row reachable whose
    // bytes may not be on the disk. False when the flush failed.
    static bool FlushView(const uint8_t* address, uint32_t count);
    static void ClearFlushError() { flushError_ = 0; }
    // The message for the failed flush not yet taken (empty when none); clears it.
    static std::string TakeFlushError();
    static constexpr const char* kNotWritten = "The log file could not be written to the disk: ";

private:
    // A coarse map of the spans that hold pending words, so that the reads
    // of a walk through rows untouched by the batch skip the word lookup.
    static constexpr uint32_t kSpanShift = 10;
    static constexpr uint32_t kSpanWords = (UINT32_MAX >> kSpanShift) / 64 + 1;
    static bool MayBePending(uint32_t offset) {
        const uint32_t span = offset >> kSpanShift;
        return (spans_[span / 64] >> (span % 64) & 1) != 0;
    }
    static void MarkPending(uint32_t offset) {
        const uint32_t span = offset >> kSpanShift;
        spans_[span / 64] |= uint64_t{1} << (span % 64);
    }
    static void FlushSpan(uint32_t lo, uint32_t hi);
    // Writes the held-back words through the intent record; false when it
    // does not fit.
    static bool CommitWithIntent(const TWriteIntent::TWords& words, uint32_t hi);
    // Writes words[from, to) into the view and flushes their span.
    static void ApplyWords(const std::vector<std::pair<uint32_t, uint32_t>>& words, size_t from,
                           size_t to);

    static inline int depth_ = 0;
    static inline int flushError_ = 0;
    static inline uint32_t touchedLo_ = 0;
    static inline uint32_t touchedHi_ = 0;
    static inline std::vector<TWriteIntent::TRange> ranges_;  // the new bytes
    static inline std::unordered_map<uint32_t, uint32_t> pending_;
    static inline uint64_t spans_[kSpanWords] = {};
    static inline std::vector<std::pair<uint32_t, uint32_t>> words_[kBarrierCount];
};
