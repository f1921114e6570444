// Failures of the platform's file services: the open, the extension of a
// short file, the mapping, the flushes and the close. Each must give the
// kernel's failure status (999), leave no database half-open, and leave the
// file as it was; the next start without faults must work.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "HardeningFiles.h"
#include "TFaultyDbFile.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "platform/TScriptedDialogs.h"
#include "records/TQSOs.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"

using namespace HardeningFiles;

namespace {
class FileFaults : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeTempDir("faults");
        ASSERT_FALSE(dir_.empty());
        path_ = dir_ + "/db_default.sib";
    }
    void TearDown() override {
        TFaultyDbFile::Uninstall();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    void MakeLog() {
        ASSERT_TRUE(MakeLogDatabase(path_, [] {
            TQSOs qsos;
            ASSERT_NE(nullptr,
                      qsos.AddQSO("01/04/2002", "W1AW", "12:00", "12:10", "14.070", 100, "CW", 599,
                                  599, 0, 0, 1, "5", "", "", "", "", 0, "", "", "", ""));
        }));
    }
    // Starting under the faults fails with 999 and leaves nothing open.
    void ExpectStartFails(const TFaultyDbFile::TFaults& faults) {
        TFaultyDbFile::Install(faults);
        TDatabase db;
        EXPECT_EQ(999, db.StartDatabase(path_));
        EXPECT_EQ(nullptr, TDbKernel::Base());
        TFaultyDbFile::Uninstall();
    }
    // The file opens without faults afterwards, is sound and holds the contact.
    void ExpectLogIntact() {
        TScriptedDialogs dialogs;
        TDatabase db;
        ASSERT_EQ(0, db.StartDatabase(path_));
        std::string report;
        EXPECT_EQ(0, DbKernel->CheckDatabase(report, 0));
        TDBResultSet rs;
        ASSERT_EQ(TDBResultSet::kOK, rs.Open(TQSOs::kLogTable, "W1AW", "W1AW"));
        EXPECT_EQ(1u, rs.Rows.size());
        EXPECT_TRUE(dialogs.Messages.empty());
        EXPECT_EQ(0, db.ShutdownDatabase(path_));
    }

    std::string dir_;
    std::string path_;
};
}  // namespace

TEST_F(FileFaults, FailedOpenLeavesExistingAndMissingFilesAlone) {
    MakeLog();
    const std::string bytes = ReadFile(path_);
    TFaultyDbFile::TFaults faults;
    faults.Open = true;
    ExpectStartFails(faults);
    EXPECT_EQ(bytes, ReadFile(path_));
    ExpectLogIntact();

    const std::string missing = dir_ + "/new.sib";
    TFaultyDbFile::Install(faults);
    {
        TDatabase db;
        EXPECT_EQ(999, db.StartDatabase(missing));
        EXPECT_EQ(nullptr, TDbKernel::Base());
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(FileFaults, FailedExtensionLeavesAShortFileAsItWas) {
    const std::string shortFile(1000, 'Q');
    {
        std::ofstream out(path_, std::ios::binary);
        out << shortFile;
    }
    TFaultyDbFile::TFaults faults;
    faults.Extend = true;
    ExpectStartFails(faults);
    EXPECT_EQ(shortFile, ReadFile(path_));
    // Without the fault the same file is extended with zeros to full size.
    {
        TDatabase db;
        ASSERT_EQ(0, db.StartDatabase(path_));
        db.ShutdownDatabase(path_);
    }
    EXPECT_EQ(DbFormat::kDbFileSize, std::filesystem::file_size(path_));
}

TEST_F(FileFaults, FailedMappingReleasesTheFile) {
    MakeLog();
    const std::string bytes = ReadFile(path_);
    TFaultyDbFile::TFaults faults;
    faults.Map = true;
    ExpectStartFails(faults);
    ExpectStartFails(faults);  // the failed start let go of the file's lock
    EXPECT_EQ(bytes, ReadFile(path_));
    ExpectLogIntact();
}

TEST_F(FileFaults, FailingFlushesAreReportedByTheCloseAndDamageNothing) {
    MakeLog();
    TFaultyDbFile::TFaults faults;
    faults.FlushesBeforeFailing = 3;
    TFaultyDbFile::Install(faults);
    {
        TScriptedDialogs dialogs;
        TDatabase db;
        ASSERT_EQ(0, db.StartDatabase(path_));
        TQSOs qsos;
        ASSERT_NE(nullptr, qsos.AddQSO("01/05/2002", "K1ABC", "12:00", "12:10", "7.010", 5, "CW",
                                       599, 599, 0, 0, 1, "5", "", "", "", "", 0, "", "", "", ""));
        std::string report;
        EXPECT_EQ(0, DbKernel->CheckDatabase(report, 0));
        // The data may not be on the disk: the close must not call that a success.
        EXPECT_EQ(999, db.ShutdownDatabase(path_));
        EXPECT_EQ(nullptr, TDbKernel::Base());
    }
    EXPECT_GT(TFaultyDbFile::Faults().FailedFlushes, 0u);
    TFaultyDbFile::Uninstall();
    // The writes went to the shared mapping; nothing is half done.
    ExpectLogIntact();
}

TEST_F(FileFaults, FailedCloseIsReportedAndTheDatabaseIsClosed) {
    MakeLog();
    TFaultyDbFile::TFaults faults;
    faults.Close = true;
    TFaultyDbFile::Install(faults);
    {
        TDatabase db;
        ASSERT_EQ(0, db.StartDatabase(path_));
        EXPECT_EQ(999, db.ShutdownDatabase(path_));
        EXPECT_EQ(nullptr, TDbKernel::Base());
    }
    TFaultyDbFile::Uninstall();
    ExpectLogIntact();
}
