// Start-up and shutdown of the log window: the stops before the database is
// touched, the integrity warning, the grid's first state and the loading of
// the last days, oldest first, around a UTC shift that crosses midnight.
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstring>
#include <filesystem>

#include "LogWindowFixture.h"
#include "kernel/TDbKernel.h"
#include "logwindow/TfrmDatabaseCheck.h"
#include "records/TQSOs.h"
#include "schema/TDatabase.h"

namespace {
const char* const kMissing =
    "Database file could not be located. Please check to be sure the database file is "
    "available.";
}

TEST_F(LogWindowTest, MissingDatabaseFileStopsWithOneMessageAndCreatesNothing) {
    std::filesystem::remove("db_default.sib");
    Start();
    ASSERT_EQ(1u, dialogs_->Messages.size());
    EXPECT_EQ(kMissing, dialogs_->Messages[0]);
    EXPECT_EQ(-1, w->AppFailed);
    EXPECT_TRUE(w->TerminateRequested);
    EXPECT_EQ(1, mutex_.Releases);
    EXPECT_EQ(nullptr, Database);
    EXPECT_FALSE(std::filesystem::exists("db_default.sib"));
    // The close handlers do nothing after a failed start.
    Close();
    EXPECT_EQ(1u, dialogs_->Messages.size());
}

