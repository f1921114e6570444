// Room for new rows: the placement rule of a row write played through
// without writing, so that a record of several rows (a contact, its index
// row and its text pieces) is written only when every row has a slot.
#include <array>

#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelState.h"
#include "kernel/TRowLayout.h"

using namespace DbFormat;
using S = TDbKernelState;

bool TDbKernel::HasRoomForRows(const std::vector<std::pair<uint32_t, uint32_t>>& rows) {
    if (!S::IsOpen())
        return false;
    // Free slots of a page: those after its last used one. A damaged page
    // raises, as a write into it would.
    auto freeSlots = [](uint32_t page, uint32_t rowSize) -> int64_t {
        const uint32_t taken =
            (FirstFreeSlot(page, rowSize) - S::PageStart(page)) / (rowSize + kRowOverhead);
        const uint32_t slots = S::SlotsInPage(page, rowSize);
        return taken < slots ? slots - taken : 0;
    };
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
                    free[last] = freeSlots(static_cast<uint32_t>(last), layout.RowSize);
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
            const int64_t slots = freeSlots(static_cast<uint32_t>(fresh), layout.RowSize);
            if (slots == 0)
                return false;
            owner[fresh] = tableID;
            free[fresh] = slots - 1;
        }
    }
    return true;
}
