// Room for new rows: the placement rule of a row write played through
// without writing, so that a record of several rows (a contact, its index
// row and its text pieces) is written only when every row has a slot.
#include <array>

#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelState.h"
#include "kernel/TRowLayout.h"

using namespace DbFormat;
using S = TDbKernelState;

namespace {

// Free slots of an owned page for rows of that size: every slot with a
// TableID word of 0 takes one row, the first of them next.
int64_t FreeSlotsOfPage(uint32_t page, uint32_t rowSize) {
    int64_t count = 0;
    for (uint32_t slot = S::PageStart(page); S::SlotFits(page, slot, rowSize);
         slot += rowSize + kRowOverhead)
        if (S::U32(slot + kRowTableIDOffset) == 0)
            ++count;
    return count;
}

}  // namespace

bool TDbKernel::HasRoomForRows(const std::vector<std::pair<uint32_t, uint32_t>>& rows) {
    if (!S::IsOpen())
        return false;
    std::array<uint32_t, kDataPageCount> owner{};
    std::array<int64_t, kDataPageCount> free{};
    for (uint32_t p = 0; p < kDataPageCount; ++p) {
        owner[p] = S::U32(S::PageStart(p));
        free[p] = -1;  // not counted yet
    }
    for (const auto& [tableID, count] : rows) {
        if (count == 0)
            continue;
        TRowLayout layout;
        if (tableID < 1 || tableID > kLastAllocatableTableID || !LayoutOfTable(tableID, layout))
            return false;
        for (uint32_t n = 0; n < count; ++n) {
            // The table's last page first; a page of another table never.
            int last = -1;
            for (uint32_t p = 0; p < kDataPageCount; ++p)
                if (owner[p] == tableID)
                    last = static_cast<int>(p);
            if (last >= 0) {
                if (free[last] < 0)
                    free[last] = FreeSlotsOfPage(static_cast<uint32_t>(last), layout.RowSize);
                if (free[last] > 0) {
                    --free[last];
                    continue;
                }
            }
            int fresh = -1;
            for (uint32_t p = 0; p < kDataPageCount && fresh < 0; ++p)
                if (owner[p] == 0)
                    fresh = static_cast<int>(p);
            if (fresh < 0)
                return false;
            const int64_t slots = S::SlotsInPage(static_cast<uint32_t>(fresh), layout.RowSize);
            if (slots == 0)
                return false;
            owner[fresh] = tableID;
            free[fresh] = slots - 1;
        }
    }
    return true;
}
