// Data pages and hash buckets: finding the slot of a row for writing and
// reading, the chain walk, page listing and chain linking.
//
// Every offset taken from the file (bucket words, Tail words, page owner
// words) is checked before it is followed: a chain may only lead to the start
// of a usable row slot of the table's stride inside the data region, and no
// chain is followed further than the data region has slots.
#include <string>

#include "kernel/CustomExceptions.h"
#include "kernel/TBrentLoopTest.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TDbKernelState.h"
#include "kernel/TRowLayout.h"
#include "kernel/TRowView.h"
#include "kernel/TWriteBatch.h"
#include "platform/TDialogs.h"

using namespace DbFormat;
using S = TDbKernelState;

namespace {
const TRowLayout::Item* KeyItem(const TRowLayout& layout, int32_t keyIndex) {
    for (const TRowLayout::Item& item : layout.Items)
        if (item.Index == keyIndex)
            return &item;
    return nullptr;
}
}  // namespace

// With allMatches (mode 0), every live row of the key is appended to it in
// chain order and the walk goes on to the chain's end, as the walk for one
// occurrence past the last would: the n-th entry is the row that the walk
// for occurrence n answers. A chain that runs in a circle would hand the
// same rows out again and again up to the chain bound (and reading them one
// occurrence at a time would never end): collecting, the walk stops where
// the chain first comes back to a row it has visited, keeps each row once
// and reports the chain as damaged, as the chain bound does.
uint8_t* TDbKernel::WalkChain(uint32_t firstOffset, uint32_t tableID, const TRowLayout& layout,
                              uint32_t& previous, int32_t& found, int32_t occurrence, int32_t mode,
                              const std::string& key, int32_t keyIndex, TWalkEnd& how,
                              std::vector<uint32_t>* allMatches) {
    found = 0;
    int32_t matches = 0;
    const std::string wanted = UpperText(TrimText(key));
    const TRowLayout::Item* keyItem = KeyItem(layout, keyIndex);
    const uint32_t rs = layout.RowSize;
    const uint32_t limit = S::MaxChainLength(rs);
    uint32_t cur = firstOffset;
    TBrentLoopTest loop(firstOffset);
    for (uint32_t steps = 0;; ++steps) {
        if (steps >= limit) {
            Dialogs().ShowMessage(KernelMessages::kChainTooLong);
            how = TWalkEnd::Damaged;
            return nullptr;
        }
        if (!S::IsRowSlot(cur, rs)) {
            Dialogs().ShowMessage(KernelMessages::kTailOutOfRange);
            how = TWalkEnd::Damaged;
            return nullptr;
        }
        const uint32_t id = S::U32(cur + kRowTableIDOffset);
        if (id != tableID) {
            if (id == 0) {
                how = TWalkEnd::FreeSlot;
                return nullptr;
            }
            throw ExcCorruptDataPages(KernelMessages::kCorruptDataPages);
        }
        if (layout.HasUnknownType)
            Dialogs().ShowMessage(KernelMessages::kBadFieldType);
        const bool live = S::U32(cur + kRowRowIDOffset) != 0;
        if (live && keyItem != nullptr && mode != 1 &&
            TRowLayout::KeyEquals(cur, *keyItem, wanted)) {
            bool hit = false;
            if (mode == 0 && allMatches != nullptr)
                allMatches->push_back(cur);
            else if (mode == 0)
                hit = ++matches == occurrence;
            else if (mode == 2)
                hit = true;
            if (hit) {
                previous = cur;
                found = -1;
                how = TWalkEnd::Found;
                return S::Base + cur;
            }
        }
        const uint32_t tail = S::U32(cur + kRowFieldsOffset + rs);
        if (tail == 0) {
            previous = cur;
            how = TWalkEnd::End;
            return nullptr;
        }
        if (!S::IsRowSlot(tail, rs)) {
            Dialogs().ShowMessage(KernelMessages::kTailOutOfRange);
            previous = cur;
            how = TWalkEnd::Damaged;
            return nullptr;
        }
        cur = tail;
        // A walk for the first match or the chain's end (modes 1 and 2) ends
        // in a circle as it would at the bound, only sooner: it met every
        // row of the circle before coming round.
        if (allMatches == nullptr && mode == 0)
            continue;
        if (loop.Meets(cur)) {
            if (allMatches != nullptr)
                allMatches->resize(TBrentLoopTest::FirstRepeat(*allMatches));
            Dialogs().ShowMessage(KernelMessages::kChainTooLong);
            how = TWalkEnd::Damaged;
            return nullptr;
        }
    }
}

