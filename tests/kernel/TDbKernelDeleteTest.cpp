// Deleting single rows and truncating tables.
#include "KernelTestSupport.h"
#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"

using namespace DbFormat;

namespace {
constexpr uint32_t kStride = 26 + kRowOverhead;  // CALLS rows
}

TEST_F(KernelTest, DeletedRowIsSkippedButKeepsItsBytes) {
    MakeCallsTable();
    Write(5, {"K1", "1", "one"});
    Write(5, {"K2", "2", "two"});
    TDBFieldsPtr f = Row(5, {"K1"});
    ASSERT_EQ(kernel_->ReadDataRow(5, *f, 0, "K1"), 0);
    EXPECT_EQ(kernel_->MarkDataRowDeleted(*f), 0);
    EXPECT_TRUE(Read(5, "K1").empty());
    EXPECT_EQ(U32At(kDataRegionBase + 4), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(TDbKernel::Base() + kDataRegionBase + 8)),
              "K1");
    EXPECT_EQ(kernel_->MarkDataRowDeleted(*f), 0);  // the same slot again, no error
    std::string report;
    EXPECT_EQ(Check(&report), 0);
    EXPECT_NE(report.find("CALLS5           1         1"), std::string::npos) << report;
    // writing the key again appends a new row behind the deleted one
    EXPECT_EQ(Write(5, {"K1", "3", "again"}), 0);
    EXPECT_EQ(Read(5, "K1"), (std::vector<std::string>{"K1", "3", "again"}));
    EXPECT_EQ(U32At(kDataRegionBase + 8 + 26), kDataRegionBase + 2 * kStride);
    EXPECT_EQ(Check(), 0);
}

TEST_F(KernelTest, DeletionNeedsARowOfTheListsTable) {
    MakeCallsTable(5);
    MakeCallsTable(6);
    Write(5, {"K1", "1", "one"});
    Write(6, {"K6", "6", "six"});
    const auto before = Bytes(kDataRegionBase, 3 * kDataPageSize / 1000);
    TDBFieldsPtr f = Row(5, {"K1"});
    for (const std::string bad :
         {"1", "5846801", "5846838", "45000000", "4294967295", "abc", "-4"}) {
        f->GetField(3)->Value = bad;
        EXPECT_THROW(kernel_->MarkDataRowDeleted(*f), ExcKernelError) << bad;
    }
    // the slot of table 6's row is a row slot, but not of table 5
    f->GetField(3)->Value = std::to_string(kDataRegionBase + kDataPageSize);
    try {
        kernel_->MarkDataRowDeleted(*f);
        FAIL();
    } catch (const ExcKernelError& e) {
        EXPECT_EQ(std::string(e.what()), std::string(KernelMessages::kNotARowOfTable) + "10846800");
    }
    EXPECT_EQ(Bytes(kDataRegionBase, 3 * kDataPageSize / 1000), before);
    EXPECT_EQ(Read(6, "K6").size(), 3u);
    for (const std::string zero : {"", "0"}) {
        f->GetField(3)->Value = zero;
        try {
            kernel_->MarkDataRowDeleted(*f);
            FAIL();
        } catch (const ExcRowAlreadyMarkedForDeletion& e) {
            EXPECT_STREQ(e.what(), "RowID was already zero");
        }
    }
}

TEST_F(KernelTest, TruncateTableByName) {
    MakeCallsTable(5);
    MakeCallsTable(6, kKeyMulti);
    Write(5, {"K", "1", "x"});
    for (int i = 0; i < 5; ++i) Write(6, {"M" + std::to_string(i % 2), std::to_string(i), "x"});
    EXPECT_EQ(kernel_->TruncateTable("calls5"), 999);
    EXPECT_EQ(kernel_->TruncateTable("NOSUCH"), 999);
    EXPECT_EQ(kernel_->TruncateTable(""), 999);
    EXPECT_EQ(Read(5, "K").size(), 3u);
    const uint32_t page1 = kDataRegionBase + kDataPageSize;
    ASSERT_EQ(U32At(page1), 6u);
    EXPECT_EQ(kernel_->TruncateTable("calls6"), 0);
    EXPECT_TRUE(Read(6, "M0", 1).empty());
    EXPECT_EQ(U32At(page1), 6u);
    EXPECT_EQ(U32At(page1 + kStride), 0u);
    EXPECT_EQ(Write(6, {"M0", "7", "new"}), 999);  // a new chain again
    EXPECT_EQ(U32At(page1 + kStride + 4), page1 + kStride);
    EXPECT_EQ(Read(6, "M0", 1), (std::vector<std::string>{"M0", "7", "new"}));
    EXPECT_EQ(Read(5, "K").size(), 3u);
    EXPECT_EQ(Check(), 0);
    EXPECT_EQ(kernel_->BruteForceDeleteDataRows(42), 0);  // no such table
}
