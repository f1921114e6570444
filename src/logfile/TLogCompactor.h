// Builds a compacted image of the open database: the same table and column
// records, and of every table only its live rows, packed from the first
// page on. Rows keep their bytes (so every contact number, text, setting,
// sequence value and holder stays as it was); only RowID (the slot's own
// offset) and Tail change. Each live row goes into the bucket whose chain
// held it, in the chain's order, so every row is found by the same key, in
// the same occurrence, as before. Deleted rows and their room are dropped.
//
// The image is built in memory; the caller writes it to a new file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TLogCompactor {
public:
    // Fills image (kDbFileSize bytes) from the open database. False (error
    // set) when a page belongs to no table in use or a table's live rows are
    // not all reachable through its chains (a damaged file).
    bool Build(std::vector<uint8_t>& image, std::string& error);

    uint64_t RowsKept = 0;
    uint64_t RowsDropped = 0;

private:
    struct TRow {
        uint32_t Old = 0;
        uint32_t New = 0;
    };
    // Live rows of a table in chain order per bucket; false when a chain is
    // damaged.
    bool CollectChains(uint32_t tableID, uint32_t rowSize,
                       std::vector<std::vector<uint32_t>>& chains, std::string& error) const;
};
