// Logging through the grid: the entry row, saving and re-saving contacts,
// the marker values, the keys and the cursor rules, closing with a row under
// the cursor, and a failed save that must not lose the stored contact.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "LogWindowFixture.h"
#include "logwindow/TQsoGrid.h"
#include "records/TSchemaScript.h"
#include "schema/TDatabase.h"

namespace {
const char* const kInvalid =
    "Invalid entries were found. Invalid entries have been marked as such (e.g. \"999\", "
    "\"9999\", \"UNKNOWN\", etc.)  See help / hints for more information.";

void Drop(const char* table) {
    int carried = 0, failed = 0;
    std::string error;
    ASSERT_EQ(0,
              TSchemaScript::Run(std::string("DROP TABLE ") + table + ";", carried, failed, error))
        << error;
}
}  // namespace

TEST_F(LogWindowTest, EnterOnTheEntryRowStoresItAndAppendsANewEntryRow) {
    Start();
    Type("w1aw");
    Key(Qt::Key_Return);
    ASSERT_EQ(3, w->GridRowCount);
    EXPECT_EQ("W1AW", Cell(3, 1));  // upper-cased on saving
    EXPECT_EQ("0", Cell(12, 1));    // the first contact ever stored
    EXPECT_EQ("TYPECALL", Cell(3, 2));
    EXPECT_EQ("-1", Cell(12, 2));
    EXPECT_EQ(2, w->Row());
    EXPECT_EQ(3, w->Col());
    EXPECT_TRUE(dialogs_->Messages.empty());
    const std::vector<TQSO> stored = StoredOn("05/17/2024");
    ASSERT_EQ(1u, stored.size());
    EXPECT_EQ("W1AW", stored[0].Call);
    EXPECT_EQ("14.000", stored[0].Frequency);
    EXPECT_EQ(1500, stored[0].Power);
    EXPECT_EQ(599, stored[0].SentRST);
    EXPECT_EQ("00", stored[0].Zone);
    EXPECT_EQ("12:00", stored[0].StartTime);

    // The second contact goes the same way, under the next number.
    clock_.Set(2024, 5, 17, 12, 7);
    w->btnBeginQsoClick();
    Type("K1ABC");
    Key(Qt::Key_Return);
    EXPECT_EQ(4, w->GridRowCount);
    EXPECT_EQ("1", Cell(12, 2));
    EXPECT_EQ("12:07", Cell(1, 2));
    EXPECT_EQ(2u, StoredOn("05/17/2024").size());
}

TEST_F(LogWindowTest, EnterOnTypecallOnlyStampsTheStartTime) {
    Start();
    clock_.Set(2024, 5, 17, 12, 34);
    Key(Qt::Key_Return);
    EXPECT_EQ("12:34", Cell(1, 1));
    EXPECT_EQ("12:34", Cell(2, 1));
    EXPECT_EQ(2, w->GridRowCount);
    EXPECT_TRUE(StoredOn("05/17/2024").empty());
    clock_.Set(2024, 5, 17, 12, 50);
    w->Button1Click();
    EXPECT_EQ("12:50", Cell(2, 1));
    EXPECT_EQ("12:34", Cell(1, 1));
}

TEST_F(LogWindowTest, MovingOffRowsSavesOnlyChangedOnesUnderANewNumber) {
    Seed({{"05/17/2024", "W1AW", "10:00", "first text"}, {"05/17/2024", "K1ABC", "11:00", ""}});
    Start();
    ASSERT_EQ(4, w->GridRowCount);
    Move(4, 1);
    EXPECT_EQ("first text", w->MemoText());
    EXPECT_TRUE(w->Memo1->isVisibleTo(w));
    Move(4, 2);  // row 1 left unchanged
    EXPECT_EQ("0", Cell(12, 1));
    Move(4, 1);
    Edit("14.071");
    Move(4, 2);  // row 1 left changed: stored again; the cursor goes on to row 2
    EXPECT_EQ(2, w->Row());
    EXPECT_EQ("2", Cell(12, 1));
    std::vector<TQSO> w1aw = StoredByCall("W1AW");
    ASSERT_EQ(1u, w1aw.size());
    EXPECT_EQ(2, w1aw[0].QSOID);
    EXPECT_EQ("14.071", w1aw[0].Frequency);
    EXPECT_EQ("first text", StoredText(2));
    EXPECT_EQ("", StoredText(0));
    // Moving off again without a change writes nothing more.
    Move(4, 2);
    EXPECT_EQ(2, w->Row());
    EXPECT_EQ("2", Cell(12, 1));
    EXPECT_EQ(1u, CountCall("W1AW"));
}

