// The salvage scan: a table's rows read page by page past damage, for the
// export and for copying a damaged log into a new file.
#include <algorithm>
#include <cstring>

#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelState.h"
#include "kernel/TRowLayout.h"

using namespace DbFormat;
using S = TDbKernelState;

namespace {
constexpr uint32_t kNoOwner = 0;

struct TCandidate {
    uint32_t TableID = 0;
    TRowLayout Layout;
};

// Slots of the table's stride in [start, usedEnd) that carry a live row
// header of the table: its ID and the slot's own offset, a pair that no
// other table's bytes show by chance.
uint32_t LiveHeaders(uint32_t page, uint32_t usedEnd, const TCandidate& c) {
    const uint32_t stride = c.Layout.RowSize + kRowOverhead;
    uint32_t count = 0;
    for (uint32_t slot = S::NextSlotInUse(S::PageStart(page), usedEnd, stride);
         slot < usedEnd && S::SlotFits(page, slot, c.Layout.RowSize);
         slot = S::NextSlotInUse(slot + stride, usedEnd, stride))
        if (S::U32(slot + kRowTableIDOffset) == c.TableID && S::U32(slot + kRowRowIDOffset) == slot)
            ++count;
    return count;
}

// The table a page belongs to: the one whose live row headers it holds most
// of; on a tie (or none) the one its owner word names, if that is a table.
uint32_t PageOwner(uint32_t page, uint32_t usedEnd, const std::vector<TCandidate>& candidates) {
    const uint32_t word = S::U32(S::PageStart(page));
    uint32_t owner = kNoOwner;
    uint32_t ownerVotes = 0;
    for (const TCandidate& c : candidates)
        if (c.TableID == word) {
            owner = word;
            ownerVotes = LiveHeaders(page, usedEnd, c);
        }
    for (const TCandidate& c : candidates) {
        const uint32_t votes = c.TableID == owner ? 0 : LiveHeaders(page, usedEnd, c);
        if (votes > ownerVotes) {
            owner = c.TableID;
            ownerVotes = votes;
        }
    }
    return owner;
}

// A character field as the row writer leaves it: its text, then zero bytes
// only. Integers always decode.
bool FieldsDecode(uint32_t slot, const TRowLayout& layout) {
    for (const TRowLayout::Item& item : layout.Items) {
        if (static_cast<uint32_t>(item.DataType) == kTypeInteger || item.Width == 0)
            continue;
        const uint8_t* p = S::Base + slot + kRowFieldsOffset + item.Offset;
        const auto* zero = static_cast<const uint8_t*>(std::memchr(p, 0, item.Width));
        for (const uint8_t* q = zero; q != nullptr && q < p + item.Width; ++q)
            if (*q != 0)
                return false;
    }
    return true;
}
}  // namespace

TDbKernel::TSalvageCounts TDbKernel::SalvageScanTable(
    uint32_t tableID, const std::function<void(const TDBFields& row, uint32_t tail)>& visit,
    TSalvagePages* pages) {
    SettleWrites();
    TSalvageCounts counts;
    TRowLayout layout;
    TDBFieldsPtr fields;
    if (!S::IsOpen() || tableID < kFirstUserTableID || tableID > kLastAllocatableTableID ||
        !LayoutOfTable(tableID, layout, &fields))
        return counts;
    TSalvagePages own;
    if (pages == nullptr)
        pages = &own;
    if (!pages->Known)
        LearnPages(*pages);
    TDBFields scratch(*fields);
    const uint32_t rs = layout.RowSize;
    const uint32_t stride = rs + kRowOverhead;
    for (uint32_t page = 0; page < kDataPageCount; ++page) {
        const uint32_t usedEnd = pages->UsedEnd[page];
        if (usedEnd == S::PageStart(page) || pages->Owner[page] != tableID)
            continue;
        // Every slot up to the last used one is the table's: a slot that is
        // neither its row nor its deleted row (a zeroed one too) is damage.
        const uint32_t start = S::PageStart(page);
        const uint32_t slots =
            std::min(S::SlotsInPage(page, rs), (usedEnd - start - 1) / stride + 1);
        for (uint32_t i = 0; i < slots; ++i) {
            const uint32_t slot = start + i * stride;
            // A run of slots zero from TableID to RowID: damage, counted at once.
            if (const uint32_t next = S::NextSlotInUse(slot, usedEnd, stride); next != slot) {
                const uint32_t skipped = std::min((next - start) / stride, slots) - i;
                counts.Damaged += skipped;
                i += skipped - 1;
                continue;
            }
            const uint32_t id = S::U32(slot + kRowTableIDOffset);
            const uint32_t rowID = S::U32(slot + kRowRowIDOffset);
            if (id == tableID && rowID == 0) {
                ++counts.Deleted;
            } else if (id == tableID && rowID == slot && FieldsDecode(slot, layout)) {
                ++counts.Live;
                ReadRowInto(slot, layout, scratch, false);
                visit(scratch, S::U32(slot + kRowFieldsOffset + rs));
            } else {
                ++counts.Damaged;
            }
        }
    }
    return counts;
}

void TDbKernel::LearnPages(TSalvagePages& pages) {
    std::vector<TCandidate> candidates;
    for (uint32_t t = kFirstUserTableID; t <= kLastAllocatableTableID; ++t) {
        TCandidate c{t, {}};
        if (IsAvailableTableID(t) == 0 && LayoutOfTable(t, c.Layout))
            candidates.push_back(std::move(c));
    }
    for (uint32_t page = 0; page < kDataPageCount; ++page) {
        pages.UsedEnd[page] = S::UsedEnd(S::PageStart(page), S::PageEnd(page));
        pages.Owner[page] = pages.UsedEnd[page] == S::PageStart(page)
                                ? kNoOwner
                                : PageOwner(page, pages.UsedEnd[page], candidates);
    }
    pages.Known = true;
}

int32_t TDbKernel::SalvageTails(int32_t selector, uint32_t tableID, int32_t& deleted,
                                int32_t& damaged, std::vector<std::string>& tails,
                                TSalvagePages* pages) {
    tails.assign(1, std::string());
    const TSalvageCounts counts = SalvageScanTable(
        tableID,
        [&](const TDBFields& row, uint32_t tail) {
            tails.push_back(KeyText(selector, row, false) + "Tail:" + std::to_string(tail));
        },
        pages);
    deleted = counts.Deleted;
    damaged = counts.Damaged;
    return counts.Live;
}
