#include "kernel/TStructureCheck.h"

#include <algorithm>
#include <cstring>

#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TDbKernelState.h"

using namespace DbFormat;
using S = TDbKernelState;

namespace {
constexpr uint8_t kLive = 1;     // a slot of the table with a RowID
constexpr uint8_t kReached = 2;  // a chain of the table led to it

std::string Num(int64_t n) {
    return std::to_string(n);
}

// The name area at offset: its text when it is non-empty, ends inside the
// area and holds no control characters or blanks; "" otherwise.
std::string NameAt(uint32_t offset) {
    if (!S::InView(offset, kNameAreaSize))
        return std::string();
    const char* p = reinterpret_cast<const char*>(S::Base + offset);
    const size_t n = ::strnlen(p, kNameAreaSize);
    if (n == 0 || n == kNameAreaSize)
        return std::string();
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) <= 32 || p[i] == 127)
            return std::string();
    return std::string(p, n);
}

bool IsKey(uint32_t keyType) {
    return keyType == kKeyPrimary || keyType == kKeyMulti;
}
}  // namespace

int32_t TStructureCheck::Run(std::string& report) {
    tables_ = {};
    lines_ = {};
    found_.clear();
    count_ = 0;
    hidden_ = 0;
    if (!S::IsOpen())
        return 0;
    CheckSlots();
    for (uint32_t t = kFirstUserTableID; t <= kLastAllocatableTableID; ++t) {
        if (tables_[t].RowTable)
            CheckRows(t);
        if (tables_[t].RowTable || tables_[t].InUse)
            continue;
        // The bucket blocks of a run of unused IDs lie one after another:
        // one look over the run, table by table only when it is not all zero.
        uint32_t last = t;
        while (last < kLastAllocatableTableID && !tables_[last + 1].RowTable &&
               !tables_[last + 1].InUse)
            ++last;
        const uint32_t from = S::BucketWord(t, 0);
        if (S::UsedEnd(from, S::BucketWord(last + 1, 0)) != from)
            for (uint32_t u = t; u <= last; ++u) CheckUnusedBuckets(u);
        t = last;
    }
    CheckPages();
    if (hidden_ > 0) {
        found_ += Num(hidden_) + " more findings not listed\r\n";
        ++count_;
    }
    report += found_;
    return count_;
}

std::string TStructureCheck::NameOf(uint32_t tableID) const {
    if (tableID < tables_.size() && !tables_[tableID].Name.empty())
        return tables_[tableID].Name;
    return "table " + Num(tableID);
}

void TStructureCheck::Add(uint32_t tableID, uint32_t offset, const std::string& what) {
    // A few lines per table and in all: a file that is damaged throughout
    // gives a report one can read.
    if (++lines_[tableID < kOtherOwners ? tableID : kOtherOwners] > kLinesPerTable ||
        count_ >= kMaxLines) {
        ++hidden_;
        return;
    }
    found_ += NameOf(tableID) + " at " + Num(offset) + ": " + what + "\r\n";
    ++count_;
}

// ---- Table and column records ----

void TStructureCheck::CheckSlots() {
    for (uint32_t s = kSysLocksTableID; s <= kLastSlot; ++s) CheckSlot(s);
    // Lookups by name compare the first 30 characters: the lower slot wins.
    for (uint32_t s = kFirstUserTableID; s <= kLastSlot; ++s) {
        const std::string& name = tables_[s].Name;
        if (!tables_[s].InUse || name.empty())
            continue;
        for (uint32_t o = kFirstUserTableID; o < s; ++o)
            if (tables_[o].InUse && name.compare(0, kNameSignificantChars, tables_[o].Name, 0,
                                                 kNameSignificantChars) == 0) {
                Add(s, s * kTableSlotSize, "the name is the name of the table in slot " + Num(o));
                break;
            }
    }
}

void TStructureCheck::CheckSlot(uint32_t slot) {
    const uint32_t rec = slot * kTableSlotSize;
    const uint32_t id = S::U32(rec + kTableRecTableIDOffset);
    TTable& table = tables_[slot];
    if (S::U32(rec + kTableRecInUseOffset) == 0)
        return;
    table.InUse = true;
    table.Name = NameAt(rec);
    bool sound = true;
    if (slot < kFirstUserTableID || slot > kLastAllocatableTableID) {
        Add(slot, rec + kTableRecInUseOffset, "the slot is in use, but no table is given its ID");
        sound = false;
    }
    if (id != slot) {
        Add(slot, rec + kTableRecTableIDOffset,
            "TableID " + Num(id) + " is not the slot's number " + Num(slot));
        sound = false;
    }
    if (table.Name.empty())
        Add(slot, rec, "the table's name is empty or not text");
    table.RowTable = CheckColumns(slot) && sound;
}