TEST_F(LogWindowTest, ChangingCallOrDateOfAStoredContactLeavesNoDuplicate) {
    Seed({{"05/17/2024", "W1AW", "10:00", "keep me"}});
    Start();
    Move(3, 1);
    Edit("W1XYZ");
    Key(Qt::Key_Return);
    EXPECT_EQ(0u, CountCall("W1AW"));
    ASSERT_EQ(1u, CountCall("W1XYZ"));
    EXPECT_EQ("keep me", StoredText(StoredByCall("W1XYZ")[0].QSOID));
    // The date changes through the Start button; the old day loses the contact.
    clock_.Set(2024, 5, 18, 9, 0);
    w->btnBeginQsoClick();
    Key(Qt::Key_Return);
    EXPECT_TRUE(StoredOn("05/17/2024").empty());
    ASSERT_EQ(1u, StoredOn("05/18/2024").size());
    EXPECT_EQ("09:00", StoredOn("05/18/2024")[0].StartTime);
    EXPECT_EQ("keep me", StoredText(StoredOn("05/18/2024")[0].QSOID));
}

TEST_F(LogWindowTest, SavingMarksInvalidCellsWithOneMessage) {
    Start();
    const int row = EntryRow();
    w->SetCells(4, row, "");
    w->SetCells(5, row, "5");
    w->SetCells(6, row, "");
    w->SetCells(7, row, "abc");
    w->SetCells(8, row, "LSB");
    w->SetCells(10, row, "x");
    w->SetCells(11, row, "U");
    w->SetCells(14, row, "123");
    w->SetCells(9, row, "zz");
    w->SetCells(3, row, "");
    Key(Qt::Key_Return);
    ASSERT_EQ(1u, dialogs_->Messages.size());
    EXPECT_EQ(kInvalid, dialogs_->Messages[0]);
    EXPECT_EQ("UNKNOWN", Cell(3, row));
    EXPECT_EQ("999999999", Cell(4, row));
    EXPECT_EQ("5", Cell(5, row));  // any number passes with a mode outside AM/SSB/CW/FM
    EXPECT_EQ("999", Cell(6, row));
    EXPECT_EQ("9999", Cell(7, row));
    EXPECT_EQ("UNKN", Cell(8, row));
    EXPECT_EQ("0", Cell(9, row));
    EXPECT_EQ("U", Cell(10, row));
    EXPECT_EQ("U", Cell(11, row));
    EXPECT_EQ("99", Cell(14, row));
    const std::vector<TQSO> stored = StoredOn("05/17/2024");
    ASSERT_EQ(1u, stored.size());
    EXPECT_EQ(9999, stored[0].Power);
    EXPECT_EQ(2, stored[0].RcvdQSL);

    // Markers alone are not flagged again: re-saving the row shows nothing.
    dialogs_->Messages.clear();
    Move(3, row);
    w->SetCells(15, row, "Essex");
    Key(Qt::Key_Return);
    EXPECT_TRUE(dialogs_->Messages.empty());
    // TYPECALL in lower case is turned into UNKNOWN without a message.
    w->SetCells(3, EntryRow(), "typecall");
    Key(Qt::Key_Return);
    EXPECT_TRUE(dialogs_->Messages.empty());
    EXPECT_EQ("UNKNOWN", Cell(3, EntryRow() - 1));
}

TEST_F(LogWindowTest, LongCallIsStoredCutTo15) {
    Start();
    Type("ABCDEFGHIJKLMNOPQR");
    Key(Qt::Key_Return);
    ASSERT_EQ(1u, StoredOn("05/17/2024").size());
    EXPECT_EQ("ABCDEFGHIJKLMNO", StoredOn("05/17/2024")[0].Call);
}

