// Row deletion, table truncation, the integrity check and the diagnostic
// reads of the administration window.
#include <cstring>

#include "kernel/CustomExceptions.h"
#include "kernel/TBrentLoopTest.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TDbKernelState.h"
#include "kernel/TKernelRowHooks.h"
#include "kernel/TRowLayout.h"
#include "kernel/TStructureCheck.h"
#include "platform/TClock.h"
#include "platform/TDialogs.h"
#include "platform/TEventPump.h"

using namespace DbFormat;
using S = TDbKernelState;

namespace {
constexpr const char* kReportHeader =
    "Table name       RawCount  HashCount RawSpeed   StartPage  EndPage\r\n"
    "----------       --------  --------- --------   ---------  -------\r\n";
constexpr int32_t kAllColumns = 65;  // selector of the all-columns key text
constexpr int32_t kSpeedShownAbove = 5000;

bool IsRowTable(uint32_t tableID) {
    return tableID >= 1 && tableID <= kLastAllocatableTableID;
}

}  // namespace

void TDbKernel::ReadRowInto(uint32_t slotOffset, const TRowLayout& layout, TDBFields& fields,
                            bool trimmed) const {
    for (const TRowLayout::Item& item : layout.Items) {
        const auto type = static_cast<uint32_t>(item.DataType);
        if (type == kTypeInteger || type == kTypeCharacter || type == kTypeText)
            fields.GetField(item.Index)->Value = TRowLayout::ReadText(slotOffset, item, trimmed);
    }
    if (layout.RowIDIndex >= 0)
        fields.GetField(layout.RowIDIndex)->Value =
            std::to_string(S::U32(slotOffset + kRowRowIDOffset));
}

std::string TDbKernel::KeyText(int32_t selector, const TDBFields& fields, bool omitEmpty) const {
    std::string text;
    if (selector == kAllColumns) {
        for (int i = 0; i < fields.Count(); ++i) {
            const TDBFieldParent* f = fields.GetField(i);
            if (static_cast<uint32_t>(f->DataType) == kTypeFree)
                break;
            if (!f->Value.empty())
                text += f->Value + "|";
            else if (!omitEmpty)
                text += "-|";
        }
    } else if (selector >= 0 && selector < kAllColumns) {
        const TDBFieldParent* f = fields.GetField(selector);
        if (f != nullptr && !f->Value.empty())
            text += f->Value + "|";
    }
    return text;
}

// ---- Deletion and truncation ----

int32_t TDbKernel::MarkDataRowDeleted(TDBFields& fields) {
    // Every refusal (no row slot of this table, a RowID naming another slot,
    // a row already deleted) comes before anything changes.
    const uint32_t r = RowToDelete(fields);
    if (r == 0)
        return 0;  // a list without a RowID field
    const auto tableID = static_cast<uint32_t>(fields.GetField(0)->TableID);
    // In a write batch the row is zeroed after the rows stored before it
    // are live.
    if (TKernelRowHooks* hooks = KernelRowHooks())
        hooks->RowDeleted(tableID, r);
    TWriteBatch::Store(TWriteBatch::kDeletions, r + kRowRowIDOffset, 0);
    return 0;
}