uint8_t* TDbKernel::GetExistingReadDataPointer(uint32_t firstOffset, uint32_t tableID,
                                               uint32_t& previous, int32_t& found,
                                               int32_t occurrence, int32_t mode,
                                               uint32_t /*rowSizePlus8*/, const std::string& key,
                                               int32_t keyIndex) {
    found = 0;
    TRowLayout layout;
    if (!S::IsOpen() || !LayoutOfTable(tableID, layout))
        return nullptr;
    TWalkEnd how = TWalkEnd::End;
    return WalkChain(firstOffset, tableID, layout, previous, found, occurrence, mode, key, keyIndex,
                     how);
}

uint8_t* TDbKernel::GetReadDataPointer(TDBFields& fields, uint32_t tableID, int32_t occurrence,
                                       const std::string& key) {
    if (!S::IsOpen() || tableID < 1 || tableID > kLastAllocatableTableID)
        return nullptr;
    if (fields.Count() == 0 || fields.GetField(0)->TableID != static_cast<int32_t>(tableID))
        return nullptr;
    const int32_t h = DbKernelHelper->GetHash(fields);
    const uint32_t head = S::U32(S::BucketWord(tableID, h));
    if (head == 0)
        return nullptr;
    const int32_t mode = DbKernelHelper->HasMultiKey(fields) != 0 ? 0 : 2;
    const TRowLayout layout =
        TRowLayout::Of(fields, static_cast<uint32_t>(DbKernelHelper->GetRowSize(fields)));
    uint32_t previous = 0;
    int32_t found = 0;
    TWalkEnd how = TWalkEnd::End;
    return WalkChain(head, tableID, layout, previous, found, occurrence, mode, key,
                     DbKernelHelper->GetPrimaryKeyIndex(fields), how);
}

int32_t TDbKernel::ReadAllOccurrences(uint32_t tableID, const TDBFields& fieldsTemplate,
                                      const std::string& key, std::vector<TDBFieldsPtr>& out) {
    out.clear();
    // The checks of ReadDataRow and GetReadDataPointer, in their order.
    if (!S::IsOpen() || tableID < 1 || tableID > kLastAllocatableTableID)
        return 999;
    if (fieldsTemplate.Count() == 0 ||
        fieldsTemplate.GetField(0)->TableID != static_cast<int32_t>(tableID))
        return 999;
    const int32_t h = DbKernelHelper->GetHash(fieldsTemplate);
    const uint32_t head = S::U32(S::BucketWord(tableID, h));
    if (head == 0)
        return 999;
    const bool multi = DbKernelHelper->HasMultiKey(fieldsTemplate) != 0;
    const TRowLayout layout = TRowLayout::Of(
        fieldsTemplate, static_cast<uint32_t>(DbKernelHelper->GetRowSize(fieldsTemplate)));
    const int32_t keyIndex = DbKernelHelper->GetPrimaryKeyIndex(fieldsTemplate);

    // The fields after the RowID carrier are not read: every row shares the
    // template's until a caller asks for one of them.
    TDBFields proto(fieldsTemplate);
    if (layout.RowIDIndex >= 0)
        proto.ShareFieldsFrom(layout.RowIDIndex + 1);
    std::vector<uint32_t> offsets;
    // The rows found before a corrupt link are handed out with the
    // exception, as reading them one by one would have done.
    auto readRows = [&] {
        out.reserve(offsets.size());
        for (uint32_t off : offsets) {
            auto fields = std::make_shared<TDBFields>(proto);
            ReadRowInto(off, layout, *fields, false);
            fields->SetSlotRead(off);
            out.push_back(std::move(fields));
        }
    };
    uint32_t previous = 0;
    int32_t found = 0;
    TWalkEnd how = TWalkEnd::End;
    try {
        if (multi) {
            WalkChain(head, tableID, layout, previous, found, 0, 0, key, keyIndex, how, &offsets);
        } else if (uint8_t* p = WalkChain(head, tableID, layout, previous, found, 0, 2, key,
                                          keyIndex, how)) {
            offsets.push_back(S::OffsetOf(p));
        }
    } catch (...) {
        readRows();
        throw;
    }
    readRows();
    return out.empty() ? 999 : 0;
}

