// Result sets: selecting by key, walking, appending, posting, deleting, and
// the per-table sequences.
#include <cstring>

#include "SchemaTestSupport.h"
#include "schema/TDBRows.h"

class ResultSetTest : public SchemaTest {
protected:
    void SetUp() override {
        SchemaTest::SetUp();
        MustSql(
            "CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY, NOTE CHAR[40] NOT NULL, QTY INT "
            "NULL)");
        MustSql("CREATE TABLE LOG (CALL CHAR[10] MULTI KEY, N INT NOT NULL)");
        MustSql("CREATE TABLE SEQUENCES (TABLE_ID INT PRIMARY KEY, LAST_NUMBER INT NOT NULL)");
    }
};

TEST_F(ResultSetTest, OpenStatusesAndKeys) {
    TDBResultSet rs;
    EXPECT_EQ(rs.Eof + rs.Index, -1);
    EXPECT_EQ(rs.Open("", "A", "A"), TDBResultSet::kNoTableName);
    EXPECT_EQ(rs.Open("NOSUCH", "A", "A"), TDBResultSet::kUnknownTable);
    ASSERT_EQ(Sql("CREATE TABLE HALF (K INT PRIMARY KEY"), 999);
    EXPECT_EQ(rs.Open("HALF", "A", "A"), TDBResultSet::kNotAllocated);
    EXPECT_EQ(rs.Table, nullptr);
    EXPECT_EQ(rs.AppendRow(), TDBResultSet::kNotAllocated);
    EXPECT_EQ(TDBResultSet().AppendRow(), TDBResultSet::kNoRow);  // no table opened
    EXPECT_EQ(rs.Open("STATIONS", "W4ABC", "W4ABC"), TDBResultSet::kNoRow);
    EXPECT_EQ(rs.Open("stations", "", ""), TDBResultSet::kOK);
    EXPECT_EQ(rs.Table->Name, "STATIONS");
    EXPECT_EQ(rs.CurrentFields->Count(), 65);
    EXPECT_TRUE(rs.Rows.empty());
    // The primary key row is overwritten in place; two different keys select nothing.
    Insert("STATIONS", {"w4abc", "first", "1"});
    Insert("STATIONS", {"W4ABC", "second", "2"});
    EXPECT_EQ(Select("STATIONS", " w4abc ", 3), (Rows{{"W4ABC", "second", "2"}}));
    EXPECT_EQ(rs.Open("STATIONS", "W4ABC", "K1XYZ"), TDBResultSet::kOK);
    EXPECT_TRUE(rs.Rows.empty());
    EXPECT_EQ(rs.Eof, 0);
}

TEST_F(ResultSetTest, MultiKeyRowsAreWalkedInWriteOrder) {
    // ABCDEF* share a bucket by their first six characters, AB and CA by their
    // sums; keys are written in mixed case and with blanks, rows deleted between.
    int n = 0;
    for (const char* key : {"ABCDEFG", "AB", "ABCDEFH", "abcdefg ", "CA", "W1AW", "ABCDEFG", "ca"})
        Insert("LOG", {key, std::to_string(n++)});
    for (const auto& [key, skip] : {std::pair<const char*, int>{"ABCDEFG", 1}, {"ca", 0}}) {
        TDBResultSet rs;
        ASSERT_EQ(rs.Open("LOG", key, key), TDBResultSet::kOK);
        for (int i = 0; i < skip; ++i) rs.Next();
        EXPECT_EQ(rs.DeleteCurrent(), 0);
        rs.Next();  // walking on after a delete is safe
    }
    Insert("LOG", {"ABCDEFG", "99"});
    EXPECT_EQ(Select("LOG", "abcdefg", 2),
              (Rows{{"ABCDEFG", "0"}, {"ABCDEFG", "6"}, {"ABCDEFG", "99"}}));
    EXPECT_EQ(Select("LOG", " ca", 2), (Rows{{"CA", "7"}}));
    EXPECT_EQ(Select("LOG", "AB", 2), (Rows{{"AB", "1"}}));
    EXPECT_TRUE(Select("LOG", "ABCDEFX", 2).empty());
    TDBResultSet rs;
    ASSERT_EQ(rs.Open("LOG", "ABCDEFG", "ABCDEFG"), TDBResultSet::kOK);
    EXPECT_EQ(rs.CurrentFields, rs.Rows.front());
    EXPECT_EQ(rs.CurrentRow->Fields, rs.Rows.back());
    for (int i = 0; i < 3; ++i) rs.Next();
    ASSERT_EQ(rs.Open("LOG", "AB", "AB"), TDBResultSet::kOK);
    EXPECT_EQ(rs.Eof, -1);  // walked to the end, opened again: Eof is not reset
    // The rows stay valid after the shared list is reset (posting resets it too).
    ASSERT_EQ(rs.Open("LOG", "ABCDEFG", "ABCDEFG"), TDBResultSet::kOK);
    TDBRows::Reset();
    Insert("LOG", {"ABCDEFG", "3"});
    ASSERT_EQ(rs.Rows.size(), 3u);
    EXPECT_EQ(rs.Rows[1]->GetField(1)->Value, "6");
    // A chain that leads into another table raises, with the rows read before it.
    Insert("STATIONS", {"W4ABC", "elsewhere", "1"});  // on the next page
    TDBResultSet station;
    ASSERT_EQ(station.Open("STATIONS", "W4ABC", "W4ABC"), TDBResultSet::kOK);
    const uint32_t second = std::stoul(rs.Rows[1]->GetField(2)->Value);
    const uint32_t other = std::stoul(station.CurrentFields->GetField(3)->Value);
    std::memcpy(TDbKernel::Base() + second + 8 + 14, &other, 4);  // its Tail, behind 14 bytes
    EXPECT_EQ(Thrown<ExcCorruptDataPages>([&] { rs.Open("LOG", "ABCDEFG", "ABCDEFG"); }),
              KernelMessages::kCorruptDataPages);
    EXPECT_EQ(rs.Rows.size(), 2u);
    EXPECT_TRUE(dialogs_->Messages.empty());
}