TEST_F(LogWindowTest, ResourceCodesStopOrWarn) {
    struct Case {
        const char* name;
        TMemoryStatusInfo info;
        std::deque<uint32_t> ticks;
        bool fatal;
        const char* message;
    };
    const Case cases[] = {
        {"marginal paging file",
         {4000000000ULL, 149000000ULL, 140000000ULL},
         {},
         false,
         "Your virtual memory is very marginal for this application.  Please increase the size "
         "of your system paging file."},
        {"small paging file",
         {4000000000ULL, 8000000000ULL, 129000000ULL},
         {},
         true,
         "You do not have a large enough paging file for this application.  Please increase the "
         "size of your paging file (In your virtual memory system setup)  before using this "
         "program. "},
        {"little physical memory",
         {62000000ULL, 8000000000ULL, 129000000ULL},
         {},
         true,
         "Problem: This application requires at least 64 Megabytes of physical memory.  It "
         "appears that your machine does not have the minimum amount of memory."},
        {"slow processor",
         {62000000ULL, 8000000000ULL, 4000000000ULL},
         {0, 1441},
         true,
         "Sorry: This application requires a processing speed of at least 450 Mhz. It appears "
         "that your computer is not capable of this speed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs_.reset();
        dialogs_ = std::make_unique<TScriptedDialogs>();
        mutex_.Releases = 0;
        mutex_.held = true;
        memory_.Info = c.info;
        clock_.Ticks = c.ticks;
        Start();
        ASSERT_FALSE(dialogs_->Messages.empty());
        EXPECT_EQ(c.message, dialogs_->Messages[0]);
        EXPECT_EQ(1u, dialogs_->Messages.size());
        EXPECT_EQ(c.fatal ? -1 : 0, w->AppFailed);
        EXPECT_EQ(c.fatal ? 1 : 0, mutex_.Releases);
        if (c.fatal) {
            EXPECT_EQ(nullptr, Database);
        } else {
            EXPECT_EQ(2, w->GridRowCount);  // header and entry row
            Close();
        }
        window_.reset();
        if (Database != nullptr) {
            delete Database;
            Database = nullptr;
        }
    }
}

TEST_F(LogWindowTest, OtherOSVersionStopsWithInformationBox) {
    os_.MajorVersion = 6;
    Start();
    ASSERT_EQ(1u, dialogs_->Informations.size());
    EXPECT_EQ("This version of the QSO logging program will run only on Windows 2000!",
              dialogs_->Informations[0]);
    EXPECT_TRUE(dialogs_->Messages.empty());
    EXPECT_EQ(-1, w->AppFailed);
    EXPECT_EQ(1, mutex_.Releases);
    EXPECT_EQ(nullptr, Database);
}

TEST_F(LogWindowTest, DamagedFileWarnsAndStartsAnyway) {
    Seed({{"05/17/2024", "W1AW", "10:00", ""}});
    {
        // Clear the hash bucket that holds the contact: the two counts differ.
        Database = new TDatabase();
        ASSERT_EQ(0, Database->StartDatabase(std::filesystem::current_path().string() +
                                             "/db_default.sib"));
        const uint32_t log = DbKernel->GetTableIDFromName("QSOLOG");
        uint8_t* buckets = DbKernel->GetHashBucketsPointer(log);
        const int32_t bucket = DbKernel->GetKeyHash("W1AW");
        std::memset(buckets + 4 * bucket, 0, 4);
        DbKernel->FlushRange(buckets + 4 * bucket, 4);
        std::string report;
        ASSERT_NE(0, DbKernel->CheckDatabase(report, 0));
        Database->ShutdownDatabase(std::filesystem::current_path().string() + "/db_default.sib");
        delete Database;
        Database = nullptr;
    }
    Start();
    ASSERT_EQ(1u, dialogs_->Messages.size());
    EXPECT_EQ(
        "The database file shows signs of corruption. You should perform an export to a new text "
        "file [tools menu] as soon as possible, and copy a previous backup of the database into "
        "the application directory.",
        dialogs_->Messages[0]);
    EXPECT_EQ(0, w->AppFailed);
    EXPECT_EQ(0, w->Loading);
    EXPECT_TRUE(alert_->isHidden());
    EXPECT_EQ("Please wait while the database integrity is checked ... ",
              alert_->lblAlert->text().toStdString());
}

TEST_F(LogWindowTest, EmptyLogShowsHeaderAndEntryRowWithDefaults) {
    Start();
    EXPECT_TRUE(dialogs_->Messages.empty());
    EXPECT_EQ(2, w->GridRowCount);
    EXPECT_EQ(2, w->RowCount());
    EXPECT_EQ(180, w->DaysToShow);
    EXPECT_EQ(0, w->Loading);
    const char* header[] = {
        "Date", "Start",       "End",    "Call",     "Frequency", "S-RST",    "R-RST",   "Power",
        "Mode", "LogID",       "RQSL",   "SQSL",     "Qso_ID",    "Country",  "Zone",    "County",
        "Grid", "QSL Manager", "Layout", "Contest1", "Contest2",  "Contest3", "Contest4"};
    for (int c = 0; c < 23; ++c) EXPECT_EQ(header[c], Cell(c, 0)) << c;
    // The entry row: UTC stamp, TYPECALL, the built-in defaults.
    const std::vector<std::string> entry = {
        "05/17/2024", "12:00", "12:00", "TYPECALL", "14.000", "599", "599", "1500",
        "CW",         "0",     "N",     "N",        "-1",     "",    "00",  "",
        "",           "",      "0",     "",         "",       "",    ""};
    for (int c = 0; c < 23; ++c) EXPECT_EQ(entry[c], Cell(c, 1)) << c;
    EXPECT_EQ(1, w->Row());
    EXPECT_EQ(3, w->Col());
    EXPECT_EQ("1 of 1", w->lblStatus->text().toStdString());
    EXPECT_TRUE(w->Memo1->isHidden());
    // Fixed and hidden columns.
    EXPECT_TRUE(w->strGridQSOS->isColumnHidden(9));
    EXPECT_TRUE(w->strGridQSOS->isColumnHidden(12));
    EXPECT_TRUE(w->strGridQSOS->isColumnHidden(18));
    EXPECT_EQ(62, w->strGridQSOS->columnWidth(3));
}

TEST_F(LogWindowTest, LoadsTheLastDaysOldestFirstByDateAndStartTime) {
    // 181 days are shown: today (05/17/2024) and 180 before it (back to 11/19/2023).
    Seed({{"05/17/2024", "K1ABC", "09:30", ""},
          {"05/16/2024", "DL1XYZ", "23:10", ""},
          {"05/17/2024", "G3AAA", "08:15", ""},
          {"05/16/2024", "JA1ZZZ", "07:00", ""},
          {"11/19/2023", "VK2OLD", "12:00", ""},
          {"11/18/2023", "TOOOLD", "12:00", ""},
          {"05/18/2024", "FUTURE", "01:00", ""},
          {"05/17/2024", "K1ABC", "10:45", ""}});
    Start();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"VK2OLD", "11/19/2023"}, {"JA1ZZZ", "05/16/2024"}, {"DL1XYZ", "05/16/2024"},
        {"G3AAA", "05/17/2024"},  {"K1ABC", "05/17/2024"},  {"K1ABC", "05/17/2024"}};
    ASSERT_EQ(static_cast<int>(expected.size()) + 2, w->GridRowCount);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].first, Cell(3, static_cast<int>(i) + 1)) << i;
        EXPECT_EQ(expected[i].second, Cell(0, static_cast<int>(i) + 1)) << i;
    }
    EXPECT_EQ("09:30", Cell(1, 5));
    EXPECT_EQ("10:45", Cell(1, 6));
    EXPECT_EQ("TYPECALL", Cell(3, 7));
    EXPECT_EQ("N", Cell(10, 1));  // received QSL 0
    EXPECT_EQ("Y", Cell(11, 1));  // sent QSL 1
    EXPECT_EQ(w->GridRowCount - 1, w->Row());
    EXPECT_TRUE(dialogs_->Messages.empty());
}