int32_t TDbKernel::BruteForceDeleteDataRows(uint32_t tableID) {
    SettleWrites();
    TRowLayout layout;
    if (!S::IsOpen() || !IsRowTable(tableID) || !LayoutOfTable(tableID, layout))
        return 0;
    const uint32_t rs = layout.RowSize;
    const uint32_t stride = rs + kRowOverhead;
    std::vector<uint8_t*> pages;
    int32_t first = 0;
    const int32_t last = GetDataPagesList(GetDataPagesPointer(), pages, first, tableID);
    // Calls visit(page start, end of the table's slots in the page) for each
    // page of the table; visit gets every slot through forEachSlot.
    auto eachPage = [&](auto&& visit) {
        for (int32_t e = first; e >= 1 && e <= last; ++e) {
            if (pages[static_cast<size_t>(e)] == nullptr)
                continue;
            const auto pageNo = static_cast<uint32_t>(e - 1);
            const uint32_t start = S::PageStart(pageNo);
            uint32_t end = start;
            while (S::SlotFits(pageNo, end, rs) && S::U32(end) == tableID) end += stride;
            visit(start, end);
        }
    };
    // Three passes, each flushed before the next, so that a crash or power
    // loss at any point leaves a sound file: every row is marked deleted
    // first (both walks then count none), then the buckets are cleared, and
    // only then are the slots wiped.
    eachPage([&](uint32_t start, uint32_t end) {
        for (uint32_t slot = start; slot < end; slot += stride)
            S::SetU32(slot + kRowRowIDOffset, 0);
        if (end > start)
            FlushRange(S::Base + start, end - start);
    });
    uint8_t* buckets = GetHashBucketsPointer(static_cast<int32_t>(tableID));
    std::memset(buckets, 0, kBucketBlockSize);
    FlushRange(buckets, kBucketBlockSize);

    int32_t count = 0;
    eachPage([&](uint32_t start, uint32_t end) {
        for (uint32_t slot = start; slot < end; slot += stride) {
            // The table's very first slot keeps its TableID, so the first page
            // stays the table's; every other slot is wiped whole.
            if (count == 0)
                std::memset(S::Base + slot + kRowRowIDOffset, 0, rs + 8);
            else
                std::memset(S::Base + slot, 0, stride);
            ++count;
        }
        if (end > start)
            FlushRange(S::Base + start, end - start);
    });
    S::ForgetFreeSlots();
    return count;
}

int32_t TDbKernel::TruncateTable(const std::string& tableName) {
    const uint32_t t = GetTableIDFromName(tableName);
    if (t < 6 || t >= kNoTableID)
        return 999;
    BruteForceDeleteDataRows(t);
    return 0;
}

// ---- Integrity check and diagnostics ----

int32_t TDbKernel::CheckDatabase(std::string& report, uint32_t tableID) {
    SettleWrites();
    std::vector<std::string> none;
    int32_t deleted = 0;
    if (tableID != 0) {
        report.clear();
        TDBFieldsPtr fields = CreateEmptyFieldsObject(tableID, 0);
        if (!fields)
            return 0;
        std::string name;
        GetNameFromTableID(tableID, name);
        const int32_t raw =
            RawScanTable(DbKernelHelper->GetPrimaryKeyIndex(*fields), tableID, deleted, none, 1);
        report =
            "Table " + name + " has " + std::to_string(raw) + "based upon raw data read" + "\r";
        return raw;
    }
    int32_t status = 0;
    report = kReportHeader;
    for (uint32_t t = kFirstUserTableID; t <= kLastUserTableID; ++t) {
        EventPump().ProcessMessages();
        TDBFieldsPtr fields = CreateEmptyFieldsObject(t, 0);
        if (!fields)
            continue;
        std::string name;
        GetNameFromTableID(t, name);
        const int32_t keyIndex = DbKernelHelper->GetPrimaryKeyIndex(*fields);
        const int32_t raw = RawScanTable(keyIndex, t, deleted, none, 1);

        int32_t hashCount = 0;
        const uint32_t startTick = Clock().TickCount();
        if (IsRowTable(t) && fields->Count() > 0) {
            const TRowLayout layout =
                TRowLayout::Of(*fields, static_cast<uint32_t>(DbKernelHelper->GetRowSize(*fields)));
            TDBFields scratch(*fields);
            for (int32_t b = S::NextUsedBucket(t, 0); b < static_cast<int32_t>(kBucketCount);
                 b = S::NextUsedBucket(t, b + 1))
                hashCount += BucketContents(t, layout, scratch, b, nullptr);
        }
        const uint32_t ms = Clock().TickCount() - startTick;
        if (raw != hashCount)
            status = 999;

        const int64_t speed =
            static_cast<int64_t>(hashCount) / (static_cast<int64_t>(ms) + 1) * 1000;
        std::vector<uint8_t*> pages;
        int32_t firstPage = 0;
        const int32_t lastPage = GetDataPagesList(GetDataPagesPointer(), pages, firstPage, t);
        std::string piece;
        Pad(name, 16, piece);
        report += piece;
        Pad(std::to_string(raw), 9, piece);
        report += piece;
        Pad(std::to_string(hashCount), 9, piece);
        report += piece;
        Pad(speed > kSpeedShownAbove ? std::to_string(speed) : std::string(), 11, piece);
        report += piece;
        Pad(std::to_string(firstPage), 9, piece);
        report += piece;
        Pad(std::to_string(lastPage), 9, piece);
        report += piece;
        report += "\r\n----------\r\n";
    }
    // Damage the counts cannot see: one line per finding behind the entries.
    if (TStructureCheck(*this).Run(report) > 0)
        status = 999;
    return status;
}