int32_t TDbKernel::VisitKeyRows(uint32_t tableID, const std::string& key,
                                const std::function<void(const TRowView&)>& visit) {
    TRowLayout layout;
    TDBFieldsPtr fields;
    if (!S::IsOpen() || tableID < 1 || tableID > kLastAllocatableTableID ||
        !LayoutOfTable(tableID, layout, &fields))
        return 999;
    const int32_t keyIndex = DbKernelHelper->GetPrimaryKeyIndex(*fields);
    if (keyIndex < 0 || keyIndex >= fields->Count())
        throw ExcNoPrimaryKeyDefined(KernelMessages::kNoPrimaryKey);
    const int32_t h = DbKernelHelper->GetStringHash(UpperText(TrimText(key)));
    const uint32_t head = S::U32(S::BucketWord(tableID, h));
    if (head == 0)
        return 999;
    std::vector<uint32_t> offsets;
    // The rows met before a corrupt link are visited before the exception
    // goes on, as a read of all occurrences hands them out.
    auto visitAll = [&] {
        for (uint32_t off : offsets) visit(TRowView(layout, off));
    };
    uint32_t previous = 0;
    int32_t found = 0;
    TWalkEnd how = TWalkEnd::End;
    try {
        if (DbKernelHelper->HasMultiKey(*fields) != 0) {
            WalkChain(head, tableID, layout, previous, found, 0, 0, key, keyIndex, how, &offsets);
        } else if (uint8_t* p = WalkChain(head, tableID, layout, previous, found, 0, 2, key,
                                          keyIndex, how)) {
            offsets.push_back(S::OffsetOf(p));
        }
    } catch (...) {
        visitAll();
        throw;
    }
    visitAll();
    return offsets.empty() ? 999 : 0;
}

bool TDbKernel::DescribeTable(uint32_t tableID, TRowLayout& layout, int32_t& keyIndex,
                              bool& multiKey) {
    TDBFieldsPtr fields;
    if (!S::IsOpen() || tableID < 1 || tableID > kLastAllocatableTableID ||
        !LayoutOfTable(tableID, layout, &fields))
        return false;
    keyIndex = DbKernelHelper->GetPrimaryKeyIndex(*fields);
    multiKey = DbKernelHelper->HasMultiKey(*fields) != 0;
    return keyIndex >= 0 && keyIndex < fields->Count();
}

