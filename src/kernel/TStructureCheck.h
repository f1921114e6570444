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
    // wrong\r\n" (at most a few per table, then one line counting the rest),
    // and answers the number of lines added.
    int32_t Run(std::string& report);

    // The largest value of an integer column among the table's live rows,
    // read in place page by page; -1 when there is none (or the column is
    // no integer column of a table in use).
    static int64_t LargestNumber(TDbKernel& kernel, uint32_t tableID, int position);

private:
    static constexpr uint32_t kOtherOwners = DbFormat::kTableSlotCount;  // IDs past the slots
    static constexpr int32_t kLinesPerTable = 8;

    struct TTable {
        bool InUse = false;     // the slot is allocated
        bool RowTable = false;  // in use with sound records: its rows are checked
        std::string Name;       // the name to report it under
        uint32_t RowSize = 0;   // as its column records give it
    };

    void CheckSlots();
    void CheckSlot(uint32_t slot);
    // The column records of an allocated slot; false when its rows cannot be
    // laid out from them.
    bool CheckColumns(uint32_t slot);
    void CheckPages();
    void CheckRows(uint32_t tableID);
    void WalkBucket(uint32_t tableID, const TRowLayout& layout, int32_t keyIndex, int32_t bucket,
                    const std::vector<int32_t>& ordinal, std::vector<uint8_t>& state);
    void CheckUnusedBuckets(uint32_t tableID);

    // The bucket that the key field of the row at slot hashes to.
    static int32_t KeyHash(uint32_t slot, const TRowLayout::Item& key);
    // Slots of the stride that page 0 (a whole page) holds.
    static uint32_t SlotsPerPage(uint32_t rowSize);

    std::string NameOf(uint32_t tableID) const;
    void Add(uint32_t tableID, uint32_t offset, const std::string& what);

    TDbKernel& kernel_;
    std::array<TTable, DbFormat::kTableSlotCount> tables_{};
    std::array<int32_t, DbFormat::kTableSlotCount + 1> lines_{};
    std::string found_;
    int32_t count_ = 0;
};
