#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "RecordsFixture.h"
#include "kernel/DbFormat.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

namespace {

class TQSOsTest : public RecordsFixture {
protected:
    TQSO* Add(TQSOs& qsos, const std::string& date, const std::string& call,
              const std::string& start = "12:00") {
        return qsos.AddQSO(date, call, start, "12:05", "14.025", 100, "CW", 599, 579, 0, 1, 2, "05",
                           "U.S.A.", "", "FN42", "", 0, "c1", "c2", "c3", "c4");
    }
    std::vector<int32_t> NumbersOfDay(const std::string& date) {
        TQSOs qsos;
        qsos.LoadDay(date, date);
        std::vector<int32_t> out;
        for (const auto& q : qsos.QSOs) out.push_back(q->QSOID);
        return out;
    }
};

TEST_F(TQSOsTest, AddQSOStoresEveryFieldNumbersFromZeroAndWritesTheDateIndexRow) {
    TQSOs qsos;
    TQSO* first =
        qsos.AddQSO("01/15/2003", "w1abc", "14:02", "14:10", "14.025", 100, "CW", 599, 579, 1, 2, 3,
                    "05", "U.S.A.", "Wake", "FN42", "W3HNK", 7, "ca", "cb", "cc", "cd");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(0, first->QSOID);
    ASSERT_EQ(1u, qsos.QSOs.size());
    EXPECT_EQ(first, qsos.QSOs[0].get());

    const auto rows = RowsOf("QSOLOG", "W1ABC");
    ASSERT_EQ(1u, rows.size());
    const std::vector<std::string> expected = {
        "0",    "01/15/2003", "W1ABC", "14:02", "14:10", "14.025", "100",    "CW",
        "599",  "579",        "1",     "2",     "3",     "05",     "U.S.A.", "Wake",
        "FN42", "W3HNK",      "7",     "ca",    "cb",    "cc",     "cd"};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i], rows[0].GetField(static_cast<int>(i))->Value) << "position " << i;
    }
    // Contest fields map by column, whatever their order in the record.
    EXPECT_EQ("ca", first->Contest1);
    EXPECT_EQ("cb", first->Contest2);
    EXPECT_EQ(7, first->ColLayoutType);
    EXPECT_EQ("w1abc", first->Call);  // built from the posted list, not read back

    const auto index = RowsOf("QSO_DATE_INDEX", "01/15/2003");
    ASSERT_EQ(1u, index.size());
    EXPECT_EQ("0", index[0].GetField(1)->Value);
    EXPECT_EQ("w1abc", index[0].GetField(2)->Value);

    TQSO* second = Add(qsos, "01/15/2003", "K2XYZ");
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(1, second->QSOID);
    EXPECT_EQ(2, LiveRows("QSO_DATE_INDEX"));
    EXPECT_TRUE(DatabaseSound());
}

TEST_F(TQSOsTest, AddQSOWithoutTheLogTableWritesNothing) {
    DropTable("QSOLOG");
    TQSOs qsos;
    EXPECT_EQ(nullptr, Add(qsos, "01/15/2003", "W1ABC"));
    EXPECT_TRUE(qsos.QSOs.empty());
    EXPECT_EQ(0, LiveRows("SEQUENCES"));
    EXPECT_EQ(0, LiveRows("QSO_DATE_INDEX"));
}

TEST_F(TQSOsTest, LoadDayTakesEachStationOnceAndOnlyContactsOfThatDay) {
    TQSOs qsos;
    Add(qsos, "03/01/2004", "W1ABC");  // 0
    Add(qsos, "03/01/2004", "K2XYZ");  // 1
    Add(qsos, "03/01/2004", "W1ABC");  // 2: same station, same day
    Add(qsos, "03/02/2004", "W1ABC");  // 3: same station, next day
    Add(qsos, "02/29/2004", "K2XYZ");  // 4: day before

    // Grouped by call sign in order of first appearance, then write order.
    EXPECT_EQ((std::vector<int32_t>{0, 2, 1}), NumbersOfDay("03/01/2004"));
    EXPECT_EQ((std::vector<int32_t>{3}), NumbersOfDay("03/02/2004"));
    EXPECT_TRUE(NumbersOfDay("03/03/2004").empty());

    // A range of two different dates selects nothing.
    qsos.LoadDay("03/01/2004", "03/02/2004");
    EXPECT_TRUE(qsos.QSOs.empty());

    // Loading again replaces the list rather than adding to it.
    qsos.LoadDay("03/01/2004", "03/01/2004");
    qsos.LoadDay("03/01/2004", "03/01/2004");
    EXPECT_EQ(3u, qsos.QSOs.size());
    ASSERT_NE(nullptr, qsos.Current);
}

TEST_F(TQSOsTest, DeleteQSORemovesTheContactItsIndexRowAndItsTextOnly) {
    TQSOs qsos;
    TQSO* a = Add(qsos, "05/05/2005", "W1ABC");
    TQSO* b = Add(qsos, "05/05/2005", "W1ABC");
    TQSOMemos memos;
    ASSERT_EQ(0, memos.SaveText(a->QSOID, std::string(300, 'x')));  // two pieces
    ASSERT_EQ(0, memos.SaveText(b->QSOID, "keep me"));

    TQSO victim = *a;
    qsos.DeleteQSO(victim);

    EXPECT_EQ((std::vector<int32_t>{1}), NumbersOfDay("05/05/2005"));
    EXPECT_EQ(1, LiveRows("QSOLOG"));
    EXPECT_EQ(1, LiveRows("QSO_DATE_INDEX"));
    memos.LoadForQSO(0);
    EXPECT_TRUE(memos.Memos.empty());
    memos.LoadForQSO(1);
    ASSERT_EQ(1u, memos.Memos.size());
    EXPECT_EQ("keep me", memos.Memos[0]->Text);
    EXPECT_TRUE(DatabaseSound());
}