bool TDbKernel::VisitSoundChains(uint32_t tableID, const TRowLayout& layout,
                                 const std::function<void(int32_t, uint32_t, uint32_t)>& visit) {
    if (!S::IsOpen() || layout.HasUnknownType || tableID < 1 || tableID > kLastAllocatableTableID)
        return false;
    const uint32_t rs = layout.RowSize;
    const uint32_t stride = rs + kRowOverhead;
    // One pass over the table's pages in file order notes each slot's link
    // and liveness; the chains are followed in that copy, not through the
    // file, and the rows handed out in file order. A chain that leads
    // anywhere the pass did not note as the table's (a gap, another table's
    // page) is not sound. One word a slot: its Tail until a chain meets it,
    // then its place in that chain, the bucket above it.
    constexpr uint64_t kLive = uint64_t{1} << 63;
    constexpr uint64_t kMet = uint64_t{1} << 62;
    constexpr uint64_t kBucketMask = (uint64_t{1} << 30) - 1;
    // Each page's slots are noted up to its first slot that is not the
    // table's: a chain that leads further leads to no row of the table.
    std::vector<size_t> firstSlot(kDataPageCount, 0);
    std::vector<uint32_t> slotCount(kDataPageCount, 0);
    std::vector<uint64_t> slots;
    // Room for every slot of the table's pages: never moved while filled,
    // and what no row uses is never touched.
    size_t most = 0;
    for (uint32_t p = 0; p < kDataPageCount; ++p)
        if (S::U32(S::PageStart(p)) == tableID)
            most += S::SlotsInPage(p, rs);
    slots.reserve(most);
    for (uint32_t p = 0; p < kDataPageCount; ++p) {
        firstSlot[p] = slots.size();
        if (S::U32(S::PageStart(p)) != tableID)
            continue;
        for (uint32_t at = S::PageStart(p); S::SlotFits(p, at, rs); at += stride) {
            if (S::U32(at + kRowTableIDOffset) != tableID)
                break;
            slots.push_back((S::U32(at + kRowRowIDOffset) != 0 ? kLive : 0) |
                            S::U32(at + kRowFieldsOffset + rs));
        }
        slotCount[p] = static_cast<uint32_t>(slots.size() - firstSlot[p]);
    }
    // Notes the slot a chain's link leads to and moves on to its Tail;
    // false when the link leads to no slot the page pass noted (each one
    // fits its page) or to one a chain met before.
    auto step = [&](uint32_t& cur, uint64_t bucket, uint32_t& position) {
        if (cur < kDataRegionBase || cur >= kDbFileSize)
            return false;
        const uint32_t rel = cur - kDataRegionBase;
        const uint32_t page = rel / kDataPageSize;
        const uint32_t inPage = rel % kDataPageSize;
        const uint32_t index = inPage / stride;
        if (index * stride != inPage || index >= slotCount[page])
            return false;
        uint64_t& slot = slots[firstSlot[page] + index];
        if ((slot & kMet) != 0)
            return false;
        cur = static_cast<uint32_t>(slot);
        slot = (slot & kLive) | kMet | bucket << 32 | position++;
        return true;
    };
    // A few chains are followed side by side, so that the reads of their
    // slots overlap; what is noted does not depend on the order. A group
    // that starts empty moves on to the group of the next bucket in use, so
    // the empty buckets of a small log are skipped a block at a time.
    constexpr uint32_t kLanes = 8;
    static_assert(kBucketCount % kLanes == 0);
    for (uint32_t first = 0; first < kBucketCount; first += kLanes) {
        if (S::U32(S::BucketWord(tableID, static_cast<int32_t>(first))) == 0) {
            const auto used = static_cast<uint32_t>(
                S::NextUsedBucket(tableID, static_cast<int32_t>(first)));
            if (used >= kBucketCount)
                break;
            first = used / kLanes * kLanes;
        }
        uint32_t cur[kLanes];
        uint32_t position[kLanes] = {};
        for (uint32_t k = 0; k < kLanes; ++k)
            cur[k] = S::U32(S::BucketWord(tableID, static_cast<int32_t>(first + k)));
        for (bool more = true; more;) {
            more = false;
            for (uint32_t k = 0; k < kLanes; ++k) {
                if (cur[k] != 0 && !step(cur[k], first + k, position[k]))
                    return false;
                more = more || cur[k] != 0;
            }
        }
    }
    for (uint32_t p = 0; p < kDataPageCount; ++p) {
        for (uint32_t i = 0; i < slotCount[p]; ++i) {
            // The visitor reads the row: the rows a few slots on are fetched
            // meanwhile.
            if (i + 8 < slotCount[p])
                __builtin_prefetch(S::Base + S::PageStart(p) + (i + 8) * stride + kRowFieldsOffset);
            const uint64_t slot = slots[firstSlot[p] + i];
            if ((slot & (kLive | kMet)) == (kLive | kMet))
                visit(static_cast<int32_t>(slot >> 32 & kBucketMask), static_cast<uint32_t>(slot),
                      S::PageStart(p) + i * stride);
        }
    }
    return true;
}

