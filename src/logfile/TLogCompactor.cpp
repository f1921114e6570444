#include "logfile/TLogCompactor.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TDbKernelState.h"

using namespace DbFormat;
using S = TDbKernelState;

namespace {
uint32_t BucketWord(uint32_t tableID, uint32_t bucket) {
    return kBucketRegionBase + (tableID + 1) * kBucketBlockSize + bucket * kBucketWordSize;
}

void Put(std::vector<uint8_t>& image, uint32_t offset, uint32_t value) {
    std::memcpy(image.data() + offset, &value, sizeof value);
}

// Tables in the order of their first page, each once.
std::vector<uint32_t> TablesWithPages() {
    std::vector<uint32_t> ids;
    for (uint32_t p = 0; p < kDataPageCount; ++p) {
        const uint32_t id = S::U32(S::PageStart(p));
        if (id != 0 && std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    return ids;
}
}  // namespace

bool TLogCompactor::CollectChains(uint32_t tableID, uint32_t rowSize,
                                  std::vector<std::vector<uint32_t>>& chains,
                                  std::string& error) const {
    chains.assign(kBucketCount, {});
    const uint32_t limit = S::MaxChainLength(rowSize);
    for (uint32_t b = 0; b < kBucketCount; ++b) {
        uint32_t steps = 0;
        for (uint32_t cur = S::U32(BucketWord(tableID, b)); cur != 0;
             cur = S::U32(cur + kRowFieldsOffset + rowSize)) {
            if (++steps > limit || !S::IsRowSlot(cur, rowSize) ||
                S::U32(cur + kRowTableIDOffset) != tableID) {
                error = "a chain of table " + std::to_string(tableID) + " is damaged";
                return false;
            }
            if (S::U32(cur + kRowRowIDOffset) != 0)
                chains[b].push_back(cur);
        }
    }
    return true;
}

bool TLogCompactor::Build(std::vector<uint8_t>& image, std::string& error) {
    RowsKept = RowsDropped = 0;
    if (DbKernel == nullptr || !S::IsOpen()) {
        error = "no database is open";
        return false;
    }
    image.assign(kDbFileSize, 0);
    // The table slots as they are; buckets and pages are built anew.
    std::memcpy(image.data(), S::Base, kTableSlotRegionSize);
    uint32_t nextPage = 0;
    for (const uint32_t id : TablesWithPages()) {
        const TDBFieldsPtr fields =
            id <= kLastAllocatableTableID ? DbKernel->CreateEmptyFieldsObject(id, 0) : nullptr;
        if (!fields || fields->Count() == 0) {
            error = "a data page belongs to table " + std::to_string(id) + ", which is not in use";
            return false;
        }
        const auto rs = static_cast<uint32_t>(DbKernelHelper->GetRowSize(*fields));
        std::vector<std::vector<uint32_t>> chains;
        if (!CollectChains(id, rs, chains, error))
            return false;
        // Slot order stays write order: the rows are packed by their old offsets.
        std::vector<uint32_t> rows;
        for (const auto& chain : chains) rows.insert(rows.end(), chain.begin(), chain.end());
        std::sort(rows.begin(), rows.end());
        int32_t deleted = 0;
        std::vector<std::string> none;
        const int32_t live = DbKernel->RawScanTable(0, id, deleted, none, 1);
        if (static_cast<uint64_t>(live) != rows.size()) {
            error = "table " + std::to_string(id) + " has live rows that no chain reaches";
            return false;
        }
        RowsDropped += static_cast<uint64_t>(deleted);
        std::unordered_map<uint32_t, uint32_t> moved;
        uint32_t slot = 0;
        bool pageOpen = false;
        for (const uint32_t old : rows) {
            if (!pageOpen || !S::SlotFits(nextPage - 1, slot, rs)) {
                if (nextPage >= kDataPageCount) {
                    error = "the live rows do not fit the file";
                    return false;
                }
                slot = S::PageStart(nextPage++);
                pageOpen = true;
            }
            std::memcpy(image.data() + slot, S::Base + old, rs + kRowOverhead);
            Put(image, slot + kRowRowIDOffset, slot);
            Put(image, slot + kRowFieldsOffset + rs, 0);
            moved[old] = slot;
            slot += rs + kRowOverhead;
            ++RowsKept;
        }
        for (uint32_t b = 0; b < kBucketCount; ++b) {
            uint32_t link = BucketWord(id, b);
            for (const uint32_t old : chains[b]) {
                Put(image, link, moved[old]);
                link = moved[old] + kRowFieldsOffset + rs;
            }
        }
    }
    return true;
}
