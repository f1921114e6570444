// Start-up and shutdown of the log window: the stops before the database is
// touched, the integrity warning, the grid's first state, the loading of the
// last days around a UTC shift, the low-memory stop and the database check.
#include <QLabel>
#include <QPushButton>
#include <cstring>
#include <filesystem>

#include "LogWindowFixture.h"
#include "kernel/TDbKernel.h"
#include "logwindow/TfrmDatabaseCheck.h"
#include "platform/TBusyCursor.h"

// A machine or a file that stops the start or warns: memory in MB.
struct TStop {
    const char* Name;
    int OSMajor;
    uint64_t PhysMB, PageFileMB, AvailPageFileMB;
    bool Slow, NoFile, Damaged, Fatal;
    const char* Text;  // the box shown
};

class StartStopTest : public LogWindowTest, public ::testing::WithParamInterface<TStop> {};

TEST_P(StartStopTest, OneBoxThenStopOrGoOn) {
    const TStop& c = GetParam();
    if (c.NoFile)
        std::filesystem::remove("db_default.sib");
    if (c.Damaged) {  // a cleared hash bucket: the two counts of the contacts differ
        Seed({{"05/17/2024", "W1AW", "10:00"}});
        Reopen();
        uint8_t* bucket = DbKernel->GetHashBucketsPointer(DbKernel->GetTableIDFromName("QSOLOG")) +
                          4 * DbKernel->GetKeyHash("W1AW");
        std::memset(bucket, 0, 4);
        DbKernel->FlushRange(bucket, 4);
        Shut();
    }
    machine_.OSMajor = c.OSMajor;
    machine_.Memory = {c.PhysMB * 1000000, c.PageFileMB * 1000000, c.AvailPageFileMB * 1000000};
    machine_.TickStep = c.Slow ? 1441 : 1;
    Start();
    auto boxes = dialogs_->Messages;  // an information box for the other system
    boxes.insert(boxes.begin(), dialogs_->Informations.begin(), dialogs_->Informations.end());
    std::vector<std::string> expected{c.Text};
    if (c.Damaged)  // then where a backup would be
        expected.push_back("No backup of the database was found in " + dir_ + "/backups.");
    EXPECT_EQ(expected, boxes);
    EXPECT_EQ(c.OSMajor != 5, !dialogs_->Informations.empty());
    const std::string stopped =
        std::to_string(w->AppFailed) + " " + std::to_string(w->TerminateRequested) + " " +
        std::to_string(machine_.Releases) + " " + std::to_string(Database == nullptr);
    EXPECT_EQ(c.Fatal ? "-1 1 1 1" : "0 0 0 0", stopped);
    EXPECT_EQ(!c.NoFile, std::filesystem::exists("db_default.sib"));
    Close();  // after a failed start the close handlers do nothing
    EXPECT_EQ(expected.size(), dialogs_->Messages.size() + dialogs_->Informations.size());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Stops, StartStopTest, ::testing::Values(
    TStop{"DamagedFile", 5, 4000, 8000, 4000, false, false, true, false, "The database file shows "
          "signs of corruption. You should perform an export to a new text file [tools menu] as "
          "soon as possible, and copy a previous backup of the database into the application "
          "directory."},
    TStop{"MissingFile", 5, 4000, 8000, 4000, false, true, false, true, "Database file could not "
          "be located. Please check to be sure the database file is available."},
    TStop{"OtherOS", 6, 4000, 8000, 4000, false, false, false, true, "This version of the QSO "
          "logging program will run only on Windows 2000!"},
    TStop{"MarginalPaging", 5, 4000, 149, 140, false, false, false, false, "Your virtual memory "
          "is very marginal for this application.  Please increase the size of your system "
          "paging file."},
    TStop{"SmallPaging", 5, 4000, 8000, 129, false, false, false, true, "You do not have a large "
          "enough paging file for this application.  Please increase the size of your paging "
          "file (In your virtual memory system setup)  before using this program. "},
    TStop{"LittleMemory", 5, 62, 8000, 129, false, false, false, true, "Problem: This "
          "application requires at least 64 Megabytes of physical memory.  It appears that your "
          "machine does not have the minimum amount of memory."},
    TStop{"SlowProcessor", 5, 62, 8000, 4000, true, false, false, true, "Sorry: This application "
          "requires a processing speed of at least 450 Mhz. It appears that your computer is not "
          "capable of this speed."}),
    [](const auto& info) { return std::string(info.param.Name); });
// clang-format on

