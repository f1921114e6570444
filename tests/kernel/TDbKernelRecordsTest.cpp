// Table and column records: lookups by name and ID, free IDs, writing one
// record, the name buffer.
#include <cstring>

#include "KernelTestSupport.h"
#include "kernel/DbFormat.h"
#include "kernel/KernelRecords.h"

using namespace DbFormat;

TEST_F(KernelTest, NameLookupsIgnoreCaseAndCompare30Characters) {
    MakeTable(7, "QSOLOG", {{"CALL", kTypeCharacter, 10, kKeyMulti}});
    const std::string long30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
    MakeTable(8, long30, {{"K", kTypeInteger, 0, kKeyPrimary}});
    EXPECT_EQ(kernel_->GetTableIDFromName("qsolog"), 7u);
    EXPECT_EQ(kernel_->GetTableIDFromName("QsoLog"), 7u);
    EXPECT_EQ(kernel_->GetTableIDFromName(long30 + "MORE"), 8u);
    EXPECT_EQ(kernel_->GetTableIDFromName("ABCDEFGHIJKLMNOPQRSTUVWXYZ123"), 999u);
    EXPECT_EQ(kernel_->GetTableIDFromName("QSOLO"), 999u);
    EXPECT_EQ(kernel_->GetTableIDFromName(""), 999u);
    EXPECT_EQ(kernel_->GetTableIDFromName("SYSTables"), 999u);
    EXPECT_EQ(kernel_->IsDuplicateTableName("qsolog"), -1);
    EXPECT_EQ(kernel_->IsDuplicateTableName("OTHER"), 0);
    std::string name = "x";
    kernel_->GetNameFromTableID(7, name);
    EXPECT_EQ(name, "QSOLOG");
    kernel_->GetNameFromTableID(42, name);
    EXPECT_EQ(name, "");
    kernel_->GetNameFromTableID(0, name);
    EXPECT_EQ(name, "");
}

TEST_F(KernelTest, FreeTableIDs) {
    EXPECT_EQ(kernel_->GetFirstAvailableTableID(), 5u);
    EXPECT_EQ(kernel_->IsAvailableTableID(5), -1);
    EXPECT_EQ(kernel_->IsAvailableTableID(1), 0);  // SYSTables' slot is in use
    MakeCallsTable(5);
    EXPECT_EQ(kernel_->IsAvailableTableID(5), 0);
    EXPECT_EQ(kernel_->GetFirstAvailableTableID(), 6u);
    for (uint32_t id = 6; id <= kLastAllocatableTableID; ++id) MakeCallsTable(id);
    // 99 and 100 are never handed out; with every other slot taken there is no ID
    EXPECT_EQ(kernel_->IsAvailableTableID(99), -1);
    EXPECT_EQ(kernel_->GetFirstAvailableTableID(), 999u);
    EXPECT_EQ(kernel_->IsAvailableTableID(999), 0);
    EXPECT_EQ(kernel_->IsAvailableTableID(101), 0);
}

TEST_F(KernelTest, WritingOneColumnChangesOnlyThatRecord) {
    const auto before = Bytes(5 * kTableSlotSize, kTableSlotSize);
    TColumnRecord c;
    std::strcpy(c.Name, "QTY");
    c.DataType = kTypeInteger;
    c.KeyType = kKeyNone;
    c.Position = 3;
    std::vector<TColumnRecord> all(kColumnsPerTable, c);
    TSlotRecordsView v;
    for (uint32_t i = 0; i < kColumnsPerTable; ++i) v.Columns[i] = &all[i];
    ASSERT_EQ(kernel_->WriteTableRecord(0, 5, 0, 3, v), 0);
    const auto after = Bytes(5 * kTableSlotSize, kTableSlotSize);
    const uint32_t from = kTableRecordSize + 3 * kColumnRecordSize;
    for (uint32_t i = 0; i < kTableSlotSize; ++i) {
        if (i >= from && i < from + kColumnRecordSize)
            continue;
        ASSERT_EQ(before[i], after[i]) << "byte " << i;
    }
    EXPECT_EQ(std::memcmp(after.data() + from, &c, kColumnRecordSize), 0);
    // action 2 and unknown modes write nothing
    EXPECT_EQ(kernel_->WriteTableRecord(2, 5, 0, 999, v), 0);
    EXPECT_EQ(kernel_->WriteTableRecord(3, 5, 0, 999, v), 999);
    EXPECT_EQ(Bytes(5 * kTableSlotSize, kTableSlotSize), after);
    TSlotRecords out;
    EXPECT_EQ(kernel_->ReadTableRecord(1, 5, out), 0);
    EXPECT_FALSE(out.Table);
    EXPECT_EQ(kernel_->ReadTableRecord(7, 5, out), 999);
}

TEST_F(KernelTest, ConvToSpecialCharsIsBounded) {
    char buffer[8];
    std::memset(buffer, 'Z', sizeof buffer);
    kernel_->ConvToSpecialChars("abc", 30, buffer, 6, 1);
    EXPECT_STREQ(buffer, "ABC");
    EXPECT_EQ(buffer[5], 0);
    EXPECT_EQ(buffer[6], 'Z');  // never past the given size
    kernel_->ConvToSpecialChars("a very long text", 30, buffer, 6, 0);
    EXPECT_EQ(std::string(buffer), "a ver");
    EXPECT_EQ(buffer[6], 'Z');
    char big[64];
    kernel_->ConvToSpecialChars(std::string(40, 'q'), 30, big, sizeof big, 1);
    EXPECT_EQ(std::string(big), std::string(30, 'Q') + std::string(10, 'q'));
    kernel_->ConvToSpecialChars("\xe4x", 30, big, sizeof big, 1);  // only a..z change
    EXPECT_EQ(std::string(big), "\xe4X");
}