TEST_F(ResultSetTest, PostUpdateDeleteAndAppend) {
    TDBResultSet rs;
    ASSERT_EQ(rs.Open("STATIONS", "", ""), TDBResultSet::kOK);
    const TDBFieldsPtr shared = rs.CurrentFields;
    ASSERT_EQ(rs.AppendRow(), TDBResultSet::kOK);
    const TDBFieldsPtr first = rs.CurrentFields;
    rs.CurrentFields->GetField(1)->Value = "no key";
    EXPECT_EQ(rs.Post(), 999);                     // a row without key value is not posted
    ASSERT_EQ(rs.AppendRow(), TDBResultSet::kOK);  // a fresh list every time
    EXPECT_TRUE(rs.CurrentFields != first && rs.CurrentFields != shared);
    std::string report;
    EXPECT_EQ(DbKernel->CheckDatabase(report, 5), 0);
    EXPECT_EQ(rs.DeleteCurrent(), 999);  // nothing current: nothing deleted
    Insert("STATIONS", {"W4ABC", "old", "1"});
    ASSERT_EQ(rs.Open("STATIONS", "W4ABC", "W4ABC"), TDBResultSet::kOK);
    rs.CurrentFields->GetField(1)->Value = "new";
    rs.Update();
    EXPECT_EQ(Select("STATIONS", "W4ABC", 3), (Rows{{"W4ABC", "new", "1"}}));
}

TEST_F(ResultSetTest, SequencesCountFromZeroPerTable) {
    TDBResultSet rs, stations;
    ASSERT_EQ(rs.Open("LOG", "", ""), TDBResultSet::kOK);
    for (int32_t n = 0; n < 3; ++n) EXPECT_EQ(rs.GetSequencedNumber("LOG"), n);
    EXPECT_EQ(Select("SEQUENCES", "6", 2), (Rows{{"6", "2"}}));  // LOG's row, overwritten in place
    ASSERT_EQ(stations.Open("STATIONS", "", ""), TDBResultSet::kOK);
    EXPECT_EQ(stations.GetSequencedNumber("STATIONS"), 0);
    EXPECT_EQ(rs.GetSequencedNumber("LOG"), 3);
    EXPECT_EQ(Thrown<ExcVersionRestriction>([&] { rs.GetSequencedNumber("STATIONS"); }),
              KernelMessages::kVersionRestriction);
    Insert("SEQUENCES", {"6", "2147483647"});  // at its last number: no further one
    EXPECT_THROW(rs.GetSequencedNumber("LOG"), std::exception);
    EXPECT_EQ(Select("SEQUENCES", "6", 2), (Rows{{"6", "2147483647"}}));
    MustSql("DROP TABLE SEQUENCES");  // without the table the number stays 0
    EXPECT_EQ(rs.GetSequencedNumber("LOG") + rs.GetSequencedNumber("LOG"), 0);
}
