// The index of days answers as walking the date index and each station's
// chain does, through adds, deletions, truncation and a row zeroed behind
// the kernel's back.
#include <gtest/gtest.h>

#include <random>

#include "RecordsFixture.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TRowView.h"
#include "records/TQSODayIndex.h"

namespace {

class DayIndexTest : public RecordsFixture {
protected:
    // The contact numbers of the day by the walk: stations in the order of
    // their first date-index row, each with its contacts of the day.
    static std::vector<std::string> Walked(const std::string& date) {
        std::vector<std::string> calls, out;
        for (const TDBFields& x : RowsOf(TQSOs::kDateIndexTable, date)) {
            const std::string call = UpperText(TrimText(x.GetField(TQSOs::kIdxCall)->Value));
            if (std::find(calls.begin(), calls.end(), call) == calls.end())
                calls.push_back(call);
        }
        for (const std::string& call : calls)
            for (const TDBFields& r : RowsOf(TQSOs::kLogTable, call))
                if (r.GetField(TQSOs::kColDate)->Value == date)
                    out.push_back(r.GetField(TQSOs::kColNumber)->Value);
        return out;
    }
    void ExpectSameDays(const std::vector<std::string>& dates, bool indexAnswers) {
        for (const std::string& date : dates) {
            std::vector<std::string> indexed, loaded;
            EXPECT_EQ(indexAnswers,
                      TQSODayIndex::Instance().VisitDay(date, [&](const TRowView& row) {
                          indexed.push_back(row.Text(TQSOs::kColNumber));
                      }));
            TQSOs qsos;
            qsos.LoadDay(date, date);
            for (const auto& q : qsos.QSOs) loaded.push_back(std::to_string(q->QSOID));
            const std::vector<std::string> walked = Walked(date);
            EXPECT_EQ(indexAnswers ? walked : indexed, indexed) << date;
            EXPECT_EQ(walked, loaded) << date;
        }
    }
};

TEST_F(DayIndexTest, AnswersAsTheChainsDoThroughWritesDeletionsAndTruncation) {
    const std::vector<std::string> dates = {"03/07/2019", "03/07/2020", "03/07/2021", "03/08/2020",
                                            "12/31/2021"};
    const std::vector<std::string> calls = {"W1AW",   "w1aw",   " K1XYZ ",  "k1xyz",
                                            "DL1ABC", "DL1ABD", "JA1ZZZ/P", "VE3AAA"};
    std::mt19937 rng(4711);
    for (int round = 0; round < 3; ++round) {
        for (int step = 0; step < 120; ++step) {
            TQSOs qsos;
            const std::string date = dates[rng() % dates.size()];
            if (rng() % 5 != 0) {
                ASSERT_NE(nullptr, Add(qsos, date, calls[rng() % calls.size()]));
            } else {
                qsos.LoadDay(date, date);
                if (!qsos.QSOs.empty())
                    qsos.DeleteQSO(*qsos.QSOs[rng() % qsos.QSOs.size()]);
            }
            if (step % 40 == 39)
                ExpectSameDays(dates, true);
        }
        const char* cut = round == 0 ? TQSOs::kDateIndexTable : TQSOs::kLogTable;
        ASSERT_TRUE(round == 2 || DbKernel->TruncateTable(cut) == 0);
        ExpectSameDays(dates, true);
    }
    // A contact's row zeroed without the kernel: the walk answers instead.
    TQSOs qsos;
    qsos.LoadDay(dates[0], dates[0]);
    ASSERT_FALSE(qsos.QSOs.empty());
    const std::string number = std::to_string(qsos.QSOs.front()->QSOID);
    for (const TDBFields& r : RowsOf(TQSOs::kLogTable, qsos.QSOs.front()->Call))
        if (r.GetField(TQSOs::kColNumber)->Value == number)
            std::memset(TDbKernel::Base() + std::stoul(r.GetField(TQSOs::kColumnCount)->Value) +
                            DbFormat::kRowRowIDOffset,
                        0, 4);
    ExpectSameDays({dates[0]}, false);
    ExpectSameDays(dates, true);
}

// Links rewritten behind the kernel's back: W1AW's chain leads back in the
// file and ends in K1XYZ's contact, K1XYZ's chain is empty; and a day whose
// first date-index key has a blank.
TEST_F(DayIndexTest, AnswersAsTheChainsDoWhenAChainLeadsBackOrHoldsAnotherCallsRow) {
    const std::string date = "06/01/2020";
    TQSOs qsos;
    for (const char* call : {"W1AW", "W1AW", "K1XYZ"}) ASSERT_NE(nullptr, Add(qsos, date, call));
    // A date-index key stored with a blank still places its station first.
    const std::pair<const char*, const char*> padded[] = {
        {" 6/1/2020", "N0PAD"}, {"6/1/2020", "N0PAE"}, {"6/1/2020", "N0PAD"}};
    for (const auto& [day, call] : padded) ASSERT_NE(nullptr, Add(qsos, day, call));
    const uint32_t log = DbKernel->GetTableIDFromName(TQSOs::kLogTable);
    TRowLayout layout;
    int32_t keyIndex = 0;
    bool multiKey = false;
    ASSERT_TRUE(DbKernel->DescribeTable(log, layout, keyIndex, multiKey));
    auto head = [&](const char* call) {
        return DbFormat::kBucketRegionBase + (log + 1) * DbFormat::kBucketBlockSize +
               4 * static_cast<uint32_t>(DbKernelHelper->GetStringHash(call));
    };
    auto tail = [&](uint32_t slot) { return slot + DbFormat::kRowFieldsOffset + layout.RowSize; };
    auto word = [](uint32_t at) {
        uint32_t v = 0;
        std::memcpy(&v, TDbKernel::Base() + at, 4);
        return v;
    };
    auto set = [](uint32_t at, uint32_t v) { std::memcpy(TDbKernel::Base() + at, &v, 4); };
    const uint32_t a = word(head("W1AW")), b = word(tail(a)), c = word(head("K1XYZ"));
    ASSERT_TRUE(head("W1AW") != head("K1XYZ") && a < b && word(tail(b)) == 0 && c != 0);
    set(head("W1AW"), b);
    set(tail(b), a);
    set(tail(a), c);
    set(head("K1XYZ"), 0);
    TQSODayIndex::Instance().Reset();
    const std::vector<std::string> walked = Walked(date);
    ASSERT_EQ(2u, walked.size());
    EXPECT_GT(std::stoi(walked[0]), std::stoi(walked[1]));
    const std::vector<std::string> first = Walked("6/1/2020");
    ASSERT_EQ(2u, first.size());
    EXPECT_GT(std::stoi(first[0]), std::stoi(first[1]));
    ExpectSameDays({date, "6/1/2020"}, true);
}

}  // namespace
