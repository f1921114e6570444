// LoadDay lists each contact of the day once, whatever case or blanks its
// call sign was stored with, and keeps no row it read.
#include <gtest/gtest.h>

#include <algorithm>

#include "RecordsFixture.h"
#include "records/TQSOs.h"
#include "schema/TDBRows.h"

namespace {

class LoadDayTest : public RecordsFixture {
protected:
    int32_t Add(const std::string& date, const std::string& call, const std::string& start) {
        TQSOs qsos;
        TQSO* q = qsos.AddQSO(date, call, start, start, "7.025", 5, "CW", 599, 599, 0, 0, 0, "05",
                              "", "", "", "", 0, "", "", "", "");
        return q ? q->QSOID : -1;
    }
};

TEST_F(LoadDayTest, AStationStoredWithAnotherCaseOrBlanksIsListedOnce) {
    struct TCase {
        std::vector<std::string> Spellings;  // one contact each, same day
    };
    const std::vector<TCase> cases = {
        {{"K1XYZ", "k1xyz"}},
        {{"K1XYZ", " K1XYZ"}},
        {{"k1xyz", " K1XYZ ", "K1xyz"}},
        {{"W1AW", "W1AW"}},
    };
    int day = 1;
    for (const TCase& c : cases) {
        const std::string date =
            "04/" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "/2011";
        ++day;
        std::vector<int32_t> stored;
        for (size_t i = 0; i < c.Spellings.size(); ++i)
            stored.push_back(Add(date, c.Spellings[i], "1" + std::to_string(i) + ":00"));
        // The same station on the day before is read but not listed.
        Add("03/31/2011", c.Spellings.front(), "09:00");
        std::vector<int32_t> listed = NumbersOfDay(date);
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(stored, listed) << "first spelling '" << c.Spellings.front() << "'";
    }
}

TEST_F(LoadDayTest, RepeatedLoadsKeepNoRowsInTheProcessWideList) {
    for (int i = 0; i < 30; ++i) Add("05/05/2012", "DL" + std::to_string(i % 7) + "AB", "10:00");
    ASSERT_EQ(30u, NumbersOfDay("05/05/2012").size());
    const size_t held = TDBRows::SharedCount();
    for (int round = 0; round < 5; ++round) EXPECT_EQ(30u, NumbersOfDay("05/05/2012").size());
    EXPECT_EQ(held, TDBRows::SharedCount());
    EXPECT_LE(held, 1u);
}

}  // namespace
