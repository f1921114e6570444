// Failures of the platform's file services: the open, the mapping, the
// flushes and the close. Each must give the
// kernel's failure status (999), leave no database half-open and the file as
// it was; the next start without faults must work.
#include <gtest/gtest.h>

#include "HardeningFiles.h"
#include "TTestDbFile.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "platform/TScriptedDialogs.h"
#include "records/TQSOs.h"
#include "schema/TDBResultSet.h"

using namespace HardeningFiles;

namespace {
struct TCase {
    const char* Name;
    TTestDbFile::TSetup Faults;
    bool StartFails;
};

bool AddContact(const char* call) {
    return TQSOs().AddQSO("01/04/2002", call, "12:00", "12:10", "14.070", 100, "CW", 599, 599, 0, 0,
                          1, "5", "", "", "", "", 0, "", "", "", "") != nullptr;
}

class FileFaults : public ::testing::TestWithParam<TCase> {
protected:
    void SetUp() override {
        dir_ = MakeTempDir("faults");
        path_ = dir_ + "/db_default.sib";
    }
    void TearDown() override {
        SetDbFileFactory({});
        std::filesystem::remove_all(dir_);
    }
    std::string dir_;
    std::string path_;
};
}  // namespace

TEST_P(FileFaults, FailureIsReportedAndDamagesNothing) {
    const TCase& c = GetParam();
    ASSERT_TRUE(MakeLogDatabase(path_, [] { ASSERT_TRUE(AddContact("W1AW")); }));
    const std::string bytes = ReadFile(path_);
    TTestDbFile::Install(c.Faults);
    // Twice: a failed start must let go of the file's lock.
    for (int attempt = 0; attempt < (c.StartFails ? 2 : 1); ++attempt) {
        TScriptedDialogs dialogs;
        TDatabase db;
        if (c.StartFails) {
            EXPECT_EQ(999, db.StartDatabase(path_));
            EXPECT_EQ(bytes, ReadFile(path_));
        } else {
            ASSERT_EQ(0, db.StartDatabase(path_));
            ASSERT_TRUE(AddContact("K1ABC"));
            std::string report;
            EXPECT_EQ(0, DbKernel->CheckDatabase(report, 0));
            // The data may not be on the disk: the close must not call that a success.
            EXPECT_EQ(999, db.ShutdownDatabase(path_));
        }
        EXPECT_EQ(nullptr, TDbKernel::Base());
    }
    if (c.Faults.FailOpen) {
        TDatabase db;
        EXPECT_EQ(999, db.StartDatabase(dir_ + "/new.sib"));
        EXPECT_FALSE(std::filesystem::exists(dir_ + "/new.sib"));
    }
    EXPECT_EQ(c.Faults.FlushesBeforeFailing >= 0, TTestDbFile::Setup().FailedFlushes > 0);
    SetDbFileFactory({});
    // Without faults the file opens, is sound and holds the log's contact.
    TScriptedDialogs dialogs;
    TDatabase db;
    ASSERT_EQ(0, db.StartDatabase(path_));
    std::string report;
    EXPECT_EQ(0, DbKernel->CheckDatabase(report, 0)) << report;
    TDBResultSet rs;
    ASSERT_EQ(TDBResultSet::kOK, rs.Open(TQSOs::kLogTable, "W1AW", "W1AW"));
    EXPECT_EQ(1u, rs.Rows.size());
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_EQ(0, db.ShutdownDatabase(path_));
    EXPECT_EQ(DbFormat::kDbFileSize, std::filesystem::file_size(path_));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FileFaults,
    ::testing::Values(TCase{"Open", {.FailOpen = true}, true},
                      TCase{"Map", {.FailMap = true}, true},
                      TCase{"FlushAfterThree", {.FlushesBeforeFailing = 3}, false},
                      TCase{"Close", {.FailClose = true}, false}),
    [](const auto& info) { return std::string(info.param.Name); });