bool TStructureCheck::CheckColumns(uint32_t slot) {
    const uint32_t first = slot * kTableSlotSize + kTableRecordSize;
    bool sound = true;
    bool hasKey = false;
    uint64_t rowSize = 0;
    uint32_t c = 0;
    for (; c < kColumnsPerTable; ++c) {
        const uint32_t at = first + c * kColumnRecordSize;
        const uint32_t type = S::U32(at + kColRecDataTypeOffset);
        if (type == kTypeFree)
            break;
        const std::string column = "column " + Num(c) + ": ";
        if (type != kTypeInteger && type != kTypeCharacter) {
            Add(slot, at + kColRecDataTypeOffset,
                column + "data type " + Num(type) + " is neither integer (0) nor character (1)");
            return false;  // the columns behind it have no place in a row
        }
        const uint32_t length = S::U32(at + kColRecLengthOffset);
        if (type == kTypeCharacter && length == 0) {
            Add(slot, at + kColRecLengthOffset, column + "a character column's length is 0");
            sound = false;
        }
        rowSize += type == kTypeInteger ? kIntegerFieldSize : length;
        const uint32_t position = S::U32(at + kColRecPositionOffset);
        if (position != c) {
            Add(slot, at + kColRecPositionOffset,
                column + "position " + Num(position) + " is not its place " + Num(c));
            sound = false;
        }
        const uint32_t key = S::U32(at + kColRecKeyTypeOffset);
        if (key < kKeyPrimary || key > kKeyMulti) {
            Add(slot, at + kColRecKeyTypeOffset,
                column + "key type " + Num(key) + " is not 1 to 4");
            sound = false;
        }
        hasKey = hasKey || IsKey(key);
    }
    if (c == 0) {
        Add(slot, first, "the table has no columns");
        return false;
    }
    if (!hasKey) {
        Add(slot, first, "no column is a primary or multi key");
        sound = false;
    }
    if (rowSize + kRowOverhead >= kDataPageSize) {
        Add(slot, first, "a row of " + Num(rowSize) + " bytes does not fit a page");
        sound = false;
    }
    return sound;
}

// ---- Pages and buckets ----

int32_t TStructureCheck::KeyHash(uint32_t slot, const TRowLayout::Item& key) {
    // Only the first characters count: short texts, no allocation.
    return DbKernelHelper->GetStringHash(UpperText(TRowLayout::ReadText(slot, key, true)));
}

void TStructureCheck::CheckRows(uint32_t t) {
    int32_t keyIndex = 0;
    bool multiKey = false;
    if (!kernel_.DescribeTable(t, layout_, keyIndex, multiKey) ||
        static_cast<size_t>(keyIndex) >= layout_.Items.size()) {
        Add(t, t * kTableSlotSize, "the table's columns give no row layout with a key");
        return;
    }
    key_ = layout_.Items[static_cast<size_t>(keyIndex)];
    const uint32_t rs = layout_.RowSize;
    const uint32_t stride = rs + kRowOverhead;
    // Slots past a page's last non-zero byte are neither live nor strangers
    // and no chain can stop in them: only the slots before are noted.
    size_t states = 0;
    for (uint32_t p = 0; p < kDataPageCount; ++p) {
        const uint32_t start = S::PageStart(p);
        owned_[p] = S::U32(start) == t;
        const uint32_t usedEnd = owned_[p] ? S::UsedEnd(start, S::PageEnd(p)) : start;
        usedSlots_[p] = std::min((usedEnd - start + stride - 1) / stride, S::SlotsInPage(p, rs));
        firstState_[p] = states;
        states += usedSlots_[p];
    }
    state_.assign(states, 0);

    // One pass over the table's pages: live slots, their RowIDs, strangers.
    for (uint32_t p = 0; p < kDataPageCount; ++p) {
        bool stranger = false;
        const uint32_t start = S::PageStart(p);
        const uint32_t usedEnd = start + usedSlots_[p] * stride;
        // Slots zero from TableID to RowID are neither live nor strangers:
        // not looked at.
        for (uint32_t at = S::NextSlotInUse(start, usedEnd, stride);
             at < usedEnd && S::SlotFits(p, at, rs);
             at = S::NextSlotInUse(at + stride, usedEnd, stride)) {
            const size_t i = firstState_[p] + (at - start) / stride;
            const uint32_t id = S::U32(at + kRowTableIDOffset);
            const uint32_t rowID = S::U32(at + kRowRowIDOffset);
            if (id == t && rowID != 0) {
                state_[i] = kLive;
                if (rowID != at)
                    Add(t, at + kRowRowIDOffset,
                        "RowID " + Num(rowID) + " is not the slot's offset " + Num(at));
            } else if (id != t && id != 0 && !stranger) {
                stranger = true;
                Add(t, at,
                    "a slot of table " + Num(id) + " in page " + Num(p) +
                        ", which this table owns");
            }
        }
    }
    // One pass over the buckets: every chain to its end, each slot once.
    for (int32_t b = S::NextUsedBucket(t, 0); b < static_cast<int32_t>(kBucketCount);
         b = S::NextUsedBucket(t, b + 1))
        WalkBucket(t, b);
    for (uint32_t p = 0; p < kDataPageCount; ++p)
        for (uint32_t i = 0; i < usedSlots_[p]; ++i)
            if (state_[firstState_[p] + i] == kLive)
                Add(t, S::PageStart(p) + i * stride, "a live row that no bucket chain reaches");
}

