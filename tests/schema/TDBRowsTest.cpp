// Row objects: field lists built from the schema, the kernel's row
// operations, and the process-wide row list.
#include "SchemaTestSupport.h"
#include "schema/TDBRow.h"
#include "schema/TDBRows.h"
#include "schema/TDBTable.h"

class RowsTest : public SchemaTest {
protected:
    void SetUp() override {
        SchemaTest::SetUp();
        MustSql("CREATE TABLE LOG (N INT NOT NULL, CALL CHAR[10] MULTI KEY)");
        MustSql("CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY, QTY INT NULL)");
    }
    // A field list of the table (5 = LOG, 6 = STATIONS) with the first values set.
    static TDBFieldsPtr Fields(uint32_t tableID, const Strings& values) {
        TDBFieldsPtr fields = DbKernel->CreateEmptyFieldsObject(tableID, 1);
        for (size_t i = 0; i < values.size(); ++i)
            fields->GetField(static_cast<int>(i))->Value = values[i];
        return fields;
    }
};

TEST_F(RowsTest, GetFieldsReadsTheRowIntoAllSixtyFiveFields) {
    TDBRows rows;
    ASSERT_EQ(rows.AddRow(Fields(5, {"1", "W1AW"})), 999);  // first of its chain
    ASSERT_EQ(rows.AddRow(Fields(5, {"2", "W1AW"})), 0);
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
}

TEST_F(RowsTest, SharedListKeepsTheRowsThatSucceeded) {
    // Field lists first: every new TDBRows (one comes with each table object)
    // starts the list afresh.
    TDBFieldsPtr first = Fields(6, {"W4ABCD1", "1"});
    TDBFieldsPtr second = Fields(6, {"W4ABCD2", "2"});
    TDBRows rows;
    // The first row of a bucket chain is stored but answered 999: not kept.
    EXPECT_EQ(rows.AddRow(first), 999);
    EXPECT_EQ(TDBRows::SharedCount(), 0u);
    EXPECT_NE(rows.GetRow(6, "W4ABCD1", 0), nullptr);
    EXPECT_EQ(TDBRows::SharedCount(), 1u);
    EXPECT_EQ(rows.AddRow(second), 0);  // linked behind the first: kept
    EXPECT_EQ(rows.GetRow(6, "NOSUCH", 0), nullptr);
    EXPECT_EQ(TDBRows::SharedCount(), 2u);
    TDBTable table;
    EXPECT_EQ(TDBRows::SharedCount(), 0u);
    // Writing adopts the list; deleting marks the row.
    TDBRow row;
    EXPECT_EQ(row.Write(std::make_shared<TDBFields>()) + row.Write(nullptr), 2 * 999);
    EXPECT_EQ(row.Delete(std::make_shared<TDBFields>()), 0);
    EXPECT_EQ(row.State, 3);
    TDBFieldsPtr fields = rows.GetRow(6, "W4ABCD1", 0)->Fields;
    fields->GetField(1)->Value = "6";
    row.Write(fields);
    EXPECT_EQ(row.Fields, fields);
    EXPECT_EQ(row.TableID, 6);
    EXPECT_EQ(rows.GetRow(6, "W4ABCD1", 0)->Fields->GetField(1)->Value, "6");
    EXPECT_EQ(rows.DeleteRow(fields), 0);
    EXPECT_EQ(rows.GetRow(6, "W4ABCD1", 0), nullptr);
}
