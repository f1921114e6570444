// Data pages: which slot a row goes to, pages of several tables, a full file.
#include <algorithm>

#include "KernelTestSupport.h"
#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"

using namespace DbFormat;

namespace {
constexpr uint32_t kBigRowSize = 100000;  // 49 slots per page, 41 on page 7
constexpr uint32_t kBigStride = kBigRowSize + kRowOverhead;
constexpr uint32_t kBigSlotsPerPage = 49;
constexpr uint32_t kBigSlotsTotal = 7 * kBigSlotsPerPage + 41;

uint32_t Page(uint32_t p) {
    return kDataRegionBase + p * kDataPageSize;
}
}  // namespace

class KernelPagesTest : public KernelTest {
  protected:
    void MakeBig(uint32_t id) {
        MakeTable(id, "BIG" + std::to_string(id),
                  {{"K", kTypeCharacter, 10, kKeyPrimary},
                   {"DATA", kTypeCharacter, kBigRowSize - 10, kKeyNone}});
    }
    // Writes n rows with fresh keys; answers the offset of the last one.
    uint32_t Fill(uint32_t id, uint32_t n) {
        uint32_t last = 0;
        for (uint32_t i = 0; i < n; ++i) {
            const std::string key = "R" + std::to_string(id) + "_" + std::to_string(next_++);
            const int32_t s = Write(id, {key, "payload"});
            EXPECT_NE(s == 999 && !dialogs_->Messages.empty(), true) << "refused at " << i;
            TDBFieldsPtr f = Row(id, {key});
            EXPECT_EQ(kernel_->ReadDataRow(id, *f, 0, key), 0);
            last = static_cast<uint32_t>(std::stoul(f->GetField(2)->Value));
        }
        return last;
    }
    int next_ = 0;
};

TEST_F(KernelPagesTest, FullPageMovesToFirstFreePagePastOtherTables) {
    MakeBig(5);
    MakeCallsTable(6);
    EXPECT_EQ(Fill(5, kBigSlotsPerPage), Page(0) + (kBigSlotsPerPage - 1) * kBigStride);
    Write(6, {"SMALL", "1", "x"});
    EXPECT_EQ(U32At(Page(1)), 6u);
    EXPECT_EQ(Fill(5, 1), Page(2));
    EXPECT_EQ(Fill(5, 1), Page(2) + kBigStride);
    std::vector<uint8_t*> pages;
    int32_t first = 0;
    EXPECT_EQ(kernel_->GetDataPagesList(kernel_->GetDataPagesPointer(), pages, first, 5), 3);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(pages[2], nullptr);  // page 1 belongs to table 6
    EXPECT_EQ(pages[3], TDbKernel::Base() + Page(2));
    // a table without a page is shown the first free page
    MakeCallsTable(7);
    EXPECT_EQ(kernel_->GetDataPagesList(kernel_->GetDataPagesPointer(), pages, first, 7), 3);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(pages[3], TDbKernel::Base() + Page(3));
    EXPECT_EQ(Check(), 0);
}

TEST_F(KernelPagesTest, FullDatabaseRefusesWritesAndWritesNothing) {
    MakeBig(5);
    const uint32_t last = Fill(5, kBigSlotsTotal);
    // the last slot of page 7 ends inside the file
    EXPECT_EQ(last, Page(7) + 40 * kBigStride);
    EXPECT_LE(last + kBigStride, kDbFileSize);
    EXPECT_TRUE(dialogs_->Messages.empty());
    const auto buckets = Bytes(kBucketRegionBase + 6 * kBucketBlockSize, kBucketBlockSize);
    const auto tailOfLast = U32At(last + 8 + kBigRowSize);
    for (const std::string key : {"ONE_MORE", "R5_0X"}) {
        TDBFieldsPtr f = Row(5, {key, "payload"});
        int32_t found = 0;
        EXPECT_EQ(kernel_->WriteDataRow(5, found, *f, 0), 999);
    }
    ASSERT_EQ(dialogs_->Messages.size(), 2u);
    EXPECT_EQ(dialogs_->Messages[0], KernelMessages::kDatabaseFull);
    EXPECT_EQ(Bytes(kBucketRegionBase + 6 * kBucketBlockSize, kBucketBlockSize), buckets);
    EXPECT_EQ(U32At(last + 8 + kBigRowSize), tailOfLast);
    EXPECT_TRUE(Read(5, "ONE_MORE").empty());
    // an existing row can still be overwritten in place
    EXPECT_EQ(Write(5, {"R5_3", "changed"}), 0);
    EXPECT_EQ(Read(5, "R5_3", 0, 2)[1], "changed");
    std::vector<std::string> tails;
    int32_t deleted = 0;
    EXPECT_EQ(kernel_->RawScanTable(0, 5, deleted, tails, 1), static_cast<int32_t>(kBigSlotsTotal));
    EXPECT_EQ(Check(), 0);
    // a second table finds no page at all
    MakeCallsTable(6);
    EXPECT_EQ(Write(6, {"X", "1", "y"}), 999);
    EXPECT_EQ(dialogs_->Messages.back(), KernelMessages::kDatabaseFull);
    EXPECT_EQ(kernel_->TruncateTable("BIG5"), 999);  // ID 5 is never truncated
}

TEST_F(KernelPagesTest, TruncationKeepsFirstPageAndFreesTheOthers) {
    MakeBig(6);
    Fill(6, 2 * kBigSlotsPerPage + 1);  // three pages
    EXPECT_EQ(kernel_->BruteForceDeleteDataRows(6), static_cast<int32_t>(2 * kBigSlotsPerPage + 1));
    EXPECT_EQ(U32At(Page(0)), 6u);
    EXPECT_EQ(U32At(Page(0) + 4), 0u);
    EXPECT_EQ(U32At(Page(1)), 0u);
    EXPECT_EQ(U32At(Page(2)), 0u);
    const auto buckets = Bytes(kBucketRegionBase + 7 * kBucketBlockSize, kBucketBlockSize);
    EXPECT_TRUE(std::all_of(buckets.begin(), buckets.end(), [](uint8_t b) { return b == 0; }));
    std::vector<std::string> tails;
    int32_t deleted = 0;
    EXPECT_EQ(kernel_->RawScanTable(65, 6, deleted, tails, 0), 0);
    EXPECT_EQ(deleted, 1);  // the kept first slot reads as a deleted row
    EXPECT_EQ(tails.size(), 1u);
    EXPECT_EQ(Fill(6, 1), Page(0) + kBigStride);
    EXPECT_EQ(Check(), 0);
}

TEST_F(KernelPagesTest, FreedPageDoesNotHideLaterPagesOfOtherTables) {
    MakeBig(6);
    MakeBig(7);
    Fill(6, 2 * kBigSlotsPerPage);  // pages 0, 1
    Fill(7, 3);                     // page 2
    ASSERT_EQ(U32At(Page(2)), 7u);
    ASSERT_EQ(kernel_->TruncateTable("big6"), 0);
    ASSERT_EQ(U32At(Page(1)), 0u);
    std::string report;
    EXPECT_EQ(Check(&report), 0) << report;
    std::vector<std::string> tails;
    int32_t deleted = 0;
    EXPECT_EQ(kernel_->RawScanTable(65, 7, deleted, tails, 1), 3);
    EXPECT_EQ(Fill(7, 1), Page(2) + 3 * kBigStride);  // table 7 keeps using its own page
    Fill(6, kBigSlotsPerPage);                        // page 0 fills up, then the freed page 1
    EXPECT_EQ(U32At(Page(1)), 6u);
    EXPECT_EQ(Check(), 0);
}