int32_t TDbKernel::RawScanTable(int32_t selector, uint32_t tableID, int32_t& deleted,
                                std::vector<std::string>& tails, int32_t noTails) {
    SettleWrites();
    deleted = 0;
    if (noTails == 0)
        tails.assign(1, std::string());
    TRowLayout layout;
    TDBFieldsPtr fields;
    if (!S::IsOpen() || !IsRowTable(tableID) || !LayoutOfTable(tableID, layout, &fields))
        return 0;
    // The scan reads into its own copy: lists handed out by the cache keep
    // their values.
    TDBFields scratch(*fields);
    const uint32_t rs = layout.RowSize;
    const uint32_t stride = rs + kRowOverhead;
    std::vector<uint8_t*> pages;
    int32_t first = 0;
    const int32_t last = GetDataPagesList(GetDataPagesPointer(), pages, first, tableID);
    int32_t live = 0;
    for (int32_t e = first; e >= 1 && e <= last; ++e) {
        if (pages[static_cast<size_t>(e)] == nullptr)
            continue;
        const auto pageNo = static_cast<uint32_t>(e - 1);
        for (uint32_t slot = S::PageStart(pageNo); S::SlotFits(pageNo, slot, rs); slot += stride) {
            if (S::U32(slot + kRowTableIDOffset) != tableID)
                break;
            const bool isLive = S::U32(slot + kRowRowIDOffset) != 0;
            if (!isLive) {
                ++deleted;
                continue;
            }
            ++live;
            if (noTails != 0)
                continue;
            ReadRowInto(slot, layout, scratch, false);
            tails.push_back(KeyText(selector, scratch, false) +
                            "Tail:" + std::to_string(S::U32(slot + kRowFieldsOffset + rs)));
        }
    }
    return live;
}

int32_t TDbKernel::BucketContents(uint32_t tableID, const TRowLayout& layout, TDBFields& scratch,
                                  int32_t bucket, std::vector<std::string>* lines) {
    if (bucket < 0 || bucket >= static_cast<int32_t>(kBucketCount))
        return 0;
    uint32_t cur = S::U32(S::BucketWord(tableID, bucket));
    if (cur == 0)
        return 0;
    bool oddTypes = false;
    for (const TRowLayout::Item& item : layout.Items) {
        const auto type = static_cast<uint32_t>(item.DataType);
        if (type != kTypeInteger && type != kTypeCharacter)
            oddTypes = true;
    }
    const uint32_t rs = layout.RowSize;
    const uint32_t limit = S::MaxChainLength(rs);
    int32_t live = 0;
    // A chain that runs in a circle ends where Brent's test meets a row
    // again (within a few rounds), each row listed once, as damaged as a
    // chain past the bound: walking on would list the circle to the bound.
    TBrentLoopTest loop(cur);
    std::vector<uint32_t> visited;
    for (uint32_t steps = 0;; ++steps) {
        if (steps >= limit || (steps > 0 && loop.Meets(cur))) {
            if (lines != nullptr && steps < limit)
                lines->resize(TBrentLoopTest::FirstRepeat(visited));
            Dialogs().ShowMessage(KernelMessages::kChainTooLong);
            break;
        }
        if (lines != nullptr)
            visited.push_back(cur);
        if (!S::IsRowSlot(cur, rs)) {
            Dialogs().ShowMessage(KernelMessages::kTailOutOfRange);
            break;
        }
        const uint32_t id = S::U32(cur + kRowTableIDOffset);
        uint32_t tail = id;  // a row of another table ends the walk
        std::string values;
        if (id == tableID) {
            if (S::U32(cur + kRowRowIDOffset) != 0)
                ++live;
            if (oddTypes)
                Dialogs().ShowMessage(KernelMessages::kBadFieldType);
            tail = S::U32(cur + kRowFieldsOffset + rs);
            if (lines != nullptr) {
                ReadRowInto(cur, layout, scratch, true);
                for (const TRowLayout::Item& item : layout.Items)
                    if (static_cast<uint32_t>(item.DataType) == kTypeCharacter)
                        values += scratch.GetField(item.Index)->Value + "|";
            }
        } else {
            Dialogs().ShowMessage(KernelMessages::kLinkedRowOtherTable);
        }
        if (lines != nullptr)
            lines->push_back(std::to_string(id) + "|" + std::to_string(cur) + "||" + values +
                             std::to_string(tail) + "|\n\r");
        if (id != tableID || tail == 0)
            break;
        if (!S::IsRowSlot(tail, rs)) {
            Dialogs().ShowMessage(KernelMessages::kTailOutOfRange);
            break;
        }
        cur = tail;
    }
    return live;
}

