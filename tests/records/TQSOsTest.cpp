#include <stdexcept>

#include "RecordsFixture.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

using TQSOsTest = RecordsFixture;

// Each column's value is checked by the export test; here the numbering, the
// date index rows behind LoadDay, and a table that is not there.
TEST_F(TQSOsTest, LoadDayTakesEachStationOnceAndOnlyContactsOfThatDay) {
    TQSOs qsos;
    EXPECT_EQ(0, Add(qsos, "03/01/2004", "W1ABC")->QSOID);
    Add(qsos, "03/01/2004", "K2XYZ");                             // 1
    Add(qsos, "03/01/2004", "W1ABC");                             // 2: same station, same day
    EXPECT_EQ("c4", Add(qsos, "03/02/2004", "W1ABC")->Contest4);  // 3: next day
    // Grouped by call sign in order of first appearance, then write order.
    EXPECT_EQ((std::vector<int32_t>{0, 2, 1}), NumbersOfDay("03/01/2004"));
    EXPECT_EQ((std::vector<int32_t>{3}), NumbersOfDay("03/02/2004"));
    ExpectSound();

    auto row = RowsOf("QSOLOG", "K2XYZ").at(0);  // a number column holding no number
    row.GetField(TQSOs::kColPower)->Value = "12a";
    EXPECT_THROW(qsos.QSOFromFields(row), std::invalid_argument);
    DropTable("QSOLOG");
    EXPECT_EQ(nullptr, Add(qsos, "03/01/2004", "N3QQ"));
    EXPECT_EQ(4, LiveRows("QSO_DATE_INDEX"));
}

TEST_F(TQSOsTest, DeleteQSORemovesTheContactItsIndexRowAndItsTextOnly) {
    TQSOs qsos;
    TQSO a = *Add(qsos, "05/05/2005", "W1ABC");
    TQSO b = *Add(qsos, "05/05/2005", "W1ABC");
    TQSOMemos memos;
    ASSERT_EQ(0, memos.SaveText(a.QSOID, std::string(300, 'x')));  // two pieces
    ASSERT_EQ(0, memos.SaveText(b.QSOID, "keep me"));
    TQSO ghost = a;  // a call without log rows deletes nothing
    ghost.Call = "NOBODY";
    qsos.DeleteQSO(ghost);
    EXPECT_EQ(3, LiveRows("QSO_TEXT"));

    EXPECT_TRUE(qsos.IsStored(a));
    qsos.DeleteQSO(a);
    EXPECT_FALSE(qsos.IsStored(a));
    EXPECT_EQ((std::vector<int32_t>{1}), NumbersOfDay("05/05/2005"));
    EXPECT_EQ(1, LiveRows("QSO_DATE_INDEX"));
    memos.LoadForQSO(b.QSOID);
    EXPECT_EQ(1u, memos.Memos.size());  // and nothing else
    EXPECT_EQ(1, LiveRows("QSO_TEXT"));
    ExpectSound();
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
    TQSO b = *Add(qsos, "06/06/2006", "K2XYZ");            // number 2, index 1
    ASSERT_EQ(3, Add(qsos, "06/06/2006", "N3QQ")->QSOID);  // number 3, index 2
    qsos.DeleteQSO(b);                                     // its number equals N3QQ's index number
    EXPECT_EQ((std::vector<int32_t>{0, 3}), NumbersOfDay("06/06/2006"));
}
