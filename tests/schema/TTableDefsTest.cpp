// Table and column definitions: loading, saving and freeing slots.
#include <gtest/gtest.h>

#include "SchemaTestSupport.h"
#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "schema/TColumnDefs.h"
#include "schema/TTableDefs.h"

using DefsTest = SchemaTest;

TEST_F(DefsTest, LoadMirrorsTheSlots) {
    TTableDefs defs;
    defs.Load(0);
    ASSERT_EQ(defs.Count(), 101);
    EXPECT_EQ(defs.Items(1)->Name, "SYSTables");
    EXPECT_EQ(defs.Items(1)->TableID, 2u);
    EXPECT_EQ(defs.Items(1)->InUse, 1);
    EXPECT_EQ(defs.Items(5)->Name, "UNALLOCATED TABLE");
    EXPECT_EQ(defs.Items(5)->InUse, 0);
    EXPECT_EQ(defs.Items(101), nullptr);
    EXPECT_EQ(defs.Items(-1), nullptr);

    TColumnDefs columns;
    columns.Load(1, "test");
    ASSERT_EQ(columns.Count(), 65);
    const TColumnDef& name = *columns.Items(1);
    EXPECT_EQ(name.Name, "TableName");
    EXPECT_EQ(name.DataType, 2);
    EXPECT_EQ(name.Length, 30);
    EXPECT_EQ(name.Reserved1, 999);
    EXPECT_EQ(columns.Items(64)->Name, "UNALLOCATED COLUMN");
    EXPECT_EQ(columns.Items(64)->DataType, 999);
    EXPECT_EQ(columns.Items(64)->Position, 65);
    EXPECT_EQ(columns.Items(65), nullptr);
}

TEST_F(DefsTest, NewTableDefNamesTheFirstFreeSlotNotInUse) {
    TTableDefs defs;
    std::unique_ptr<TTableDef> def = defs.NewTableDef("Stations");
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->TableID, 5u);
    EXPECT_EQ(TableName(5), "STATIONS");
    EXPECT_EQ(TableRecord(5).InUse, 0u);
    EXPECT_EQ(DbKernel->IsAvailableTableID(5), -1);

    // Saved again while still free: it becomes the table's record in use.
    def->InUse = 1;
    EXPECT_EQ(def->Save(), 0);
    EXPECT_NE(TableRecord(5).InUse, 0u);
    // A slot in use is never saved over.
    def->Name = "OTHER";
    EXPECT_EQ(def->Save(), 999);
    EXPECT_EQ(TableName(5), "STATIONS");

    EXPECT_EQ(defs.GetTableID("stations"), 5u);
    try {
        defs.GetTableID("NOSUCH");
        FAIL();
    } catch (const ExcSQLSyntaxError& e) {
        EXPECT_STREQ(e.what(), "SPECIFIED TABLE COULD NOT BE FOUND ");
    }
}

TEST_F(DefsTest, NameOfAnotherTableGives998) {
    TTableDefs defs;
    auto first = defs.NewTableDef(std::string(30, 'a') + "FIRST");
    ASSERT_NE(first, nullptr);
    first->InUse = 1;
    ASSERT_EQ(first->Save(), 0);

    // Equal over the first 30 characters after upper-casing: the same name.
    TTableDef other;
    other.Name = std::string(30, 'A') + "SECOND";
    other.TableID = 6;
    const std::vector<uint8_t> before = SlotBytes(6);
    EXPECT_EQ(other.Save(), 998);
    EXPECT_EQ(SlotBytes(6), before);
    EXPECT_EQ(defs.NewTableDef(std::string(30, 'A')), nullptr);
}

TEST_F(DefsTest, NoFreeSlotMeansNoDefinitionAndNothingWritten) {
    TTableDefs defs;
    for (uint32_t id = DbFormat::kFirstUserTableID;; ++id) {
        auto def = defs.NewTableDef("T" + std::to_string(id));
        if (!def) break;
        def->InUse = 1;
        ASSERT_EQ(def->Save(), 0);
        ASSERT_LE(id, DbFormat::kLastUserTableID);
    }
    EXPECT_EQ(DbKernel->GetFirstAvailableTableID(), DbFormat::kNoTableID);
    const std::vector<uint8_t> slot99 = SlotBytes(99);
    const std::vector<uint8_t> slot100 = SlotBytes(100);
    EXPECT_EQ(defs.NewTableDef("EXTRA"), nullptr);
    TTableDef bogus;
    bogus.Name = "EXTRA";
    bogus.TableID = DbFormat::kNoTableID;
    EXPECT_EQ(bogus.Save(), 999);
    EXPECT_EQ(SlotBytes(99), slot99);
    EXPECT_EQ(SlotBytes(100), slot100);
    EXPECT_EQ(DbKernel->GetTableIDFromName("EXTRA"), DbFormat::kNoTableID);
}