uint8_t* TDbKernel::LocateWriteSlot(TDBFields& fields, uint32_t tableID, int32_t& found,
                                    uint32_t& previous, uint32_t& bucketWord, bool& damaged) {
    found = 0;
    previous = 0;
    bucketWord = 0;
    damaged = false;
    const int32_t h = DbKernelHelper->GetHash(fields);
    DbKernelHelper->CountBucketHit(fields, h);
    const uint32_t word = S::BucketWord(tableID, h);
    const uint32_t head = S::U32(word);
    if (head == 0) {
        bucketWord = word;
        return NewWriteDataPointer(tableID, fields);
    }
    const TRowLayout layout =
        TRowLayout::Of(fields, static_cast<uint32_t>(DbKernelHelper->GetRowSize(fields)));
    const int32_t mode = DbKernelHelper->HasMultiKey(fields) != 0 ? 1 : 2;
    const int32_t k = DbKernelHelper->GetPrimaryKeyIndex(fields);
    TWalkEnd how = TWalkEnd::End;
    uint8_t* p = WalkChain(head, tableID, layout, previous, found, 0, mode,
                           fields.GetField(k)->Value, k, how);
    if (how == TWalkEnd::Found)
        return p;
    if (how != TWalkEnd::End) {
        // The chain cannot be extended safely: the row would be unreachable.
        if (how == TWalkEnd::FreeSlot)
            Dialogs().ShowMessage(KernelMessages::kTailOutOfRange);
        damaged = true;
        return nullptr;
    }
    return NewWriteDataPointer(tableID, fields);
}

uint8_t* TDbKernel::GetWriteDataPointer(TDBFields& fields, uint32_t tableID, int32_t& found,
                                        uint32_t& previous) {
    found = 0;
    previous = 0;
    if (!S::IsOpen() || tableID < 1 || tableID > kLastAllocatableTableID || fields.Count() == 0)
        return nullptr;
    uint32_t bucketWord = 0;
    bool damaged = false;
    uint8_t* p = LocateWriteSlot(fields, tableID, found, previous, bucketWord, damaged);
    if (p != nullptr && bucketWord != 0) {
        CheckAccess(S::Base + bucketWord, true, kBucketWordSize, "Get Write Data Pointer");
        S::SetU32(bucketWord, S::OffsetOf(p));
    }
    return p;
}

uint8_t* TDbKernel::FindRowForWrite(uint32_t tableID, int32_t& found, uint32_t& previous,
                                    TDBFields& fields) {
    found = 0;
    if (!S::IsOpen() || tableID < 1 || tableID > kLastAllocatableTableID || fields.Count() == 0)
        return nullptr;
    const int32_t h = DbKernelHelper->GetHash(fields);
    const uint32_t head = S::U32(S::BucketWord(tableID, h));
    if (head == 0)
        return nullptr;
    const TRowLayout layout =
        TRowLayout::Of(fields, static_cast<uint32_t>(DbKernelHelper->GetRowSize(fields)));
    const int32_t mode = DbKernelHelper->HasMultiKey(fields) != 0 ? 1 : 2;
    const int32_t k = DbKernelHelper->GetPrimaryKeyIndex(fields);
    TWalkEnd how = TWalkEnd::End;
    return WalkChain(head, tableID, layout, previous, found, 0, mode, fields.GetField(k)->Value, k,
                     how);
}

uint8_t* TDbKernel::NewWriteDataPointer(uint32_t tableID, TDBFields& fields) {
    if (!S::IsOpen())
        return nullptr;
    std::vector<uint8_t*> pages;
    int32_t first = 0;
    const int32_t n = GetDataPagesList(GetDataPagesPointer(), pages, first, tableID);
    uint8_t* page =
        n >= 0 && static_cast<size_t>(n) < pages.size() ? pages[static_cast<size_t>(n)] : nullptr;
    if (page != nullptr) {
        const uint32_t off = FindFirstEmptyDataSpace(page, tableID, fields);
        if (off != 0)
            return S::Base + off;
    }
    // The page can hold no further slot: take the first free page, if any
    // page of the file is still free and can hold a slot.
    uint8_t* fresh = GetNewPagePointer(tableID, GetDataPagesPointer());
    if (fresh == nullptr)
        return nullptr;
    const uint32_t off = FindFirstEmptyDataSpace(fresh, tableID, fields);
    return off != 0 ? S::Base + off : nullptr;
}