TEST_F(LogWindowTest, KeystrokesFailingTheColumnTestAreTakenBack) {
    Start();
    Type("W1-");
    EXPECT_EQ("W1", Cell(3, 1));
    ASSERT_EQ(1u, dialogs_->Informations.size());
    EXPECT_EQ("Not a valid callsign character!", dialogs_->Informations[0]);
    Type("/P-X", true);  // after a slash nothing is examined
    EXPECT_EQ("W1/P-X", Cell(3, 1));
    Move(4, 1);
    Type("14.0.7");
    EXPECT_EQ("14.07", Cell(4, 1));
    EXPECT_EQ("Must be numeric!", dialogs_->Informations.back());
    Move(7, 1);
    Type("1a0");
    EXPECT_EQ("10", Cell(7, 1));
    Move(8, 1);
    Type("ps");  // partial words are typable in the mode column
    EXPECT_EQ("ps", Cell(8, 1));
    EXPECT_EQ(3u, dialogs_->Informations.size());
}

TEST_F(LogWindowTest, TabChecksTheCellBeingLeft) {
    Start();
    const int row = EntryRow();
    struct Case {
        int col;
        const char* value;
        const char* message;  // nullptr: valid
    };
    const Case cases[] = {
        {14, "123", "Not a valid Zone (must be 2 chars or less)."},
        {14, "05", nullptr},
        {4, "14.0.1", "Must be numeric!"},
        {4, "14,070", nullptr},
        {5, "", "Not a valid S-RS/T!"},
        {6, "600", "Not a valid R-RS/T!"},
        {6, "59", nullptr},
        {7, "1501", "Not a valid power level!"},
        {8, "LSB", "Not a valid mode!"},
        {8, "ssb", nullptr},
        {10, "U", "Not a valid QSL indicator (Y or N)!"},
        {11, "y", nullptr},
        {15, "anything", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.col) + " " + c.value);
        dialogs_->Informations.clear();
        Move(c.col, row);
        w->SetCells(c.col, row, c.value);
        Key(Qt::Key_Tab);
        if (c.message == nullptr) {
            EXPECT_TRUE(dialogs_->Informations.empty());
        } else {
            ASSERT_EQ(1u, dialogs_->Informations.size());
            EXPECT_EQ(c.message, dialogs_->Informations[0]);
        }
        EXPECT_EQ(c.value, Cell(c.col, row));  // the text stays
    }
}

TEST_F(LogWindowTest, F8EndHomeAndTheHiddenColumns) {
    Seed({{"05/17/2024", "W1AW", "10:00", ""}, {"05/17/2024", "K1ABC", "11:00", ""}});
    Start();
    Move(6, 2);
    Key(Qt::Key_F8);
    EXPECT_EQ(3, w->Col());
    EXPECT_EQ(2, w->Row());
    Key(Qt::Key_Home);
    EXPECT_EQ(1, w->Row());
    EXPECT_EQ("W1AW", w->SavedCall);  // arrived on row 1 like any move
    Key(Qt::Key_End);
    EXPECT_EQ(EntryRow(), w->Row());
    EXPECT_EQ(3, w->Col());
    // From the left the cursor passes a hidden column to the right, from the
    // right to the left.
    Move(8, 1);
    Move(9, 1);
    EXPECT_EQ(10, w->Col());
    Move(12, 1);
    EXPECT_EQ(13, w->Col());
    Move(18, 1);
    EXPECT_EQ(19, w->Col());
    Move(18, 1);
    EXPECT_EQ(17, w->Col());
    Move(11, 1);
    Move(12, 1);
    EXPECT_EQ(13, w->Col());
}

TEST_F(LogWindowTest, F7GoesToTheTextOfAContactWithoutChangingIt) {
    Seed({{"05/17/2024", "W1AW", "10:00", "hello"}});
    Start();
    Move(3, 1);
    Key(Qt::Key_F7);
    EXPECT_EQ("hello", w->MemoText());
    EXPECT_EQ(5, w->Memo1->textCursor().position());
    // On the entry row there is no text to go to.
    Move(3, EntryRow());
    Key(Qt::Key_F7);
    EXPECT_TRUE(w->Memo1->isHidden());
}

