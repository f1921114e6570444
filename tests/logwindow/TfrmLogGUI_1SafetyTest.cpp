// A corrected contact left by a move is stored and the cursor rests where
// sent; a full file or a lost table refuses contacts, never swallows them.
#include "LogWindowFixture.h"
#include "kernel/TDbKernel.h"
#include "records/FullLogFile.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"
#include "schema/TSQLStatements.h"

TEST_F(LogWindowTest, LeavingACorrectedContactStoresItAndTheCursorRestsWhereSent) {
    Seed({{"05/17/2024", "W1AW", "10:00", "first"}, {"05/17/2024", "K1ABC", "11:00", ""}});
    struct TCase {
        const char* name;
        int editRow;
        int key;       // 0: a click on column 6 of row 2
        int col, row;  // where the cursor must rest (row -1: the entry row)
    };
    const std::vector<TCase> cases = {
        {"End", 1, Qt::Key_End, 3, -1},
        {"Home", 2, Qt::Key_Home, 4, 1},
        {"click", 1, 0, 6, 2},
    };
    int frequency = 0;
    Start();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string call = Cell(3, c.editRow);
        const std::string value = "7.00" + std::to_string(++frequency);
        Move(4, c.editRow);
        Edit(value);
        if (c.key != 0)
            Key(c.key);
        else
            Move(6, 2);
        const int row = c.row < 0 ? EntryRow() : c.row;
        EXPECT_EQ(row, w->Row());
        EXPECT_EQ(c.col, w->Col());
        EXPECT_EQ(Cell(3, row), w->SavedCall);  // the row arrived on is taken up
        const std::vector<TQSO> stored = Stored(call);
        ASSERT_EQ(1u, stored.size());
        EXPECT_EQ(value, stored[0].Frequency);
        EXPECT_EQ(std::to_string(stored[0].QSOID), Cell(12, c.editRow));
    }
    // After End the next station goes into the entry row, not over the
    // corrected contact.
    Key(Qt::Key_End);
    Type("DL1XYZ");
    Key(Qt::Key_Return);
    EXPECT_EQ(1u, Stored("DL1XYZ").size());
    ASSERT_EQ(1u, Stored("W1AW").size());
    EXPECT_EQ("7.003", Stored("W1AW")[0].Frequency);
    EXPECT_EQ("first", StoredText(Stored("W1AW")[0].QSOID));
    EXPECT_EQ(1u, Stored("K1ABC").size());
    EXPECT_TRUE(dialogs_->Messages.empty());

    // Enter on a corrected contact stores it and stays on it.
    Move(4, 2);
    Edit("3.5");
    Key(Qt::Key_Return);
    EXPECT_EQ(2, w->Row());
    EXPECT_EQ("3.5", Stored("K1ABC")[0].Frequency);
    EXPECT_EQ(Cell(12, 2), std::to_string(w->CurrentQSO->QSOID));
}

TEST_F(LogWindowTest, AFullFileRefusesAContactAndKeepsItAsTyped) {
    Seed({{"05/17/2024", "W1AW", "10:00", "kept"}});
    Start();
    FillLogFile({{"QSO_DATE_INDEX", 5}});  // room for index rows only
    const char* const kFull =
        "The log file is full: this contact was not stored. Compact the log with \"tramb-db "
        "compact\" or start a new log file.";
    Type("K1ABC");
    Key(Qt::Key_Return);
    ASSERT_EQ(1u, dialogs_->Messages.size());
    EXPECT_EQ(kFull, dialogs_->Messages[0]);
    EXPECT_EQ(2, EntryRow());  // still the entry row, as typed
    EXPECT_EQ("K1ABC", Cell(3, 2));
    EXPECT_EQ("-1", Cell(12, 2));
    EXPECT_EQ(0u, Stored("K1ABC").size());
    TDBResultSet index;
    ASSERT_EQ(0, index.Open("QSO_DATE_INDEX", "05/17/2024", "05/17/2024"));
    EXPECT_EQ(1u, index.Rows.size());

    // A corrected contact keeps its stored version, left by End or by Enter.
    for (int key : {Qt::Key_End, Qt::Key_Return}) {
        dialogs_->Messages.clear();
        const std::string value = key == Qt::Key_End ? "7.030" : "7.031";
        Move(4, 1);
        Edit(value);
        Key(key);
        ASSERT_EQ(1u, dialogs_->Messages.size());
        EXPECT_EQ(kFull, dialogs_->Messages[0]);
        EXPECT_EQ(value, Cell(4, 1));
        EXPECT_EQ("0", Cell(12, 1));
        const std::vector<TQSO> stored = Stored("W1AW");
        ASSERT_EQ(1u, stored.size());
        EXPECT_EQ("14.070", stored[0].Frequency);
        EXPECT_EQ("kept", StoredText(0));
    }
}

TEST_F(LogWindowTest, ALogWithoutSequencesStopsAtStartUp) {
    {
        const std::string path = dir_ + "/db_default.sib";
        Database = new TDatabase();
        ASSERT_EQ(0, Database->StartDatabase(path));
        ASSERT_EQ(0, TSQLStatements::NewStatement("DROP TABLE SEQUENCES")->Execute());
        Database->ShutdownDatabase(path);
        delete Database;
        Database = nullptr;
    }
    Start();
    EXPECT_EQ(-1, w->AppFailed);
    EXPECT_TRUE(w->TerminateRequested);
    EXPECT_FALSE(machine_.Held());
    ASSERT_EQ(1u, dialogs_->Messages.size());
    EXPECT_EQ(
        "The log file lacks the table(s) SEQUENCES. Run \"tramb-db init\" in the log's folder: it "
        "creates the missing tables and keeps the contacts. The program will now be stopped.",
        dialogs_->Messages[0]);
    EXPECT_EQ(nullptr, TDbKernel::Base());  // the file is closed again
    EXPECT_EQ(1, w->GridRowCount);          // nothing was loaded
}
