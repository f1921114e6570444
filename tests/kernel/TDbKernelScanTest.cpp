// The scans that skip the zero bytes of the file (a page's empty tail, the
// unused bucket words) against a byte-by-byte look at the same view.
#include "KernelTestSupport.h"
#include "kernel/TDbKernelState.h"
#include "kernel/TWriteBatch.h"

using namespace DbFormat;
using S = TDbKernelState;

namespace {
uint32_t NaiveUsedEnd(uint32_t start, uint32_t end) {
    while (end > start && TDbKernel::Base()[end - 1] == 0) --end;
    return end;
}
uint32_t NaiveFirstUsed(uint32_t start, uint32_t end) {
    while (start < end && TDbKernel::Base()[start] == 0) ++start;
    return start;
}
}  // namespace

class KernelScanTest : public KernelTest {};

TEST_F(KernelScanTest, ZeroScansFindTheSameBytesAsALookAtEachByte) {
    const uint32_t page1 = kDataRegionBase + kDataPageSize;
    const uint32_t page7 = kDataRegionBase + 7 * kDataPageSize;
    for (const uint32_t at : {page1 + 4095, page1 + 4096 + 70, page1 + 2 * kDataPageSize - 1,
                              page7 + 13, kDbFileSize - 1, BucketWord(40, 9999)})
        TDbKernel::Base()[at] = 0x5A;
    const std::pair<uint32_t, uint32_t> ranges[] = {
        {page1, page1 + kDataPageSize},        // a page, bytes at its start and end
        {page1 + 1, page1 + 4095},             // up to a byte in use, not taking it
        {page1 + 4096, page1 + 4096 + 64},     // one small block
        {page1 + 4097, page1 + 3 * 4096 + 7},  // unaligned ends
        {page1 + 5000, page1 + kDataPageSize - 1},
        {page7, kDbFileSize},                    // the short last page
        {page7 + 14, kDbFileSize - 1},           // nothing in use
        {kDbFileSize - 1, kDbFileSize + 100},    // clipped to the view
        {BucketWord(40, 0), BucketWord(41, 0)},  // a bucket block
        {page1 + 10, page1 + 10}};               // empty
    for (const auto& [from, to] : ranges) {
        SCOPED_TRACE(std::to_string(from) + ".." + std::to_string(to));
        const uint32_t end = std::min(to, kDbFileSize);
        EXPECT_EQ(S::UsedEnd(from, to), NaiveUsedEnd(from, end));
        EXPECT_EQ(S::FirstUsed(from, to), NaiveFirstUsed(from, end));
    }
    EXPECT_EQ(S::NextUsedBucket(40, 0), 9999);
    EXPECT_EQ(S::NextUsedBucket(40, 10000), 10000);
    EXPECT_EQ(S::NextUsedBucket(41, 0), 10000);
}

TEST_F(KernelScanTest, SlotsSkippedHaveZeroHeadersAndHeldBackWordsCount) {
    const uint32_t page = kDataRegionBase + 2 * kDataPageSize;
    // A field byte of slot 3, the TableID of slot 9, the RowID of slot 12.
    for (const uint32_t at :
         {page + 3 * kCallsStride + 20, page + 9 * kCallsStride, page + 12 * kCallsStride + 5})
        TDbKernel::Base()[at] = 1;
    std::vector<uint32_t> seen;
    const uint32_t end = page + 20 * kCallsStride;
    for (uint32_t s = S::NextSlotInUse(page, end, kCallsStride); s < end;
         s = S::NextSlotInUse(s + kCallsStride, end, kCallsStride))
        seen.push_back((s - page) / kCallsStride);
    EXPECT_EQ(seen, (std::vector<uint32_t>{4, 9, 12}));  // slot 4: the one after the field byte

    // A word held back by an open batch is in use before it reaches the view.
    MakeCallsTable(5);
    TWriteBatch batch;
    TWriteBatch::Store(TWriteBatch::kLinks, BucketWord(5, 77), kRow0);
    EXPECT_EQ(U32At(BucketWord(5, 77)), 0u);
    EXPECT_LE(S::NextUsedBucket(5, 0), 77);
    EXPECT_EQ(S::UsedEnd(page, page + 8), page + 8);
}