TEST_F(LogWindowTest, TypedEntryLeftWithTheMouseStaysUnsavedUntilEnter) {
    Seed({{"05/17/2024", "W1AW", "10:00", ""}});
    Start();
    Type("DL1ABC");
    Move(3, 1);
    EXPECT_EQ(0u, CountCall("DL1ABC"));
    EXPECT_EQ("DL1ABC", Cell(3, EntryRow()));
    Move(3, EntryRow());
    Key(Qt::Key_Return);
    EXPECT_EQ(1u, CountCall("DL1ABC"));
    EXPECT_EQ(1u, CountCall("W1AW"));
}

TEST_F(LogWindowTest, ClosingSavesTheRowUnderTheCursor) {
    Seed({{"05/17/2024", "W1AW", "10:00", "text stays"}});
    Start();
    Type("G4XYZ");
    Close();
    Reopen();
    EXPECT_EQ(1u, CountCall("G4XYZ"));
    ASSERT_EQ(1u, CountCall("W1AW"));

    // Closing on a contact row writes it again, text and all.
    Start();
    Move(3, 1);
    Close();
    Reopen();
    const std::vector<TQSO> w1aw = StoredByCall("W1AW");
    ASSERT_EQ(1u, w1aw.size());
    EXPECT_EQ(2, w1aw[0].QSOID);
    EXPECT_EQ("text stays", StoredText(2));
}

TEST_F(LogWindowTest, FailedStoreKeepsTheStoredContact) {
    Seed({{"05/17/2024", "W1AW", "10:00", "precious"}});
    Start();
    // The text table is gone: the new version cannot get its text, so it must
    // not replace the stored one.
    Move(4, 1);
    Edit("7.030");
    Drop("QSO_TEXT");
    Key(Qt::Key_Return);
    ASSERT_EQ(1u, dialogs_->Messages.size());
    EXPECT_EQ("Could not add new grid row!", dialogs_->Messages[0]);
    std::vector<TQSO> stored = StoredByCall("W1AW");
    ASSERT_EQ(1u, stored.size());
    EXPECT_EQ(0, stored[0].QSOID);
    EXPECT_EQ("14.070", stored[0].Frequency);
    EXPECT_EQ("0", Cell(12, 1));
    EXPECT_EQ("7.030", Cell(4, 1));  // the grid keeps the edit

    // No contact table at all: nothing is stored, nothing deleted.
    Drop("QSOLOG");
    dialogs_->Messages.clear();
    Move(3, EntryRow());
    Type("K1ABC");
    Key(Qt::Key_Return);
    ASSERT_EQ(1u, dialogs_->Messages.size());
    EXPECT_EQ("Could not add new grid row!", dialogs_->Messages[0]);
    EXPECT_EQ("-1", Cell(12, EntryRow()));
}

TEST_F(LogWindowTest, RealKeyEventsThroughTheCellEditor) {
    Start();
    QApplication::processEvents();
    QWidget* editor = w->strGridQSOS->EditorAt(3, 1);
    ASSERT_NE(nullptr, editor);
    auto* line = qobject_cast<QLineEdit*>(editor);
    ASSERT_NE(nullptr, line);
    for (const char* ch : {"o", "h", "2", "#", "x"}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromLatin1(ch));
        QApplication::sendEvent(line, &press);
        QApplication::processEvents();  // the character test runs after the keystroke
    }
    EXPECT_EQ("oh2x", Cell(3, 1));
    EXPECT_EQ(1u, dialogs_->Informations.size());  // the "#"
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w->strGridQSOS->EditorAt(3, 1), &enter);
    EXPECT_EQ(3, w->GridRowCount);
    EXPECT_EQ(1u, CountCall("OH2X"));
    QApplication::processEvents();
    EXPECT_EQ(2, w->Row());
    EXPECT_EQ(3, w->Col());
    // The new entry row's editor opens with its text selected: typing replaces it.
    auto* next = qobject_cast<QLineEdit*>(w->strGridQSOS->EditorAt(3, 2));
    ASSERT_NE(nullptr, next);
    QKeyEvent k(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("k"));
    QApplication::sendEvent(next, &k);
    EXPECT_EQ("k", Cell(3, 2));
}