int32_t TDbKernel::GetDataPagesList(uint8_t* pagesBase, std::vector<uint8_t*>& pages,
                                    int32_t& first, uint32_t tableID) {
    // Entries are numbered from 1 in page order: entry p + 1 is page p. Free
    // pages between owned ones do not end the listing, so a table keeps
    // every page it owns in view after another table was truncated.
    pages.assign(kDataPageCount + 2, nullptr);
    first = 0;
    if (!S::IsOpen() || pagesBase == nullptr)
        return 0;
    int32_t last = 0;
    int32_t firstFree = -1;
    for (uint32_t p = 0; p < kDataPageCount; ++p) {
        const uint32_t w = S::U32(S::PageStart(p));
        if (w == 0) {
            if (firstFree < 0)
                firstFree = static_cast<int32_t>(p);
            continue;
        }
        if (w == tableID) {
            if (last == 0)
                first = static_cast<int32_t>(p + 1);
            last = static_cast<int32_t>(p + 1);
            pages[p + 1] = S::Base + S::PageStart(p);
        }
    }
    if (last != 0)
        return last;
    // The table owns no page: the entry of the first free page's number is
    // that page (nullptr when every page is taken).
    const int32_t count = firstFree < 0 ? static_cast<int32_t>(kDataPageCount) : firstFree;
    if (firstFree >= 0)
        pages[static_cast<size_t>(count)] =
            S::Base + S::PageStart(static_cast<uint32_t>(firstFree));
    first = count;
    return count;
}

uint32_t TDbKernel::FindFirstEmptyDataSpace(uint8_t* page, uint32_t /*tableID*/,
                                            TDBFields& fields) {
    if (!S::IsOpen() || page == nullptr)
        return 0;
    const uint32_t start = S::OffsetOf(page);
    if (start < kDataRegionBase || (start - kDataRegionBase) % kDataPageSize != 0)
        return 0;
    const uint32_t pageNo = (start - kDataRegionBase) / kDataPageSize;
    if (pageNo >= kDataPageCount)
        return 0;
    const auto rs = static_cast<uint32_t>(DbKernelHelper->GetRowSize(fields));
    const uint32_t slot = FirstFreeSlot(pageNo, rs);
    return S::SlotFits(pageNo, slot, rs) ? slot : 0;
}

uint32_t TDbKernel::FirstFreeSlot(uint32_t pageNo, uint32_t rowSize) {
    const uint32_t start = S::PageStart(pageNo);
    const uint32_t stride = rowSize + kRowOverhead;
    auto used = [&](uint32_t slot) { return S::U32(slot + kRowTableIDOffset) != 0; };
    // A hint is set only by a search that looked at every slot of the page:
    // the slots before it taken, those from it on free. Since then only this
    // kernel's writes, filling free slots in order, can have taken any.
    S::TFreeSlotHint& hint = S::FreeSlotHints[pageNo];
    if (hint.Stride == stride && hint.Slot >= start && (hint.Slot - start) % stride == 0 &&
        (hint.Slot == start || used(hint.Slot - stride))) {
        uint32_t slot = hint.Slot;
        while (S::SlotFits(pageNo, slot, rowSize) && used(slot)) slot += stride;
        hint.Slot = slot;
        return slot;
    }
    uint32_t slot = start;
    while (S::SlotFits(pageNo, slot, rowSize) && used(slot)) slot += stride;
    // Every slot from the first free one on must be free whole: a RowID
    // there, or a used slot after it, is a row whose TableID was lost, and
    // writing there would overwrite it. (A row that is being written carries
    // its RowID last, so an interrupted write leaves none.)
    // Past the page's last non-zero byte every slot is free whole.
    const uint32_t usedEnd = S::UsedEnd(slot, S::PageEnd(pageNo));
    for (uint32_t at = slot; at < usedEnd && S::SlotFits(pageNo, at, rowSize); at += stride)
        if (used(at) || S::U32(at + kRowRowIDOffset) != 0)
            throw ExcCorruptDataPages(KernelMessages::kFreeSlotHoldsRow + std::to_string(slot));
    hint = S::TFreeSlotHint{slot, stride};
    return slot;
}

