// Row objects: field lists built from the schema, the kernel's row
// operations, and the process-wide row list.
#include "SchemaTestSupport.h"
#include "schema/TDBRow.h"
#include "schema/TDBRows.h"
#include "schema/TDBTable.h"

using RowsTest = SchemaTest;

TEST_F(RowsTest, RowsReadWrittenDeletedAndKeptInTheSharedList) {
    MustSql("CREATE TABLE LOG (N INT NOT NULL, CALL CHAR[10] MULTI KEY)");
    MustSql("CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY, QTY INT NULL)");
    auto fields = [](uint32_t tableID, const Strings& values) {  // 5 = LOG, 6 = STATIONS
        TDBFieldsPtr f = DbKernel->CreateEmptyFieldsObject(tableID, 1);
        for (size_t i = 0; i < values.size(); ++i)
            f->GetField(static_cast<int>(i))->Value = values[i];
        return f;
    };
    TDBRows rows;
    // The first row of a bucket chain is stored but answered 999: not kept.
    ASSERT_EQ(rows.AddRow(fields(5, {"1", "W1AW"})), 999);
    EXPECT_EQ(TDBRows::SharedCount(), 0u);
    ASSERT_EQ(rows.AddRow(fields(5, {"2", "W1AW"})), 0);  // linked behind the first: kept
    EXPECT_EQ(TDBRows::SharedCount(), 1u);
    TDBRow row;
    EXPECT_EQ(row.State, 3);
    ASSERT_EQ(row.GetFields(5, "W1AW", 2), 0);
    EXPECT_EQ(row.State, 0);
    ASSERT_EQ(row.Fields->Count(), 65);
    EXPECT_EQ(row.Fields->GetField(0)->Value + row.Fields->GetField(1)->Value, "2W1AW");
    EXPECT_NE(std::stoul(row.Fields->GetField(2)->Value), 0u);  // the row's identity
    EXPECT_EQ(row.GetFields(5, "W1AW", 3), 999);
    EXPECT_EQ(row.GetFields(6, "K1XYZ", 0), 999);
    EXPECT_EQ(row.Fields->GetField(0)->Value, "K1XYZ");  // the key is put in before reading
    EXPECT_EQ(row.GetFields(7, "X", 0) + row.GetFields(999, "X", 0), 2 * 999);  // not in use
    EXPECT_EQ(row.Fields->Count(), 0);
    EXPECT_NE(rows.GetRow(5, "W1AW", 1), nullptr);
    EXPECT_EQ(rows.GetRow(6, "NOSUCH", 0), nullptr);
    EXPECT_EQ(TDBRows::SharedCount(), 2u);
    TDBTable table;  // every table object starts the list afresh
    EXPECT_EQ(TDBRows::SharedCount(), 0u);
    TDBRow writer;  // writing adopts the list; deleting marks the row
    EXPECT_EQ(writer.Write(std::make_shared<TDBFields>()) + writer.Write(nullptr), 2 * 999);
    EXPECT_EQ(writer.Delete(std::make_shared<TDBFields>()), 0);
    EXPECT_EQ(writer.State, 3);
    writer.Write(fields(6, {"W4ABC", "5"}));
    TDBFieldsPtr written = rows.GetRow(6, "W4ABC", 0)->Fields;
    written->GetField(1)->Value = "6";
    writer.Write(written);
    EXPECT_EQ(writer.Fields, written);
    EXPECT_EQ(writer.TableID, 6);
    EXPECT_EQ(rows.GetRow(6, "W4ABC", 0)->Fields->GetField(1)->Value, "6");
    EXPECT_EQ(rows.DeleteRow(written), 0);
    EXPECT_EQ(rows.GetRow(6, "W4ABC", 0), nullptr);
}
