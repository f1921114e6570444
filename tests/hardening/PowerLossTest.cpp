// Power loss at every flush of the log's operations. Each operation runs on
// a copy of the same small log, once with full power (the "after" state) and
// then once per flush with the power cut after that flush. The file as the
// disk holds it must then be sound, hold every row either as it was before
// or as it is after the operation (no half-written row), and every chain
// must lead only to rows (no complaint while checking and reading).
#include <gtest/gtest.h>

#include <cstring>

#include <functional>

#include "HardeningFiles.h"
#include "TLogSnapshot.h"
#include "TTestDbFile.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TWriteBatch.h"
#include "platform/TScriptedDialogs.h"
#include "records/TDbSystemSettings.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "schema/TDBResultSet.h"
#include "schema/TSQLStatements.h"

using namespace HardeningFiles;

namespace {
void Store(const char* date, const char* call, const char* freq, const std::string& text) {
    TQSOs qsos;
    const TQSO* q = qsos.AddQSO(date, call, "12:30", "12:41", freq, 100, "SSB", 59, 57, 0, 1, 3,
                                "5", "U.S.A.", "Wake", "FN31", "W1XX", 0, "C1", "C2", "C3", "C4");
    EXPECT_NE(nullptr, q);
    if (q && !text.empty())
        TQSOMemos().SaveText(q->QSOID, text);
}

TQSO First() {
    TQSOs qsos;
    qsos.LoadDay("01/04/2002", "01/04/2002");
    return qsos.QSOs.empty() ? TQSO{} : *qsos.QSOs.front();
}

void SaveSettings(const std::vector<std::pair<const char*, const char*>>& settings) {
    for (const auto& [name, value] : settings) TDbSystemSettings().Save(name, value);
}

std::string TextOf(const TLogSnapshot& s, int32_t number) {
    const auto it = s.Texts.find(number);
    return it == s.Texts.end() ? std::string() : it->second;
}

// The window's save of a changed row: new version and text, old one deleted.
void ChangeInOneBatch() {
    const TWriteBatch batch;
    TQSO old = First();
    Store("01/04/2002", old.Call.c_str(), "7.005", std::string(300, 'y') + " two pieces");
    TQSOs().DeleteQSO(old);
}

void StoreInOneBatch() {
    const TWriteBatch batch;
    Store("01/05/2002", "K1NEW", "21.250", "the new text");
}

uint32_t Word(const std::string& path, uint32_t at) {
    uint32_t v = 0;
    std::ifstream(path, std::ios::binary).seekg(at).read(reinterpret_cast<char*>(&v), 4);
    return v;
}

void Put(const std::string& path, uint32_t at, uint32_t v) {
    std::fstream(path, std::ios::in | std::ios::out | std::ios::binary)
        .seekp(at)
        .write(reinterpret_cast<const char*>(&v), 4);
}

const std::pair<const char*, std::function<void()>> kScenarios[] = {
    {"store a contact with its text",
     [] { Store("01/05/2002", "K1NEW", "21.250", std::string(300, 'x') + " two pieces"); }},
    {"change a contact (new version stored, old one deleted)",
     [] {
         TQSO old = First();
         Store("01/04/2002", old.Call.c_str(), "7.005", "changed text");
         TQSOs().DeleteQSO(old);
     }},
    {"delete a contact",
     [] {
         TQSO old = First();
         TQSOs().DeleteQSO(old);
     }},
    {"replace a contact's text", [] { TQSOMemos().ReplaceText(First().QSOID, "a new text"); }},
    {"change a contact with its text in one write batch", ChangeInOneBatch},
    {"empty the log (truncate its five tables)",
     [] {
         for (const char* t :
              {"QSOLOG", "QSO_DATE_INDEX", "QSO_TEXT", "SYSTEM_SETTINGS", "SEQUENCES"})
             DbKernel->TruncateTable(t);
     }},
    {"create a table and store a row in it",
     [] {
         auto st = TSQLStatements::NewStatement(
             "CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY, NOTE CHAR[40] NOT NULL, "
             "QTY INT NULL)");
         ASSERT_EQ(0, st->Execute()) << st->LastError;
         TDBResultSet rs;
         ASSERT_EQ(TDBResultSet::kOK, rs.Open("STATIONS", "", ""));
         ASSERT_LT(rs.AppendRow(), 999);
         const char* values[] = {"W1AW", "a station", "3"};
         for (int i = 0; i < 3; ++i) rs.CurrentFields->GetField(i)->Value = values[i];
         rs.Post();
     }},
    {"save the settings",
     [] {
         SaveSettings({{"UTC_SHIFT", "-7"}, {"STATION_CALL", "W4XYZ"}, {"DEFAULT_MODE", "CW"}});
     }},
};

class PowerLoss : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        dir_ = MakeTempDir("powerloss");
        base_ = dir_ + "/base.sib";
        work_ = dir_ + "/db_default.sib";
        ASSERT_TRUE(MakeLogDatabase(base_, [] {
            Store("01/04/2002", "W1AW", "14.070", "the first contact");
            Store("01/04/2002", "DL1ABC", "14.200", "");
            SaveSettings({{"UTC_SHIFT", "5"}, {"STATION_CALL", "W4ABC"}});
        }));
        before_ = TLogSnapshot::Take(base_);
        ASSERT_TRUE(before_.Sound);
    }
    void TearDown() override {
        SetDbFileFactory({});
        std::filesystem::remove_all(dir_);
    }

    // Runs the scenario on a copy of the base (whole: the open after a cut
    // writes too); budget -1 keeps the power on. Answers the number of flushes.
    uint64_t Run(const std::function<void()>& scenario, int64_t budget, uint32_t seed) {
        std::filesystem::copy_file(base_, work_, std::filesystem::copy_options::overwrite_existing);
        TTestDbFile::Install({.Private = true,
                              .Budget = budget,
                              .TornCut = GetParam(),
                              .Random = std::mt19937(seed)});
        TDatabase db;
        EXPECT_EQ(0, db.StartDatabase(work_));
        scenario();
        db.ShutdownDatabase(work_);
        SetDbFileFactory({});
        return TTestDbFile::Setup().Flushes;
    }

    std::string dir_;
    std::string base_;
    std::string work_;
    TLogSnapshot before_;
};
}  // namespace

