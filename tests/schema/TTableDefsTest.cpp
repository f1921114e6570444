// Table and column definitions: loading, saving and freeing slots.
#include "SchemaTestSupport.h"
#include "schema/TColumnDefs.h"
#include "schema/TTableDefs.h"

using namespace DbFormat;
using DefsTest = SchemaTest;

TEST_F(DefsTest, NewDefinitionsNameAFreeSlotAndAreSavedOnlyThere) {
    TTableDefs defs;
    std::unique_ptr<TTableDef> def = defs.NewTableDef(std::string(30, 'a') + "FIRST");
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(Record(5), std::string(30, 'A') + "FIRST|5|0");  // named, not in use
    EXPECT_EQ(DbKernel->IsAvailableTableID(5), -1);
    def->InUse = 1;
    EXPECT_EQ(def->Save(), 0);  // saved again while still free: now in use
    EXPECT_EQ(Record(5), std::string(30, 'A') + "FIRST|5|1");
    def->Name = "OTHER";
    EXPECT_EQ(def->Save(), 999);  // a slot in use is never saved over
    EXPECT_EQ(defs.GetTableID(std::string(30, 'a') + "first"), 5u);
    EXPECT_EQ(Thrown<ExcSQLSyntaxError>([&] { defs.GetTableID("NOSUCH"); }),
              KernelMessages::kTableNotFound);
    // Equal over the first 30 characters after upper-casing: the same name.
    TTableDef other;
    other.Name = std::string(30, 'A') + "SECOND";
    other.TableID = 6;
    const std::string slot6 = SlotBytes(6);
    EXPECT_EQ(other.Save(), 998);
    EXPECT_TRUE(SlotBytes(6) == slot6);
    EXPECT_EQ(defs.NewTableDef(std::string(30, 'A')), nullptr);
    // No free slot: no definition, and nothing written.
    for (uint32_t id = 6;; ++id) {
        auto next = defs.NewTableDef("T" + std::to_string(id));
        if (!next)
            break;
        next->InUse = 1;
        ASSERT_EQ(next->Save(), 0);
        ASSERT_LE(id, kLastUserTableID);
    }
    const std::string last = SlotBytes(99) + SlotBytes(100);
    EXPECT_EQ(defs.NewTableDef("EXTRA"), nullptr);
    other.Name = "EXTRA";
    other.TableID = kNoTableID;
    EXPECT_EQ(other.Save(), 999);
    EXPECT_TRUE(SlotBytes(99) + SlotBytes(100) == last);
    EXPECT_EQ(DbKernel->GetTableIDFromName("EXTRA"), kNoTableID);
}

TEST_F(DefsTest, DeletesAndColumnSavesWriteTheirOwnRecordOnly) {
    MustSql("CREATE TABLE T (K INT PRIMARY KEY, V CHAR[6] NULL)");
    TColumnDef column;
    column.Name = "extra";
    column.TableName = "t";
    column.Position = 2;
    column.KeyType = 2;
    column.Reserved1 = 11;
    std::string expected = SlotBytes(5);
    ASSERT_EQ(column.Save(), 0);
    EXPECT_EQ(Record(5, 2), "EXTRA|2|0|0|2");
    const size_t at = kTableRecordSize + 2 * kColumnRecordSize;
    expected.replace(at, kColumnRecordSize, SlotBytes(5).substr(at, kColumnRecordSize));
    EXPECT_TRUE(SlotBytes(5) == expected);
    TColumnDef loaded;
    ASSERT_EQ(loaded.LoadProperties(5, 2), 0);
    EXPECT_EQ(loaded.Name + std::to_string(loaded.Reserved1), "EXTRA11");
    column.TableName = "NOSUCH";
    EXPECT_EQ(column.Save(), 999);
    column.TableName = "T";
    column.Position = 65;
    EXPECT_EQ(column.Save(), 999);
    EXPECT_TRUE(SlotBytes(5) == expected);
    // A column's delete blanks the record it came from, also a free record
    // whose Position (65) points past the slot.
    TColumnDefs columns;
    columns.Load(5, "test");
    for (int c : {1, 64}) {
        columns.Items(c)->TableName = "T";
        EXPECT_EQ(columns.Items(c)->Delete(), 0);
    }
    EXPECT_EQ(Record(5, 1) + Record(5, 63) + Record(5, 64),
              "|1|999|999|999UNALLOCATED COLUMN|64|999|0|2|65|999|999|999");
    columns.Items(0)->TableName = "NOSUCH";
    EXPECT_EQ(columns.Items(0)->Delete(), 999);  // a blanking that cannot be written
    EXPECT_EQ(Record(5, 0), "K|0|0|0|1");
    // The table's delete frees its table record only.
    TTableDef def;
    ASSERT_EQ(def.LoadProperties(0, 5), 0);
    EXPECT_EQ(def.Name + std::to_string(def.InUse), "T1");
    EXPECT_EQ(def.Delete(), 0);
    EXPECT_EQ(Record(5) + Record(5, 0), "UNALLOCATED TABLE|5|0K|0|0|0|1");
}
