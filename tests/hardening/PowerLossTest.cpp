// Power loss at every flush of the log's operations. Each operation runs on
// a copy of the same small log, once with full power (the "after" state) and
// then once per flush with the power cut after that flush. The file as the
// disk holds it must then be sound, hold every row either as it was before
// or as it is after the operation (no half-written row), and every chain
// must lead only to rows (no complaint while checking and reading).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "HardeningFiles.h"
#include "TLogSnapshot.h"
#include "TPowerLossDbFile.h"
#include "kernel/TDbKernel.h"
#include "platform/TScriptedDialogs.h"
#include "records/TDbSystemSettings.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"
#include "schema/TSQLStatements.h"

using namespace HardeningFiles;

namespace {
TQSO* Store(TQSOs& qsos, const char* date, const char* call, const char* freq) {
    return qsos.AddQSO(date, call, "12:30", "12:41", freq, 100, "SSB", 59, 57, 0, 1, 3, "5",
                       "U.S.A.", "Wake", "FN31", "W1XX", 0, "C1", "C2", "C3", "C4");
}

TQSO First(const char* date) {
    TQSOs qsos;
    qsos.LoadDay(date, date);
    return qsos.QSOs.empty() ? TQSO{} : *qsos.QSOs.front();
}

struct TScenario {
    const char* Name;
    std::function<void()> Run;  // on the open database
};

const std::vector<TScenario>& Scenarios() {
    static const std::vector<TScenario> scenarios = {
        {"store a contact with its text",
         [] {
             TQSOs qsos;
             TQSO* q = Store(qsos, "01/05/2002", "K1NEW", "21.250");
             ASSERT_NE(nullptr, q);
             TQSOMemos memos;
             memos.SaveText(q->QSOID, std::string(300, 'x') + " a text of two pieces");
         }},
        {"change a contact (new version stored, old one deleted)",
         [] {
             TQSO old = First("01/04/2002");
             TQSOs qsos;
             TQSO* q = Store(qsos, "01/04/2002", old.Call.c_str(), "7.005");
             ASSERT_NE(nullptr, q);
             TQSOMemos memos;
             memos.SaveText(q->QSOID, "changed text");
             qsos.DeleteQSO(old);
         }},
        {"delete a contact",
         [] {
             TQSO old = First("01/04/2002");
             TQSOs qsos;
             qsos.DeleteQSO(old);
         }},
        {"replace a contact's text",
         [] {
             TQSO old = First("01/04/2002");
             TQSOMemos memos;
             memos.DeleteForQSO(old.QSOID);
             memos.SaveText(old.QSOID, "a new text");
         }},
        {"empty the log (truncate its five tables)",
         [] {
             for (const char* table :
                  {"QSOLOG", "QSO_DATE_INDEX", "QSO_TEXT", "SYSTEM_SETTINGS", "SEQUENCES"})
                 DbKernel->TruncateTable(table);
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
             rs.CurrentFields->GetField(0)->Value = "W1AW";
             rs.CurrentFields->GetField(1)->Value = "a station";
             rs.CurrentFields->GetField(2)->Value = "3";
             rs.Post();
         }},
        {"save the settings",
         [] {
             TDbSystemSettings settings;
             settings.Save("UTC_SHIFT", "-7");
             settings.Save("STATION_CALL", "W4XYZ");
             settings.Save("DEFAULT_MODE", "CW");
         }},
    };
    return scenarios;
}

class PowerLoss : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeTempDir("powerloss");
        ASSERT_FALSE(dir_.empty());
        base_ = dir_ + "/base.sib";
        work_ = dir_ + "/db_default.sib";
        ASSERT_TRUE(MakeLogDatabase(base_, [] {
            TQSOs qsos;
            TQSOMemos memos;
            TQSO* a = Store(qsos, "01/04/2002", "W1AW", "14.070");
            ASSERT_NE(nullptr, a);
            memos.SaveText(a->QSOID, "the first contact");
            ASSERT_NE(nullptr, Store(qsos, "01/04/2002", "DL1ABC", "14.200"));
            TDbSystemSettings settings;
            settings.Save("UTC_SHIFT", "5");
            settings.Save("STATION_CALL", "W4ABC");
        }));
        before_ = TLogSnapshot::Take(base_);
        ASSERT_TRUE(before_.Sound);
    }
    void TearDown() override {
        TPowerLossDbFile::Uninstall();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // Puts the work copy back to the base: only the ranges the last run
    // wrote differ (the snapshot's open writes nothing).
    void RestoreWork() {
        const int from = ::open(base_.c_str(), O_RDONLY | O_CLOEXEC);
        const int to = ::open(work_.c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_TRUE(from >= 0 && to >= 0);
        std::vector<char> buffer;
        for (const auto& [offset, length] : written_) {
            buffer.resize(length);
            ASSERT_EQ(static_cast<ssize_t>(length), ::pread(from, buffer.data(), length, offset));
            ASSERT_EQ(static_cast<ssize_t>(length), ::pwrite(to, buffer.data(), length, offset));
        }
        ::close(from);
        ::close(to);
        written_.clear();
    }

    // Runs the scenario on a copy of the base; budget -1 keeps the power on.
    uint64_t RunWithBudget(const TScenario& scenario, int64_t budget, bool torn, uint32_t seed) {
        if (!std::filesystem::exists(work_))
            CopyFile(base_, work_);
        else
            RestoreWork();
        TPowerLossDbFile::Install(budget, torn, seed);
        {
            TDatabase db;
            EXPECT_EQ(0, db.StartDatabase(work_));
            try {
                scenario.Run();
            } catch (const std::exception& e) {
                ADD_FAILURE() << scenario.Name << ": " << e.what();
            }
            db.ShutdownDatabase(work_);
        }
        const uint64_t flushes = TPowerLossDbFile::Power().Flushes;
        written_ = TPowerLossDbFile::Power().Written;
        TPowerLossDbFile::Uninstall();
        return flushes;
    }

    void CutEveryFlush(bool torn) {
        TScriptedDialogs dialogs;
        for (const TScenario& scenario : Scenarios()) {
            const uint64_t total = RunWithBudget(scenario, -1, false, 1);
            const TLogSnapshot after = TLogSnapshot::Take(work_);
            ASSERT_TRUE(after.Sound) << scenario.Name;
            std::cout << "== " << scenario.Name << ": " << total << " flushes\n"
                      << "   before: " << before_.Describe() << "\n"
                      << "   after:  " << after.Describe() << "\n";
            std::string last;
            for (uint64_t cut = 0; cut < total; ++cut) {
                RunWithBudget(scenario, static_cast<int64_t>(cut), torn,
                              static_cast<uint32_t>(cut + 1));
                const TLogSnapshot s = TLogSnapshot::Take(work_);
                SCOPED_TRACE(std::string(scenario.Name) + ", power cut after flush " +
                             std::to_string(cut));
                ASSERT_TRUE(s.Opened);
                EXPECT_TRUE(s.Sound) << s.Describe();
                EXPECT_TRUE(s.Complaints.empty()) << s.Describe();
                const std::vector<std::string> torn = s.RowsInNeither(before_, after);
                EXPECT_TRUE(torn.empty())
                    << "half-written row: " << (torn.empty() ? "" : torn.front());
                for (const auto& [number, row] : s.Contacts)
                    EXPECT_TRUE(s.FoundByCall.count(number))
                        << "contact " << number << " unreachable";
                const std::string line = s.Describe();
                if (line != last)
                    std::cout << "   cut after flush " << cut << ": " << line << "\n";
                last = line;
            }
        }
    }

    std::string dir_;
    std::string base_;
    std::string work_;
    std::vector<std::pair<uint32_t, uint32_t>> written_;
    TLogSnapshot before_;
};
}  // namespace

TEST_F(PowerLoss, EveryFlushOfEveryOperationLeavesASoundFile) {
    CutEveryFlush(false);
}

// The cut flush writes a random part of its pages, as a disk that loses
// power in the middle of one write of several pages would.
TEST_F(PowerLoss, TornFlushesLeaveNoHalfWrittenRow) {
    CutEveryFlush(true);
}