void TStructureCheck::WalkBucket(uint32_t t, int32_t bucket) {
    const uint32_t rs = layout_.RowSize;
    uint32_t linkAt = S::BucketWord(t, bucket);
    // Every step marks a slot not marked before: the walk ends.
    for (uint32_t cur = S::U32(linkAt); cur != 0;) {
        std::string wrong;
        size_t index = 0;
        const uint32_t page = (cur - kDataRegionBase) / kDataPageSize;
        if (!S::IsRowSlot(cur, rs)) {
            wrong = "is no row slot of this table's size";
        } else if (const uint32_t owner = S::U32(S::PageStart(page)); !owned_[page]) {
            wrong = owner == 0 ? "lies in free page " + Num(page)
                               : "lies in page " + Num(page) + " of table " + Num(owner);
        } else {
            const uint32_t id = S::U32(cur + kRowTableIDOffset);
            index = firstState_[page] + (cur - S::PageStart(page)) / (rs + kRowOverhead);
            if (id != t || index >= firstState_[page] + usedSlots_[page])
                wrong = id == 0 ? "is a free slot" : "is a slot of table " + Num(id);
            else if ((state_[index] & kReached) != 0)
                wrong = "was reached before (a loop, or two chains joined)";
        }
        if (!wrong.empty()) {
            const std::string from = linkAt < kDataRegionBase
                                         ? "bucket " + Num(bucket)
                                         : "the Tail of the row at " + Num(linkAt - rs - 8);
            Add(t, linkAt, from + " points at " + Num(cur) + ", which " + wrong);
            return;
        }
        state_[index] |= kReached;
        int32_t h = bucket;
        if (S::U32(cur + kRowRowIDOffset) != 0 && (h = KeyHash(cur, key_)) != bucket)
            Add(t, cur,
                "the row's key belongs in bucket " + Num(h) + ", not in bucket " + Num(bucket));
        linkAt = cur + kRowFieldsOffset + rs;
        cur = S::U32(linkAt);
    }
}

void TStructureCheck::CheckUnusedBuckets(uint32_t t) {
    for (int32_t b = S::NextUsedBucket(t, 0); b < static_cast<int32_t>(kBucketCount); ++b) {
        const uint32_t word = S::U32(S::BucketWord(t, b));
        if (word != 0) {
            Add(t, S::BucketWord(t, b),
                "bucket " + Num(b) + " points at " + Num(word) +
                    ", but no table of this ID is in use");
            return;
        }
    }
}

void TStructureCheck::CheckPages() {
    for (uint32_t p = 0; p < kDataPageCount; ++p) {
        const uint32_t at = S::PageStart(p);
        const uint32_t owner = S::U32(at + kRowTableIDOffset);
        if (owner == 0)
            continue;
        if (owner < kFirstUserTableID || owner > kLastAllocatableTableID) {
            Add(owner, at, "page " + Num(p) + " is owned by " + Num(owner) + ", no table's ID");
        } else if (!tables_[owner].InUse && S::U32(at + kRowRowIDOffset) != 0) {
            // A dropped table leaves its first slot as a deleted row.
            Add(owner, at,
                "page " + Num(p) + " holds a live row, but no table of this ID is in use");
        }
    }
}