TEST_F(TQSOsTest, DeleteQSOOfACallWithoutLogRowsLeavesIndexAndTextRows) {
    TQSOs qsos;
    TQSO* a = Add(qsos, "05/05/2005", "W1ABC");
    TQSOMemos memos;
    ASSERT_EQ(0, memos.SaveText(a->QSOID, "text"));
    TQSO ghost = *a;
    ghost.Call = "NOBODY";
    qsos.DeleteQSO(ghost);
    EXPECT_EQ(1, LiveRows("QSOLOG"));
    EXPECT_EQ(1, LiveRows("QSO_DATE_INDEX"));
    EXPECT_EQ(1, LiveRows("QSO_TEXT"));

    TQSO empty = *a;
    empty.Call = "";
    qsos.DeleteQSO(empty);
    EXPECT_EQ(1, LiveRows("QSO_DATE_INDEX"));
    EXPECT_EQ(1, LiveRows("QSO_TEXT"));
}

TEST_F(TQSOsTest, DeleteQSOKeepsAnotherStationsIndexRowWhenTheSequencesDrifted) {
    TQSOs qsos;
    Add(qsos, "06/06/2006", "W1ABC");  // number 0, index 0
    {
        // A number drawn elsewhere (the administration window's test button).
        TDBResultSet rs;
        ASSERT_EQ(0, rs.Open("QSOLOG", "", ""));
        rs.AppendRow();
        EXPECT_EQ(1, rs.GetSequencedNumber("QSOLOG"));
    }
    TQSO* b = Add(qsos, "06/06/2006", "K2XYZ");  // number 2, index 1
    TQSO* c = Add(qsos, "06/06/2006", "N3QQ");   // number 3, index 2
    ASSERT_EQ(2, b->QSOID);
    ASSERT_EQ(3, c->QSOID);

    TQSO victim = *b;  // its number equals N3QQ's index number
    qsos.DeleteQSO(victim);
    EXPECT_EQ((std::vector<int32_t>{0, 3}), NumbersOfDay("06/06/2006"));
}

TEST_F(TQSOsTest, IsStoredTellsAWriteTheFullFileRefused) {
    TQSOs qsos;
    TQSO* a = Add(qsos, "07/07/2007", "W1ABC");
    ASSERT_NE(nullptr, a);
    EXPECT_TRUE(qsos.IsStored(*a));
    TQSO other = *a;
    other.QSODate = "07/08/2007";
    EXPECT_FALSE(qsos.IsStored(other));
    TQSO victim = *a;
    qsos.DeleteQSO(victim);
    EXPECT_FALSE(qsos.IsStored(victim));

    // Every data page handed to some table: none is left for a table that
    // holds no row yet (QSO_TEXT here).
    uint8_t* base = TDbKernel::Base();
    for (uint32_t p = 0; p < DbFormat::kDataPageCount; ++p) {
        uint8_t* page = base + DbFormat::kDataRegionBase + p * DbFormat::kDataPageSize;
        uint32_t owner = 0;
        std::memcpy(&owner, page, 4);
        if (owner == 0) {
            owner = 50;
            std::memcpy(page, &owner, 4);
        }
    }
    TQSOMemos memos;
    EXPECT_EQ(999, memos.SaveText(0, "no room"));
    memos.LoadForQSO(0);
    EXPECT_TRUE(memos.Memos.empty());
    EXPECT_TRUE(dialogs_->Messages.empty());  // refused before any write
}

TEST_F(TQSOsTest, AddQSOIntoAFullFileIsNotStored) {
    uint8_t* base = TDbKernel::Base();
    for (uint32_t p = 0; p < DbFormat::kDataPageCount; ++p) {
        const uint32_t owner = 50;
        std::memcpy(base + DbFormat::kDataRegionBase + p * DbFormat::kDataPageSize, &owner, 4);
    }
    TQSOs qsos;
    TQSO* a = Add(qsos, "07/07/2007", "W1ABC");
    EXPECT_EQ(nullptr, a);  // refused, not stored in part
    EXPECT_EQ(0, LiveRows("QSOLOG"));
    EXPECT_EQ(0, LiveRows("QSO_DATE_INDEX"));
}

TEST_F(TQSOsTest, QSOFromFieldsRefusesANonNumericIntegerColumn) {
    TQSOs qsos;
    Add(qsos, "01/01/2001", "W1ABC");
    auto rows = RowsOf("QSOLOG", "W1ABC");
    ASSERT_EQ(1u, rows.size());
    rows[0].GetField(TQSOs::kColPower)->Value = "12a";
    EXPECT_THROW(qsos.QSOFromFields(rows[0]), std::invalid_argument);
    rows[0].GetField(TQSOs::kColPower)->Value = "";
    EXPECT_THROW(qsos.QSOFromFields(rows[0]), std::invalid_argument);
    rows[0].GetField(TQSOs::kColPower)->Value = "-5";
    EXPECT_EQ(-5, qsos.QSOFromFields(rows[0])->Power);
    EXPECT_EQ(-5, qsos.Current->Power);
}

}  // namespace