TEST_F(DefsTest, DeleteFreesTheTableRecordOnly) {
    MustSql("CREATE TABLE T (K INT PRIMARY KEY, V CHAR[6] NULL)");
    TTableDef def;
    ASSERT_EQ(def.LoadProperties(0, 5), 0);
    EXPECT_EQ(def.Name, "T");
    EXPECT_EQ(def.InUse, 1);
    EXPECT_EQ(def.Delete(), 0);
    EXPECT_EQ(TableName(5), "UNALLOCATED TABLE");
    EXPECT_EQ(TableRecord(5).TableID, 5u);
    EXPECT_EQ(TableRecord(5).InUse, 0u);
    EXPECT_EQ(ColumnName(5, 1), "V");
    EXPECT_EQ(ColumnRecord(5, 1).Length, 6u);
}

TEST_F(DefsTest, ColumnSaveWritesItsOwnRecordOnly) {
    MustSql("CREATE TABLE T (K INT PRIMARY KEY, V CHAR[6] NULL)");
    const std::vector<uint8_t> before = SlotBytes(5);
    TColumnDef column;
    column.Name = "extra";
    column.TableName = "t";
    column.Position = 2;
    column.DataType = 0;
    column.Length = 0;
    column.KeyType = 2;
    column.Reserved1 = 11;
    column.Reserved2 = 12;
    ASSERT_EQ(column.Save(), 0);
    const std::vector<uint8_t> after = SlotBytes(5);
    const size_t begin = DbFormat::kTableRecordSize + 2 * DbFormat::kColumnRecordSize;
    const size_t end = begin + DbFormat::kColumnRecordSize;
    for (size_t i = 0; i < after.size(); ++i) {
        if (i < begin || i >= end) {
            ASSERT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_EQ(ColumnName(5, 2), "EXTRA");
    EXPECT_EQ(ColumnRecord(5, 2).Reserved2, 12u);

    TColumnDef loaded;
    ASSERT_EQ(loaded.LoadProperties(5, 2), 0);
    EXPECT_EQ(loaded.Name, "EXTRA");
    EXPECT_EQ(loaded.Reserved1, 11);

    column.TableName = "NOSUCH";
    EXPECT_EQ(column.Save(), 999);
    column.TableName = "T";
    column.Position = 65;
    EXPECT_EQ(column.Save(), 999);
    EXPECT_EQ(SlotBytes(5), after);
}

TEST_F(DefsTest, ColumnDeleteBlanksTheRecordItCameFrom) {
    MustSql("CREATE TABLE T (K INT PRIMARY KEY, V CHAR[6] NULL)");
    TColumnDefs columns;
    columns.Load(5, "test");
    TColumnDef& v = *columns.Items(1);
    v.TableName = "T";
    EXPECT_EQ(v.Delete(), 0);
    const TColumnRecord r = ColumnRecord(5, 1);
    EXPECT_EQ(ColumnName(5, 1), "");
    EXPECT_EQ(r.DataType, 999u);
    EXPECT_EQ(r.Length, 999u);
    EXPECT_EQ(r.KeyType, 999u);
    EXPECT_EQ(r.Position, 1u);

    // A free record of a new file names Position 65: it is still blanked in
    // its own place, record 64.
    TColumnDef& last = *columns.Items(64);
    last.TableName = "T";
    EXPECT_EQ(last.Delete(), 0);
    EXPECT_EQ(ColumnName(5, 64), "");
    EXPECT_EQ(ColumnName(5, 63), DbFormat::kFreeColumnName);

    // A blanking that cannot be written is reported.
    TColumnDef& k = *columns.Items(0);
    k.TableName = "NOSUCH";
    EXPECT_EQ(k.Delete(), 999);
    EXPECT_EQ(ColumnName(5, 0), "K");
}
