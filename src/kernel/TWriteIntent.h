// The write-intent record of a write batch (layout in DbFormat.h): the words
// that make the batch's new rows reachable and live, written into the file
// beside the batch's new bytes and flushed with them in one flush. The words
// then go into the view in any order with a second flush; a power cut or a
// kill before that one has ended is mended at the next open, which writes
// them again from the record.
//
// Invariant: a record that passes its checksums on the disk names no word
// changed after the record was applied, so writing it again never undoes
// anything. The next batch overwrites it only with its own record (whose
// words come after it is on the disk); a write outside a batch (a word
// stored without a guard, a truncation, a table record) or of a named word
// clears it first (Invalidate), and the close clears it before its flush.
// The new bytes of the next batch never touch a named word: new rows go to
// free slots (TableID 0, while every named word is a bucket word or lies in
// a slot that has its TableID) and rows changed in place change field bytes
// only. A byte range changed later makes the record fail its check, which is
// harmless: its words were on the disk before that change.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

class TWriteIntent {
public:
    using TWords = std::vector<std::pair<uint32_t, uint32_t>>;  // (offset, value)
    struct TRange {
        uint32_t Offset = 0;
        uint32_t Length = 0;
    };

    // Writes the record of words (in the order they are written) and of the
    // ranges of new bytes they rely on into the view; false, writing nothing,
    // when it does not fit the area. The record counts as valid from then on.
    static bool Write(const TWords& words, const std::vector<TRange>& ranges);
    // One past the last byte of the last record written.
    static uint32_t End();

    // True when the view may hold a record that passes its checksums.
    static bool Valid() { return valid_; }
    // Whether the valid record names a word overlapping the 4 bytes at offset.
    static bool Names(uint32_t offset);
    // Clears a valid record and flushes it.
    static void Invalidate();
    // Clears the record in the view only (a flush of the whole view follows);
    // answers the bytes cleared.
    static uint32_t Clear();
    // At open: writes the words of a sound record into the view, flushes
    // them, then clears the area and flushes it.
    static void Replay();

    static uint32_t Fnv(const uint8_t* bytes, uint32_t count, uint32_t hash);

private:
    static inline uint32_t size_ = 0;    // bytes of the last record written
    static inline uint32_t extent_ = 0;  // bytes of the area that may be non-zero
    static inline bool valid_ = false;
    static inline std::vector<uint32_t> named_;  // sorted offsets of the valid record's words
};
