// The process-wide state of the open database and the raw accessors every
// kernel operation uses. Offsets are from the start of the file; every
// accessor is range-checked against the mapped size so that no offset read
// from a damaged file can reach outside the view.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "kernel/DbFormat.h"
#include "kernel/TWriteBatch.h"
#include "platform/TDbFile.h"

class TDbKernelState {
public:
    static std::unique_ptr<TDbFile> File;
    static uint8_t* Base;        // nullptr while no database is open
    static uint32_t MapSize;     // kDbFileSize while open
    static uint8_t* MetaCursor;  // where the next metadata record goes

    static bool IsOpen() { return Base != nullptr; }
    // True when count bytes at offset lie inside the view.
    static bool InView(uint32_t offset, uint32_t count) {
        return Base != nullptr && offset <= MapSize && count <= MapSize - offset;
    }
    // A word held back by an open write batch reads as the value it will take.
    static uint32_t U32(uint32_t offset) {
        uint32_t v = 0;
        if (TWriteBatch::Pending(offset, v))
            return v;
        if (InView(offset, 4))
            std::memcpy(&v, Base + offset, 4);
        return v;
    }
    static void SetU32(uint32_t offset, uint32_t value) {
        TWriteBatch::BeforeWrite(offset);
        if (InView(offset, 4))
            std::memcpy(Base + offset, &value, 4);
    }
    // One past the last non-zero byte of [start, end) as reads see it; start
    // when all are zero. While words are held back the whole range counts.
    static uint32_t UsedEnd(uint32_t start, uint32_t end) {
        if (Base == nullptr)
            return start;
        return TWriteBatch::HasPending() ? end : File->UsedEnd(start, end);
    }
    // The first non-zero byte of [start, end) as reads see it; end when all
    // are zero. Compared a block at a time, big blocks over long zero runs
    // (the empty part of a page), small ones near the bytes in use.
    static uint32_t FirstUsed(uint32_t start, uint32_t end) {
        end = Base == nullptr ? start : std::min(end, MapSize);
        if (start >= end || TWriteBatch::HasPending() || Base[start] != 0)
            return std::min(start, end);
        for (int i = 0; i < 4 && end - start >= kSmallZeroBlock &&
                        std::memcmp(Base + start, ZeroBlock(), kSmallZeroBlock) == 0;
             ++i)
            start += kSmallZeroBlock;
        start = SkipZeroBlocks(start, end, kLargeZeroBlock);
        start = SkipZeroBlocks(start, end, kSmallZeroBlock);
        while (start < end && Base[start] == 0) ++start;
        return start;
    }
    // Bucket chains of a table: the word of bucket b, and the first bucket at
    // or after b whose word is not 0 (kBucketCount when none is).
    static uint32_t BucketWord(uint32_t tableID, int32_t bucket) {
        return DbFormat::kBucketRegionBase + (tableID + 1) * DbFormat::kBucketBlockSize +
               static_cast<uint32_t>(bucket) * DbFormat::kBucketWordSize;
    }
    static int32_t NextUsedBucket(uint32_t tableID, int32_t bucket) {
        const uint32_t block = BucketWord(tableID, 0);
        const uint32_t at =
            FirstUsed(BucketWord(tableID, bucket), block + DbFormat::kBucketBlockSize);
        return static_cast<int32_t>((at - block) / DbFormat::kBucketWordSize);
    }
    static uint32_t OffsetOf(const uint8_t* p) { return static_cast<uint32_t>(p - Base); }

    // Data pages. Page p starts at kDataRegionBase + p * kDataPageSize; its
    // usable end is the page end or the end of the file, whichever is first.
    static uint32_t PageStart(uint32_t page) {
        return DbFormat::kDataRegionBase + page * DbFormat::kDataPageSize;
    }
    static uint32_t PageEnd(uint32_t page) {
        const uint64_t end = static_cast<uint64_t>(PageStart(page)) + DbFormat::kDataPageSize;
        return end > DbFormat::kDbFileSize ? DbFormat::kDbFileSize : static_cast<uint32_t>(end);
    }
    // A slot starting at slotStart of a page is usable when more than a
    // whole slot's bytes remain before the page's usable end.
    // Slots of rows of rowSize a page holds from its start, by the rule of
    // SlotFits (page 7 ends early, with the file).
    static uint32_t SlotsInPage(uint32_t page, uint32_t rowSize) {
        const uint32_t stride = rowSize + DbFormat::kRowOverhead;
        const uint32_t length = PageEnd(page) - PageStart(page);
        return length > stride ? (length - stride - 1) / stride + 1 : 0;
    }
    static bool SlotFits(uint32_t page, uint32_t slotStart, uint32_t rowSize) {
        const uint64_t end = static_cast<uint64_t>(slotStart) + rowSize + DbFormat::kRowOverhead;
        return end < PageEnd(page);
    }
    // True when offset is the start of a usable row slot of stride
    // rowSize + 12 inside the data region.
    static bool IsRowSlot(uint32_t offset, uint32_t rowSize) {
        if (offset < DbFormat::kDataRegionBase || offset >= DbFormat::kDbFileSize)
            return false;
        const uint32_t rel = offset - DbFormat::kDataRegionBase;
        const uint32_t page = rel / DbFormat::kDataPageSize;
        const uint32_t inPage = rel % DbFormat::kDataPageSize;
        if (inPage % (rowSize + DbFormat::kRowOverhead) != 0)
            return false;
        return SlotFits(page, offset, rowSize);
    }
    // The first slot of the stride from `from` on whose header (TableID,
    // RowID) may hold a non-zero byte; the slots before it are zero there.
    // end when no byte of [from, end) is in use.
    static uint32_t NextSlotInUse(uint32_t from, uint32_t end, uint32_t stride) {
        const uint32_t used = FirstUsed(from, end);
        if (used >= end)
            return end;
        const uint32_t header = DbFormat::kRowFieldsOffset;
        return used - from < header ? from : from + ((used - from - header) / stride + 1) * stride;
    }

    // Where the search for a free slot of a page goes on, set by a search
    // that saw the whole page: every slot before Slot taken, every one from
    // Slot on free (slots are filled in order and freed only by truncation,
    // which forgets the hints). Valid for one stride.
    struct TFreeSlotHint {
        uint32_t Slot = 0;
        uint32_t Stride = 0;
    };
    static TFreeSlotHint FreeSlotHints[DbFormat::kDataPageCount];
    static void ForgetFreeSlots() {
        for (TFreeSlotHint& h : FreeSlotHints) h = TFreeSlotHint{};
    }

    static constexpr uint32_t kSmallZeroBlock = 64;
    static constexpr uint32_t kLargeZeroBlock = 4096;
    static const uint8_t* ZeroBlock() {
        static constexpr uint8_t kZeros[kLargeZeroBlock] = {};
        return kZeros;
    }
    // Past the zero blocks of the given size from start on (start itself
    // when the block there is not zero or does not fit).
    static uint32_t SkipZeroBlocks(uint32_t start, uint32_t end, uint32_t block) {
        while (end - start >= block && std::memcmp(Base + start, ZeroBlock(), block) == 0)
            start += block;
        return start;
    }

    // No chain can hold more rows than the data region has slots.
    static uint32_t MaxChainLength(uint32_t rowSize) {
        return DbFormat::kDataRegionSize / (rowSize + DbFormat::kRowOverhead) + 1;
    }
};
