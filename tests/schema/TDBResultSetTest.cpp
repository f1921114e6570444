// Result sets: selecting by key, walking, appending, posting, deleting, and
// the per-table sequences.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "SchemaTestSupport.h"
#include "kernel/CustomExceptions.h"
#include "kernel/TDbKernel.h"
#include "schema/TDBResultSet.h"
#include "schema/TDBRows.h"

using Rows = std::vector<std::vector<std::string>>;

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

TEST_F(ResultSetTest, OpenStatuses) {
    TDBResultSet rs;
    EXPECT_EQ(rs.Eof, 0);
    EXPECT_EQ(rs.Index, -1);
    EXPECT_EQ(rs.Open("", "A", "A"), TDBResultSet::kNoTableName);
    EXPECT_EQ(rs.Open("NOSUCH", "A", "A"), TDBResultSet::kUnknownTable);
    std::string error;
    ASSERT_EQ(Sql("CREATE TABLE HALF (K INT PRIMARY KEY", &error), 999);
    EXPECT_EQ(rs.Open("HALF", "A", "A"), TDBResultSet::kNotAllocated);
    EXPECT_EQ(rs.Table, nullptr);
    EXPECT_EQ(rs.Open("STATIONS", "W4ABC", "W4ABC"), TDBResultSet::kNoRow);
    EXPECT_EQ(rs.Open("stations", "", ""), TDBResultSet::kOK);
    ASSERT_NE(rs.Table, nullptr);
    EXPECT_EQ(rs.Table->Name, "STATIONS");
    ASSERT_NE(rs.CurrentFields, nullptr);
    EXPECT_EQ(rs.CurrentFields->Count(), 65);
    EXPECT_TRUE(rs.Rows.empty());
}

TEST_F(ResultSetTest, PrimaryKeyRowIsOverwrittenInPlace) {
    Insert("STATIONS", {"w4abc", "first", "1"});
    Insert("STATIONS", {"W4ABC", "second", "2"});
    Insert("STATIONS", {"K1XYZ", "other", "3"});
    EXPECT_EQ(Select("STATIONS", "W4ABC", 3), (Rows{{"W4ABC", "second", "2"}}));
    EXPECT_EQ(Select("STATIONS", " w4abc ", 3), (Rows{{"W4ABC", "second", "2"}}));
}

TEST_F(ResultSetTest, TwoDifferentKeysSelectNothing) {
    Insert("STATIONS", {"A1", "x", "1"});
    TDBResultSet rs;
    EXPECT_EQ(rs.Open("STATIONS", "A1", "Z9"), TDBResultSet::kOK);
    EXPECT_TRUE(rs.Rows.empty());
    EXPECT_EQ(rs.Eof, 0);
}