uint32_t TDbKernel::RowToDelete(const TDBFields& fields) {
    const TDBFieldParent* carrier = nullptr;
    for (int i = 0; i < fields.Count() && carrier == nullptr; ++i)
        if (static_cast<uint32_t>(fields.GetField(i)->DataType) == kTypeFree)
            carrier = fields.GetField(i);
    if (carrier == nullptr)
        return 0;
    int32_t r = 0;
    if (!carrier->Value.empty() && !ParseInt32(carrier->Value, r))
        throw ExcKernelError(KernelMessages::kNotARowOfTable + carrier->Value);
    if (r == 0)
        throw ExcRowAlreadyMarkedForDeletion(KernelMessages::kRowIDZero);
    const auto row = static_cast<uint32_t>(r);
    const auto tableID = static_cast<uint32_t>(fields.GetField(0)->TableID);
    const auto rs = static_cast<uint32_t>(DbKernelHelper->GetRowSize(fields));
    // Only a row slot of this table whose RowID word names itself (or is
    // already 0) may be marked: a stale or forged RowID must not zero a word
    // somewhere else in the file, nor another row's.
    const uint32_t word = S::U32(row + kRowRowIDOffset);
    if (r < 0 || !S::IsOpen() || tableID < 1 || tableID > kLastAllocatableTableID ||
        !S::IsRowSlot(row, rs) || S::U32(row + kRowTableIDOffset) != tableID ||
        (word != row && word != 0))
        throw ExcKernelError(KernelMessages::kNotARowOfTable + carrier->Value);
    // A list read from a slot whose RowID word names another row.
    if (fields.SlotRead() != 0 && fields.SlotRead() != row)
        throw ExcKernelError(KernelMessages::kRowIDNotSlotRead + carrier->Value + ", slot " +
                             std::to_string(fields.SlotRead()));
    return row;
}

uint8_t* TDbKernel::GetNewPagePointer(uint32_t /*tableID*/, uint8_t* pagesBase) {
    if (!S::IsOpen() || pagesBase == nullptr)
        return nullptr;
    for (uint32_t p = 0; p < kDataPageCount; ++p)
        if (S::U32(S::PageStart(p)) == 0)
            return S::Base + S::PageStart(p);
    return nullptr;
}

int32_t TDbKernel::LinkRowToChain(uint32_t newOffset, uint32_t previousOffset, TDBFields& fields,
                                  int32_t found) {
    if (previousOffset == 0 || newOffset == 0)
        return 999;
    if (previousOffset == newOffset || found != 0)
        return 0;
    const auto rs = static_cast<uint32_t>(DbKernelHelper->GetRowSize(fields));
    if (newOffset >= kDbFileSize || !S::IsRowSlot(newOffset, rs) ||
        !S::IsRowSlot(previousOffset, rs)) {
        Dialogs().ShowMessage(KernelMessages::kOffsetOutOfRange);
        return 999;
    }
    TWriteBatch::Store(TWriteBatch::kLinks, previousOffset + kRowFieldsOffset + rs, newOffset);
    return 0;
}

void TDbKernel::CheckAccess(const uint8_t* address, bool isWrite, uint32_t count,
                            const std::string& caption) {
    const bool ok = S::File && S::File->IsAccessible(address, count);
    if (ok)
        return;
    const long long offset = S::Base != nullptr ? static_cast<long long>(address - S::Base) : 0;
    Dialogs().ShowMessage(std::string(isWrite ? "Write access denied " : "Read access denied ") +
                          caption + std::to_string(offset));
}
