// Row objects: field lists built from the schema, the kernel's row
// operations, and the process-wide row list.
#include <gtest/gtest.h>

#include "SchemaTestSupport.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
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
    TDBFieldsPtr Fields(uint32_t tableID, const std::vector<std::string>& values) {
        TDBFieldsPtr fields = DbKernel->CreateEmptyFieldsObject(tableID, 1);
        EXPECT_NE(fields, nullptr);
        for (size_t i = 0; fields && i < values.size(); ++i)
            fields->GetField(static_cast<int>(i))->Value = values[i];
        return fields;
    }
};

TEST_F(RowsTest, GetFieldsBuildsAllSixtyFiveFieldsAndReadsTheRow) {
    TDBRows rows;
    ASSERT_EQ(rows.AddRow(Fields(5, {"1", "W1AW"})), 999);  // first of its chain
    ASSERT_EQ(rows.AddRow(Fields(5, {"2", "W1AW"})), 0);

    TDBRow row;
    EXPECT_EQ(row.State, 3);
    ASSERT_EQ(row.GetFields(5, "W1AW", 2), 0);
    EXPECT_EQ(row.State, 0);
    ASSERT_EQ(row.Fields->Count(), 65);
    const TDBFieldParent& n = *row.Fields->GetField(0);
    const TDBFieldParent& call = *row.Fields->GetField(1);
    EXPECT_EQ(n.Value, "2");
    EXPECT_EQ(n.KeyType, 2);
    EXPECT_EQ(call.Value, "W1AW");
    EXPECT_EQ(call.KeyType, 4);
    EXPECT_EQ(call.IsPrimary, 0);  // a multi key is no primary key
    EXPECT_EQ(call.Length, 10);
    EXPECT_EQ(call.TableID, 5);
    for (int i = 2; i < 65; ++i) EXPECT_EQ(row.Fields->GetField(i)->DataType, 999) << i;
    // The first free field carries the row's identity.
    EXPECT_FALSE(row.Fields->GetField(2)->Value.empty());
    EXPECT_NE(row.Fields->GetField(2)->Value, "0");

    EXPECT_EQ(row.GetFields(5, "W1AW", 3), 999);
    TDBRow primary;
    EXPECT_EQ(primary.GetFields(6, "K1XYZ", 0), 999);
    EXPECT_EQ(primary.Fields->GetField(0)->IsPrimary, -1);
    EXPECT_EQ(primary.Fields->GetField(0)->Value, "K1XYZ");  // the key is put in before reading
}

TEST_F(RowsTest, GetFieldsOfATableNotInUseReadsNothing) {
    TDBRow row;
    EXPECT_EQ(row.GetFields(7, "X", 0), 999);
    EXPECT_EQ(row.Fields->Count(), 0);
    EXPECT_EQ(row.GetFields(999, "X", 0), 999);
}

TEST_F(RowsTest, SharedListKeepsTheRowsThatSucceeded) {
    // Field lists first: building one rebuilds the table objects, and every
    // new TDBRows (one comes with each table object) starts the list afresh.
    TDBFieldsPtr first = Fields(6, {"W4ABCD1", "1"});
    TDBFieldsPtr second = Fields(6, {"W4ABCD2", "2"});
    TDBRows rows;
    EXPECT_EQ(TDBRows::SharedCount(), 0u);
    // A row that starts a new bucket chain is stored, but the kernel answers
    // 999 for it, so it is not kept.
    EXPECT_EQ(rows.AddRow(first), 999);
    EXPECT_EQ(TDBRows::SharedCount(), 0u);
    EXPECT_NE(rows.GetRow(6, "W4ABCD1", 0), nullptr);
    EXPECT_EQ(TDBRows::SharedCount(), 1u);
    // Keys that differ only after their sixth character share a bucket: the
    // second row is linked behind the first and kept.
    EXPECT_EQ(rows.AddRow(second), 0);
    EXPECT_EQ(TDBRows::SharedCount(), 2u);
    EXPECT_EQ(rows.GetRow(6, "NOSUCH", 0), nullptr);
    EXPECT_EQ(TDBRows::SharedCount(), 2u);

    TDBTable table;
    EXPECT_EQ(TDBRows::SharedCount(), 0u);
}

TEST_F(RowsTest, WriteAndDeleteWithEmptyLists) {
    TDBRow row;
    EXPECT_EQ(row.Write(std::make_shared<TDBFields>()), 999);
    EXPECT_EQ(row.Write(nullptr), 999);
    EXPECT_EQ(row.Delete(std::make_shared<TDBFields>()), 0);
    EXPECT_EQ(row.State, 3);
}

TEST_F(RowsTest, WriteAdoptsTheListAndDeleteMarksTheRow) {
    TDBRows rows;
    rows.AddRow(Fields(6, {"W4ABC", "5"}));
    std::shared_ptr<TDBRow> read = rows.GetRow(6, "W4ABC", 0);
    ASSERT_NE(read, nullptr);

    TDBRow row;
    TDBFieldsPtr fields = read->Fields;
    fields->GetField(1)->Value = "6";
    row.Write(fields);
    EXPECT_EQ(row.Fields, fields);
    EXPECT_EQ(row.TableID, 6);
    EXPECT_EQ(rows.GetRow(6, "W4ABC", 0)->Fields->GetField(1)->Value, "6");

    EXPECT_EQ(rows.DeleteRow(fields), 0);
    EXPECT_EQ(rows.GetRow(6, "W4ABC", 0), nullptr);
}