int32_t TDbKernel::GetHashBucketContents(uint32_t tableID, int32_t /*keyIndex*/, int32_t bucket,
                                         const std::string& key, std::vector<std::string>& lines) {
    SettleWrites();
    lines.clear();
    if (bucket == 0)
        bucket = GetKeyHash(key);
    TRowLayout layout;
    TDBFieldsPtr fields;
    if (!S::IsOpen() || !IsRowTable(tableID) || !LayoutOfTable(tableID, layout, &fields))
        return 0;
    TDBFields scratch(*fields);
    return BucketContents(tableID, layout, scratch, bucket, &lines);
}

int32_t TDbKernel::ReadRowAt(int32_t selector, uint32_t tableID, uint32_t offset,
                             std::string& text) {
    SettleWrites();
    TRowLayout layout;
    TDBFieldsPtr fields;
    if (!S::IsOpen() || !IsRowTable(tableID) || !LayoutOfTable(tableID, layout, &fields))
        return 999;
    if (!S::IsRowSlot(offset, layout.RowSize))
        return 999;
    TDBFields scratch(*fields);
    for (const TRowLayout::Item& item : layout.Items)
        if (static_cast<uint32_t>(item.DataType) == kTypeInteger)
            CheckAccess(S::Base + offset + kRowFieldsOffset + item.Offset, false, kIntegerFieldSize,
                        "Read data row");
    ReadRowInto(offset, layout, scratch, false);
    text = KeyText(selector, scratch, true) +
           std::to_string(S::U32(offset + kRowFieldsOffset + layout.RowSize));
    return 0;
}

uint32_t TDbKernel::ScanForKey(int32_t selector, const std::string& key, uint32_t tableID,
                               uint32_t limit) {
    SettleWrites();
    TRowLayout layout;
    if (!S::IsOpen() || !IsRowTable(tableID) || !LayoutOfTable(tableID, layout))
        return kNoTableID;
    const TRowLayout::Item* keyItem = nullptr;
    for (const TRowLayout::Item& item : layout.Items)
        if (item.Index == selector && static_cast<uint32_t>(item.DataType) == kTypeCharacter)
            keyItem = &item;
    if (keyItem == nullptr)
        return kNoTableID;
    const std::string wanted = UpperText(TrimText(key));
    const uint32_t stride = layout.RowSize + kRowOverhead;
    for (uint32_t pos = kDataRegionBase; static_cast<uint64_t>(pos) + stride <= kDbFileSize;
         pos += stride) {
        if (UpperText(TRowLayout::ReadText(pos, *keyItem, true)) == wanted)
            return pos;
        if (static_cast<uint64_t>(pos) + stride > limit)
            break;
    }
    return kNoTableID;
}

void TDbKernel::GetBucketHitCounts(std::vector<std::string>& lines) {
    DbKernelHelper->GetBucketHitCounts(lines);
}

int32_t TDbKernel::GetKeyHash(const std::string& key) {
    return DbKernelHelper->GetStringHash(key);
}