TEST_F(LogWindowTest, FirstStartShowsHeaderAndDefaultsAndClosingStoresThem) {
    Start();
    EXPECT_EQ(
        "Date Start End Call Frequency S-RST R-RST Power Mode LogID RQSL SQSL Qso_ID Country Zone "
        "County Grid QSL Manager Layout Contest1 Contest2 Contest3 Contest4",
        RowText(0));
    // The entry row: UTC stamp, TYPECALL, the built-in defaults.
    EXPECT_EQ("05/17/2024 12:00 12:00 TYPECALL 14.000 599 599 1500 CW 0 N N -1  00    0    ",
              RowText(1));
    EXPECT_TRUE(w->RowCount() == 2 && w->Col() == 3 && w->Memo1->isHidden() &&
                w->DaysToShow == 180);
    EXPECT_EQ("1 of 1", w->lblStatus->text().toStdString());
    EXPECT_EQ("14.000 1500 599 599 0 CW", Panel());
    TfrmDatabaseCheck check;  // the check commands store the typed contact first
    Type("W1AW");
    w->CheckDatabase1Click();
    EXPECT_EQ("W1AW 12:00 14.000 1500 #0", Log());
    w->ToolButton3Click();
    EXPECT_EQ(2, modalRuns_);
    check.Button1Click();
    EXPECT_NE(std::string::npos, check.memDbChecks->toPlainText().toStdString().find("QSOLOG"));
    Close();
    EXPECT_TRUE(TDbKernel::Base() == nullptr && machine_.Releases == 1);  // shut down
    Reopen();
    EXPECT_EQ("14.000", Setting("Default_Frequency"));
}

TEST_F(LogWindowTest, LoadsTheLastDaysOldestFirstAndReloadsForFewer) {
    // 181 days are shown: today (05/17/2024) and 180 before it (back to 11/19/2023).
    // clang-format off
    Seed({{"05/17/2024", "K1ABC", "09:30"}, {"05/16/2024", "DL1XYZ", "23:10"},
          {"05/17/2024", "G3AAA", "08:15"}, {"05/16/2024", "JA1ZZZ", "07:00"},
          {"11/19/2023", "VK2OLD", "12:00"}, {"11/18/2023", "TOOOLD", "12:00"},
          {"05/18/2024", "FUTURE", "01:00"}, {"05/17/2024", "K1ABC", "10:45"}});
    // clang-format on
    Start();
    EXPECT_EQ("VK2OLD JA1ZZZ DL1XYZ G3AAA K1ABC K1ABC TYPECALL", Column(3));
    EXPECT_EQ("11/19/2023 12:00", RowText(1, 0, 1));
    EXPECT_EQ("05/17/2024 10:45", RowText(6, 0, 1));
    EXPECT_EQ("N Y", RowText(1, 10, 11));  // received QSL 0, sent 1
    // Fewer days, the cursor on an unchanged contact: nothing is stored again.
    Move(3, 2);
    w->DaysToShow = 1;
    // The hourglass shows from before the old rows go until the new ones are in.
    struct TRecordingCursor : TBusyCursor {
        TfrmLogGUI_1* window = nullptr;
        int depth = 0;
        std::vector<int> rows;  // the grid's rows when it showed and when it went
        void Begin() override {
            if (depth++ == 0)
                rows.push_back(window->RowCount());
        }
        void End() override {
            if (--depth == 0)
                rows.push_back(window->RowCount());
        }
    } cursor;
    cursor.window = w;
    SetBusyCursor(&cursor);
    w->ReloadGrid();
    SetBusyCursor(nullptr);
    EXPECT_EQ((std::vector<int>{8, 7}), cursor.rows);
    EXPECT_EQ("JA1ZZZ DL1XYZ G3AAA K1ABC K1ABC TYPECALL", Column(3));
    EXPECT_EQ(EntryRow(), w->Row());
    EXPECT_EQ("DL1XYZ 23:10 14.070 100 #1; JA1ZZZ 07:00 14.070 100 #3", Log("05/16/2024"));
}

TEST_F(LogWindowTest, LowMemoryStopsAtTheNextCursorMove) {
    Seed({{"05/17/2024", "W1AW", "10:00"}});
    Start();
    machine_.Memory.AvailPageFile = 50000000ULL;
    Move(3, 1);
    EXPECT_EQ(std::vector<std::string>{"Your virtual memory is too low for this program.  You "
                                       "should increase your total available virtual memory and "
                                       "restart.  The program will now be stopped."},
              dialogs_->Messages);
    EXPECT_TRUE(w->AppFailed == -1 && w->BlockProc == -1 && w->TerminateRequested);
    EXPECT_TRUE(machine_.Releases == 1 && TDbKernel::Base() == nullptr);  // the database was shut
    Close();  // nothing more happens, not even for a key
    Key(Qt::Key_Return);
    EXPECT_EQ(1u, dialogs_->Messages.size());
}