TEST_F(LogWindowTest, UtcShiftPastMidnightMovesTheDaysAndTheStamp) {
    Seed({{"05/18/2024", "TOMORROW", "03:00", ""}, {"05/16/2024", "YESTERDAY", "20:00", ""}});
    struct Case {
        int hour, minute;
        const char* shift;
        const char* date;
        const char* time;
        const char* firstCall;
    };
    // Local time 05/17/2024; t = time of day + shift / 24.
    const Case cases[] = {
        {22, 30, "3", "05/18/2024", "01:30", "YESTERDAY"},  // t > 1.0: tomorrow
        {21, 0, "3", "05/17/2024", "00:00", "YESTERDAY"},   // t = 1.0: today
        {2, 0, "-2", "05/16/2024", "00:00", "YESTERDAY"},   // t = 0.0: yesterday
        {1, 15, "-5", "05/16/2024", "20:15", "YESTERDAY"},  // t < 0: yesterday
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shift);
        window_.reset();
        Reopen();
        SaveSetting("Default_Frequency", "14.000");
        SaveSetting("UTCShift", c.shift);
        delete Database;  // the start-up opens its own
        Database = nullptr;
        clock_.Set(2024, 5, 17, c.hour, c.minute);
        Start();
        EXPECT_EQ(c.date, Cell(0, EntryRow()));
        EXPECT_EQ(c.time, Cell(1, EntryRow()));
        EXPECT_EQ(c.firstCall, Cell(3, 1));
        const bool tomorrowShown = std::string(c.date) == "05/18/2024";
        EXPECT_EQ(tomorrowShown ? 4 : 3, w->GridRowCount);
        if (tomorrowShown) {
            EXPECT_EQ("TOMORROW", Cell(3, 2));
        }
        Close();
    }
}

TEST_F(LogWindowTest, StartWithoutSettingsThenCloseStoresTheDefaults) {
    Start();
    EXPECT_EQ("14.000", w->edtFrequency->text().toStdString());
    EXPECT_EQ("CW", w->cboMode->currentText().toStdString());
    EXPECT_EQ("1500", w->edtPower->text().toStdString());
    EXPECT_EQ("599", w->edtSRST->text().toStdString());
    EXPECT_EQ("599", w->edtRRst->text().toStdString());
    EXPECT_EQ("0", w->edtUTCShift->text().toStdString());
    Close();
    EXPECT_TRUE(dialogs_->Messages.empty());
    EXPECT_EQ(nullptr, TDbKernel::Base());  // shut down
    EXPECT_EQ(1, mutex_.Releases);
    Reopen();
    EXPECT_EQ("14.000", Setting("Default_Frequency"));
    EXPECT_EQ("1500", Setting("Default_Power"));
    EXPECT_EQ("CW", Setting("Default_Mode"));
    EXPECT_EQ("599", Setting("Default_RRst"));
    EXPECT_EQ("599", Setting("Default_SRst"));
    EXPECT_EQ("0", Setting("UTCShift"));
    // Closing with TYPECALL in the entry row stored no contact.
    EXPECT_TRUE(StoredOn("05/17/2024").empty());
}

TEST_F(LogWindowTest, CheckDatabaseCommandsSaveFirstAndOpenTheCheckWindow) {
    TfrmDatabaseCheck check;
    Start();
    Type("W1AW");
    w->CheckDatabase1Click();
    EXPECT_EQ(1, modalRuns_);
    EXPECT_EQ(1u, CountCall("W1AW"));  // the typed contact was stored first
    w->ToolButton3Click();
    EXPECT_EQ(2, modalRuns_);
    check.Button1Click();
    EXPECT_FALSE(check.Button1->isEnabled());
    EXPECT_NE(std::string::npos, check.memDbChecks->toPlainText().toStdString().find("QSOLOG"));
}

TEST_F(LogWindowTest, LowMemoryStopsAtTheNextCursorMove) {
    Seed({{"05/17/2024", "W1AW", "10:00", ""}});
    Start();
    memory_.Info.AvailPageFile = 50000000ULL;
    Move(3, 1);
    ASSERT_EQ(1u, dialogs_->Messages.size());
    EXPECT_EQ(
        "Your virtual memory is too low for this program.  You should increase your total "
        "available virtual memory and restart.  The program will now be stopped.",
        dialogs_->Messages[0]);
    EXPECT_EQ(-1, w->AppFailed);
    EXPECT_EQ(-1, w->BlockProc);
    EXPECT_TRUE(w->TerminateRequested);
    EXPECT_EQ(1, mutex_.Releases);
    EXPECT_EQ(nullptr, TDbKernel::Base());  // the database was shut down
    Close();                                // nothing more happens
    EXPECT_EQ(1u, dialogs_->Messages.size());
}

TEST_F(LogWindowTest, ReloadGridShowsTheChosenNumberOfDays) {
    Seed({{"05/17/2024", "TODAY", "10:00", ""},
          {"05/16/2024", "YESTERDAY", "10:00", ""},
          {"05/10/2024", "LASTWEEK", "10:00", ""}});
    Start();
    ASSERT_EQ(5, w->GridRowCount);
    Move(3, 1);
    w->DaysToShow = 1;
    w->ReloadGrid();
    ASSERT_EQ(4, w->GridRowCount);
    EXPECT_EQ("YESTERDAY", Cell(3, 1));
    EXPECT_EQ("TODAY", Cell(3, 2));
    EXPECT_EQ("TYPECALL", Cell(3, 3));
    EXPECT_EQ(3, w->Row());
    // Reloading stored nothing again.
    EXPECT_EQ(0, StoredByCall("TODAY")[0].QSOID);
    EXPECT_TRUE(dialogs_->Messages.empty());
}
