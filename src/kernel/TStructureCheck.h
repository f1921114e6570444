// What the integrity check's two counts cannot see: the structure of the
// file. Table and column records within their ranges; every bucket word and
// chain link 0 or a slot of its own table on a page that table owns, each
// slot met once; every live row in the bucket its key hashes to, reached by
// a chain and carrying its own offset as RowID; pages holding rows of their
// owner only; no rows or bucket words of tables not in use. Reads the view
// only and shows nothing; every walk is bounded by the slots of the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/DbFormat.h"
#include "kernel/TRowLayout.h"

class TDbKernel;

class TStructureCheck {
public:
    explicit TStructureCheck(TDbKernel& kernel) : kernel_(kernel) {}

    // Appends one line per finding to report, "NAME at OFFSET: what is
    // wrong\r\n" (up to a few per table and a few dozen in all, then one
    // line counting the rest), and answers the number of lines added.
    int32_t Run(std::string& report);

private:
    static constexpr uint32_t kOtherOwners = DbFormat::kTableSlotCount;  // IDs past the slots
    static constexpr int32_t kLinesPerTable = 8;
    static constexpr int32_t kMaxLines = 60;

    struct TTable {
        bool InUse = false;     // the slot is allocated
        bool RowTable = false;  // in use with sound records: its rows are checked
        std::string Name;       // the name to report it under
    };

    void CheckSlots();
    void CheckSlot(uint32_t slot);
    // The column records of an allocated slot; false when its rows cannot be
    // laid out from them.
    bool CheckColumns(uint32_t slot);
    void CheckPages();
    void CheckRows(uint32_t tableID);
    void WalkBucket(uint32_t tableID, int32_t bucket);
    void CheckUnusedBuckets(uint32_t tableID);

    // The bucket that the key field of the row at slot hashes to.
    static int32_t KeyHash(uint32_t slot, const TRowLayout::Item& key);

    std::string NameOf(uint32_t tableID) const;
    void Add(uint32_t tableID, uint32_t offset, const std::string& what);

    TDbKernel& kernel_;
    std::array<TTable, DbFormat::kTableSlotCount> tables_{};
    std::array<int32_t, DbFormat::kTableSlotCount + 1> lines_{};
    std::string found_;
    int32_t count_ = 0;   // lines written
    int32_t hidden_ = 0;  // findings past the limits
    // The table whose rows are being checked: its layout and key, and per
    // slot of its pages before each page's zero tail whether the slot is
    // live and whether a chain reached it (a slot past the tail holds no
    // TableID, so no chain of the table can stop there). A page's slots
    // start at firstState_ in state_; owned_ tells the table's pages.
    TRowLayout layout_;
    TRowLayout::Item key_;
    std::vector<uint8_t> state_;
    bool owned_[DbFormat::kDataPageCount] = {};
    size_t firstState_[DbFormat::kDataPageCount] = {};
    uint32_t usedSlots_[DbFormat::kDataPageCount] = {};
};