TEST_F(ResultSetTest, MultiKeyReturnsEveryRowInWriteOrder) {
    Insert("LOG", {"W1AW", "1"});
    Insert("LOG", {"K2XX", "9"});
    Insert("LOG", {"w1aw", "2"});
    Insert("LOG", {"W1AW", "3"});
    TDBResultSet rs;
    ASSERT_EQ(rs.Open("LOG", "W1AW", "W1AW"), TDBResultSet::kOK);
    ASSERT_EQ(rs.Rows.size(), 3u);
    std::vector<std::string> seen;
    int nexts = 0;
    while (rs.Eof == 0) {
        seen.push_back(rs.CurrentFields->GetField(1)->Value);
        rs.Next();
        ++nexts;
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(nexts, 3);
    EXPECT_EQ(rs.CurrentFields->GetField(1)->Value, "3");  // stays on the last row

    // Walked to the end, opened again: Eof is not reset.
    ASSERT_EQ(rs.Open("LOG", "K2XX", "K2XX"), TDBResultSet::kOK);
    EXPECT_EQ(rs.Eof, -1);
    EXPECT_EQ(rs.CurrentFields->GetField(1)->Value, "9");
}

// Open on a multi-key table against the rows that reading occurrence 1, 2,
// 3, … one at a time gives: values and attributes of every field, order,
// the shared row list, the current row, and what an exception leaves.
class MultiKeyOpenTest : public ResultSetTest {
protected:
    struct TSelection {
        std::vector<std::string> Rows;
        std::string Current;  // the current row's fields
        size_t Shared = 0;    // entries of the shared row list
        std::string Error;
        bool operator==(const TSelection&) const = default;
        friend void PrintTo(const TSelection& s, std::ostream* os) {
            *os << s.Rows.size() << " rows, shared " << s.Shared << ", error '" << s.Error << "'";
            for (const std::string& r : s.Rows) *os << "\n  " << r.substr(0, 100);
        }
    };
    static std::string Describe(const TDBFields& f) {
        std::string text;
        for (int i = 0; i < f.Count(); ++i) {
            const TDBFieldParent* p = f.GetField(i);
            text += std::to_string(p->Position) + "," + p->Name + "," + std::to_string(p->Length) +
                    "," + std::to_string(p->IsPrimary) + "," + std::to_string(p->KeyType) + "," +
                    std::to_string(p->DataType) + "," + std::to_string(p->TableID) + "=" +
                    p->Value + ";";
        }
        return text;
    }
    TSelection OneByOne(const std::string& key) {
        TSelection s;
        TDBRows rows;  // an empty shared list
        std::shared_ptr<TDBRow> last;
        try {
            for (int32_t occurrence = 1;; ++occurrence) {
                std::shared_ptr<TDBRow> row = rows.GetRow(kLog, key, occurrence);
                if (!row)
                    break;
                s.Rows.push_back(Describe(*row->Fields));
                last = row;
            }
        } catch (const ExcCorruptDataPages& e) {
            s.Error = e.what();
        }
        s.Current = last ? Describe(*last->Fields) : "";
        s.Shared = TDBRows::SharedCount();
        return s;
    }
    TSelection Opened(const std::string& key, int32_t eofBefore) {
        TSelection s;
        TDBRows::Reset();
        TDBResultSet rs;
        rs.Eof = eofBefore;
        int32_t status = -1;
        try {
            status = rs.Open("LOG", key, key);
        } catch (const ExcCorruptDataPages& e) {
            s.Error = e.what();
        }
        for (const TDBFieldsPtr& f : rs.Rows) s.Rows.push_back(Describe(*f));
        if (rs.CurrentRow) {
            s.Current = Describe(*rs.CurrentRow->Fields);
            EXPECT_EQ(rs.CurrentRow->State, 0);
            EXPECT_EQ(rs.CurrentRow->Fields, rs.Rows.back());
        }
        s.Shared = TDBRows::SharedCount();
        EXPECT_EQ(rs.Eof, eofBefore);
        if (s.Error.empty()) {
            EXPECT_EQ(status, s.Rows.empty() ? TDBResultSet::kNoRow : TDBResultSet::kOK);
            EXPECT_EQ(rs.Index, s.Rows.empty() ? -1 : 0);
            if (!s.Rows.empty()) {
                EXPECT_EQ(rs.CurrentFields, rs.Rows.front());
            }
        } else {
            EXPECT_EQ(rs.Index, -1);
        }
        return s;
    }
    static constexpr uint32_t kLog = 6;
};

TEST_F(MultiKeyOpenTest, SameRowsAsReadingOneOccurrenceAtATime) {
    // ABCDEF* share a bucket by their first six characters, AB and CA by
    // their sums.
    const std::vector<std::string> keys = {"ABCDEFG", "ABCDEFH", "abcdefg ", "AB", "CA", "W1AW"};
    const std::vector<std::string> probes = {"ABCDEFG", "abcdefh", "AB", " ca", "W1AW", "ABCDEFX"};
    std::mt19937 rng(7);
    size_t seen = 0;
    for (int op = 0; op < 300; ++op) {
        const std::string& key = keys[rng() % keys.size()];
        const unsigned roll = rng() % 100;
        if (roll < 65) {
            Insert("LOG", {key, std::to_string(op)});
        } else if (roll < 90) {
            TDBResultSet rs;
            if (rs.Open("LOG", key, key) != TDBResultSet::kOK)
                continue;
            for (size_t n = rng() % rs.Rows.size(); n > 0; --n) rs.Next();
            EXPECT_EQ(rs.DeleteCurrent(), 0);
        } else {
            for (const std::string& probe : probes) {
                const TSelection expected = OneByOne(probe);
                ASSERT_EQ(Opened(probe, op % 2 == 0 ? 0 : -1), expected) << probe << " op " << op;
                seen += expected.Rows.size();
            }
        }
    }
    EXPECT_GT(seen, 50u);
    EXPECT_TRUE(dialogs_->Messages.empty());
}

TEST_F(MultiKeyOpenTest, CorruptChainRaisesWithTheRowsReadBeforeIt) {
    for (const char* n : {"1", "2", "3"}) Insert("LOG", {"ABCDEFG", n});
    Insert("STATIONS", {"W4ABC", "elsewhere", "1"});  // the next page
    TDBResultSet log;
    ASSERT_EQ(log.Open("LOG", "ABCDEFG", "ABCDEFG"), TDBResultSet::kOK);
    const uint32_t second = static_cast<uint32_t>(std::stoul(log.Rows[1]->GetField(2)->Value));
    TDBResultSet station;
    ASSERT_EQ(station.Open("STATIONS", "W4ABC", "W4ABC"), TDBResultSet::kOK);
    const uint32_t other =
        static_cast<uint32_t>(std::stoul(station.CurrentFields->GetField(3)->Value));
    // The second row's Tail (after its 14 field bytes) leads into STATIONS.
    std::memcpy(TDbKernel::Base() + second + 8 + 14, &other, 4);

    const TSelection expected = OneByOne("ABCDEFG");
    EXPECT_EQ(expected.Rows.size(), 2u);
    EXPECT_EQ(expected.Error, KernelMessages::kCorruptDataPages);
    EXPECT_EQ(Opened("ABCDEFG", 0), expected);
}

TEST_F(ResultSetTest, RowsStayValidAfterTheSharedListIsReset) {
    Insert("LOG", {"W1AW", "1"});
    Insert("LOG", {"W1AW", "2"});
    TDBResultSet rs;
    ASSERT_EQ(rs.Open("LOG", "W1AW", "W1AW"), TDBResultSet::kOK);
    TDBRows::Reset();
    Insert("LOG", {"W1AW", "3"});  // posting starts the shared list afresh too
    ASSERT_EQ(rs.Rows.size(), 2u);
    EXPECT_EQ(rs.Rows[1]->GetField(1)->Value, "2");
}

TEST_F(ResultSetTest, DeleteCurrentAndUpdate) {
    Insert("LOG", {"W1AW", "1"});
    Insert("LOG", {"W1AW", "2"});
    {
        TDBResultSet rs;
        ASSERT_EQ(rs.Open("LOG", "W1AW", "W1AW"), TDBResultSet::kOK);
        EXPECT_EQ(rs.DeleteCurrent(), 0);
        rs.Next();  // walking on after a delete is safe
        EXPECT_EQ(rs.CurrentFields->GetField(1)->Value, "2");
    }
    EXPECT_EQ(Select("LOG", "W1AW", 2), (Rows{{"W1AW", "2"}}));

    Insert("STATIONS", {"W4ABC", "old", "1"});
    TDBResultSet rs;
    ASSERT_EQ(rs.Open("STATIONS", "W4ABC", "W4ABC"), TDBResultSet::kOK);
    rs.CurrentFields->GetField(1)->Value = "new";
    rs.Update();
    EXPECT_EQ(Select("STATIONS", "W4ABC", 3), (Rows{{"W4ABC", "new", "1"}}));

    // Nothing current: nothing deleted.
    TDBResultSet empty;
    ASSERT_EQ(empty.Open("STATIONS", "", ""), TDBResultSet::kOK);
    EXPECT_EQ(empty.DeleteCurrent(), 999);
}

TEST_F(ResultSetTest, RowWithoutKeyValueIsNotPosted) {
    TDBResultSet rs;
    ASSERT_EQ(rs.Open("STATIONS", "", ""), TDBResultSet::kOK);
    ASSERT_EQ(rs.AppendRow(), TDBResultSet::kOK);
    rs.CurrentFields->GetField(1)->Value = "no key";
    EXPECT_EQ(rs.Post(), 999);
    std::string report;
    EXPECT_EQ(DbKernel->CheckDatabase(report, 5), 0);  // raw count of the table's rows
}

TEST_F(ResultSetTest, AppendRowGivesAFreshListEveryTime) {
    TDBResultSet rs;
    ASSERT_EQ(rs.Open("STATIONS", "", ""), TDBResultSet::kOK);
    const TDBFieldsPtr shared = rs.CurrentFields;
    ASSERT_EQ(rs.AppendRow(), TDBResultSet::kOK);
    const TDBFieldsPtr first = rs.CurrentFields;
    ASSERT_EQ(rs.AppendRow(), TDBResultSet::kOK);
    EXPECT_NE(rs.CurrentFields, first);
    EXPECT_NE(rs.CurrentFields, shared);
    EXPECT_EQ(rs.CurrentFields->Count(), 65);
    EXPECT_EQ(rs.CurrentFields->GetField(0)->Name, "CALLSIGN");
    ASSERT_NE(rs.TableDef, nullptr);
    EXPECT_EQ(rs.TableDef->Name, "STATIONS");
    ASSERT_NE(rs.Table, nullptr);
    EXPECT_EQ(rs.Table->TableID, 5u);

    TDBResultSet none;
    EXPECT_EQ(none.AppendRow(), TDBResultSet::kNoRow);  // no table opened
    std::string error;
    ASSERT_EQ(Sql("CREATE TABLE HALF (K INT PRIMARY KEY", &error), 999);
    TDBResultSet half;
    half.Open("HALF", "", "");
    EXPECT_EQ(half.AppendRow(), TDBResultSet::kNotAllocated);
}

TEST_F(ResultSetTest, SequencesCountFromZero) {
    TDBResultSet rs;
    ASSERT_EQ(rs.Open("LOG", "", ""), TDBResultSet::kOK);
    EXPECT_EQ(rs.GetSequencedNumber("LOG"), 0);
    EXPECT_EQ(rs.GetSequencedNumber("LOG"), 1);
    EXPECT_EQ(rs.GetSequencedNumber("LOG"), 2);
    // LOG is table 6: its row in SEQUENCES, overwritten in place.
    EXPECT_EQ(Select("SEQUENCES", "6", 2), (Rows{{"6", "2"}}));

    TDBResultSet stations;
    ASSERT_EQ(stations.Open("STATIONS", "", ""), TDBResultSet::kOK);
    EXPECT_EQ(stations.GetSequencedNumber("STATIONS"), 0);
    EXPECT_EQ(rs.GetSequencedNumber("LOG"), 3);

    try {
        rs.GetSequencedNumber("STATIONS");
        FAIL();
    } catch (const ExcVersionRestriction& e) {
        EXPECT_STREQ(e.what(),
                     "This version of the resultset object does not accept join table conditions");
    }
}

TEST_F(ResultSetTest, BrokenSequenceRowReachesTheCaller) {
    TDBResultSet rs;
    ASSERT_EQ(rs.Open("LOG", "", ""), TDBResultSet::kOK);
    ASSERT_EQ(rs.GetSequencedNumber("LOG"), 0);
    // A sequence row at its last number cannot hand out another.
    Insert("SEQUENCES", {"6", "2147483647"});
    EXPECT_THROW(rs.GetSequencedNumber("LOG"), std::exception);
    EXPECT_EQ(Select("SEQUENCES", "6", 2), (Rows{{"6", "2147483647"}}));
}

TEST_F(ResultSetTest, MissingSequencesTableLeavesTheNumberZero) {
    MustSql("DROP TABLE SEQUENCES");
    TDBResultSet rs;
    ASSERT_EQ(rs.Open("LOG", "", ""), TDBResultSet::kOK);
    EXPECT_EQ(rs.GetSequencedNumber("LOG"), 0);
    EXPECT_EQ(rs.GetSequencedNumber("LOG"), 0);
}