// With torn cuts the cut flush writes a random part of its pages, as a disk
// that loses power in the middle of one write of several pages would.
TEST_P(PowerLoss, EveryFlushOfEveryOperationLeavesASoundFile) {
    TScriptedDialogs dialogs;
    for (const auto& [name, scenario] : kScenarios) {
        const uint64_t total = Run(scenario, -1, 1);
        const TLogSnapshot after = TLogSnapshot::Take(work_);
        ASSERT_TRUE(after.Sound && after.Complaints.empty()) << name << ": " << after.Describe();
        for (uint64_t cut = 0; cut < total; ++cut) {
            SCOPED_TRACE(std::string(name) + ", power cut after flush " + std::to_string(cut));
            Run(scenario, static_cast<int64_t>(cut), static_cast<uint32_t>(cut + 1));
            const TLogSnapshot s = TLogSnapshot::Take(work_);
            ASSERT_TRUE(s.Opened);
            EXPECT_TRUE(s.Sound && s.Complaints.empty()) << s.Describe();
            const std::vector<std::string> torn = s.RowsInNeither(before_, after);
            EXPECT_TRUE(torn.empty()) << "half-written row: " << torn.front();
            // A contact that outlives the cut keeps its old or its new text.
            for (const auto& [number, text] : before_.Texts) {
                const std::string now = TextOf(s, number), then = TextOf(after, number);
                const bool kept = now.find(text) != std::string::npos ||
                                  (!then.empty() && now.find(then) != std::string::npos);
                EXPECT_TRUE(!s.Contacts.count(number) || text.empty() || kept)
                    << "contact " << number << " lost its text: " << s.Describe();
            }
        }
    }
}

// A save in one write batch reaches the disk in two flushes (its new bytes
// with the intent record, then the words) and writes the same file as the
// same save without the batch.
TEST_P(PowerLoss, ABatchedSaveTakesTwoFlushesAndWritesTheSameFile) {
    TScriptedDialogs dialogs;
    const uint64_t openAndClose = Run([] {}, -1, 1);
    const auto unbatched = [] {
        TQSO old = First();
        Store("01/04/2002", old.Call.c_str(), "7.005", std::string(300, 'y') + " two pieces");
        TQSOs().DeleteQSO(old);
    };
    EXPECT_GT(Run(unbatched, -1, 1) - openAndClose, 5u);
    const std::string expected = ReadFile(work_);
    EXPECT_EQ(Run(ChangeInOneBatch, -1, 1) - openAndClose, 2u);
    EXPECT_TRUE(ReadFile(work_) == expected) << "the batch wrote another file";
}

