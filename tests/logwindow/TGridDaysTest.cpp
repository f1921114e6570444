// The grid's kept days list the rows a fresh load sorted by the whole key
// would, through adds and deletions, and read again only changed days.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "logwindow/TGridDays.h"
#include "records/RecordsFixture.h"

namespace {

std::string RowOf(const TQSO& q) {
    return q.Call + " " + q.StartTime + " #" + std::to_string(q.QSOID);
}

// The grid's order by its definition: every day loaded in the order given,
// one stable sort by year + date + start + list position, in lower case.
std::vector<std::string> Sorted(const std::vector<std::string>& dates) {
    std::vector<std::pair<std::string, std::string>> all;
    for (const std::string& date : dates) {
        TQSOs qsos;
        qsos.LoadDay(date, date);
        for (size_t i = 0; i < qsos.QSOs.size(); ++i) {
            const TQSO& q = *qsos.QSOs[i];
            std::string key = (q.QSODate.size() > 6 ? q.QSODate.substr(6, 4) : "") + q.QSODate +
                              q.StartTime + std::to_string(i);
            for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            all.emplace_back(key, RowOf(q));
        }
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> rows;
    for (const auto& e : all) rows.push_back(e.second);
    return rows;
}

std::vector<std::string> Texts(const std::vector<const std::string*>& rows) {
    std::vector<std::string> out;
    for (const std::string* r : rows) out.push_back(*r);
    return out;
}

class GridDaysTest : public RecordsFixture {};

TEST_F(GridDaysTest, KeptDaysListAsAFreshSortThroughAddsAndDeletes) {
    // Ten-character dates, one given twice, and dates of other lengths
    // (sorted together row by row); start times whose texts collide.
    const std::vector<std::vector<std::string>> dateLists = {
        {"05/17/2024", "05/16/2024", "12/31/2023", "01/01/2024"},
        {"05/17/2024", "05/16/2024", "05/17/2024"},
        {"5/7/2024", "05/16/2024", "12/31/2023"}};
    const std::vector<std::string> starts = {"12:00", "12:0", "12:01", "09:30", "AB:00", "ab:00"};
    const std::vector<std::string> calls = {"W1AW", "k1xyz", "DL1ABC", "W1AW"};
    std::mt19937 rng(99);
    TGridDays kept;
    for (int step = 0; step < 90; ++step) {
        const std::vector<std::string>& dates = dateLists[static_cast<size_t>(step / 30)];
        TQSOs qsos;
        const std::string date = dates[rng() % dates.size()];
        if (rng() % 4 != 0) {
            ASSERT_NE(nullptr, qsos.AddQSO(date, calls[rng() % calls.size()],
                                           starts[rng() % starts.size()], "", "7.0", 5, "CW", 599,
                                           599, 0, 0, 0, "05", "", "", "", "", 0, "", "", "", ""));
        } else {
            qsos.LoadDay(date, date);
            if (!qsos.QSOs.empty())
                qsos.DeleteQSO(*qsos.QSOs[rng() % qsos.QSOs.size()]);
        }
        TQSOs loads;
        EXPECT_EQ(Sorted(dates), Texts(kept.Load(dates, loads, RowOf))) << step;
        // Nothing changed since: no day is read again.
        loads.QSOs.clear();
        EXPECT_EQ(Sorted(dates), Texts(kept.Load(dates, loads, RowOf))) << step;
        EXPECT_TRUE(loads.QSOs.empty()) << step;
    }
}

TEST_F(GridDaysTest, OnlyTheChangedDayIsReadAgain) {
    const std::vector<std::string> dates = {"05/17/2024", "05/16/2024", "05/15/2024"};
    TQSOs qsos;
    for (const std::string& date : dates) ASSERT_NE(nullptr, Add(qsos, date, "W1AW"));
    TGridDays kept;
    kept.Load(dates, qsos, RowOf);
    ASSERT_NE(nullptr, Add(qsos, "05/16/2024", "K1ABC"));
    TQSOs loads;
    EXPECT_EQ(Sorted(dates), Texts(kept.Load(dates, loads, RowOf)));
    ASSERT_EQ(2u, loads.QSOs.size());  // the last day read holds both of that day
    EXPECT_EQ("05/16/2024", loads.QSOs[0]->QSODate);
}

}  // namespace