// The intent record after a cut right behind its flush: the open writes its
// words, unless it is torn or names a word no row has. A word it names that
// changed outside a batch is never written back; the close clears it.
TEST_P(PowerLoss, TheIntentRecordIsWrittenAgainOnlyWhenSoundAndNeverStale) {
    using namespace DbFormat;
    if (GetParam())
        GTEST_SKIP() << "a damaged record after a torn cut of its words is no real state";
    const uint32_t pairs = kIntentAreaBase + kIntentHeaderSize;
    const auto expect = [&](size_t contacts, bool stored) {
        const TLogSnapshot s = TLogSnapshot::Take(work_);
        EXPECT_TRUE(s.Sound && s.Complaints.empty()) << s.Describe();
        EXPECT_EQ(contacts, s.Contacts.size()) << s.Describe();
        EXPECT_EQ(contacts, s.InDateIndex.size());
        EXPECT_EQ(stored, s.Texts.size() == 2) << s.Describe();
        EXPECT_GE(ReadFile(work_).find_first_not_of('\0', kIntentAreaBase), kIntentAreaEnd);
    };
    const struct {
        const char* What;
        std::function<void()> Damage;
        bool Stored;
    } cases[] = {
        {"whole", [] {}, true},
        {"torn", [&] { Put(work_, pairs + 4, Word(work_, pairs + 4) ^ 1); }, false},
        {"naming a word no row has",
         [&] {
             Put(work_, pairs, kIntentAreaBase);  // and checksummed anew
             const uint32_t size = kIntentHeaderSize +
                                   Word(work_, kIntentAreaBase + 4) * kIntentWordSize +
                                   Word(work_, kIntentAreaBase + 8) * kIntentRangeSize;
             const std::string file = ReadFile(work_);
             const auto* area = reinterpret_cast<const uint8_t*>(file.data()) + kIntentAreaBase;
             Put(work_, kIntentAreaBase + size, TWriteIntent::Fnv(area, size, kFnvBasis));
         },
         false},
    };
    // Each range's sum is the FNV-1a of the range as it reads once the
    // record's words are written: a record of an earlier version replays.
    const auto expectRangeSums = [&] {
        std::string file = ReadFile(work_);
        const uint32_t words = Word(work_, kIntentAreaBase + 4);
        const uint32_t ranges = Word(work_, kIntentAreaBase + 8);
        for (uint32_t w = 0; w < words; ++w) {
            const uint32_t value = Word(work_, pairs + w * kIntentWordSize + 4);
            std::memcpy(file.data() + Word(work_, pairs + w * kIntentWordSize), &value, 4);
        }
        ASSERT_GT(ranges, 0u);
        for (uint32_t r = 0; r < ranges; ++r) {
            const uint32_t at = pairs + words * kIntentWordSize + r * kIntentRangeSize;
            uint32_t sum = kFnvBasis;
            for (uint32_t i = 0; i < Word(work_, at + 4); ++i)
                sum = (sum ^ static_cast<uint8_t>(file[Word(work_, at) + i])) * kFnvPrime;
            EXPECT_EQ(sum, Word(work_, at + 8)) << "range " << r;
        }
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        Run(StoreInOneBatch, 1, 1);  // the record's flush lands, the words' flush is cut
        ASSERT_EQ(kIntentMagic, Word(work_, kIntentAreaBase));
        expectRangeSums();
        c.Damage();
        expect(c.Stored ? 3 : 2, c.Stored);
    }
    Run(StoreInOneBatch, -1, 1);
    EXPECT_GE(ReadFile(work_).find_first_not_of('\0', kIntentAreaBase), kIntentAreaEnd);
    Run(
        [] {
            StoreInOneBatch();
            TQSOs qsos;  // its deletion is no batch
            qsos.LoadDay("01/05/2002", "01/05/2002");
            for (const auto& q : qsos.QSOs) qsos.DeleteQSO(*q);
            TTestDbFile::Setup().Off = true;  // the power fails before the close
        },
        -1, 1);
    expect(2, false);
}

INSTANTIATE_TEST_SUITE_P(Cuts, PowerLoss, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Torn" : "Clean"; });
