// Logging through the grid: the entry row, saving and re-saving contacts,
// the marker values, the keys and the cursor rules, closing with a row under
// the cursor, and a failed save that must not lose the stored contact.
#include <QKeyEvent>

#include "LogWindowFixture.h"

TEST_F(LogWindowTest, ChangedRowsAreStoredAgainUnderANewNumberWithoutDuplicates) {
    Seed({{"05/17/2024", "W1AW", "10:00", "first text"}, {"05/17/2024", "K1ABC", "11:00"}});
    Start();
    Move(4, 1);
    Move(4, 2);  // row 1 left unchanged
    Move(4, 1);
    Edit("14.071");
    Move(4, 2);  // row 1 left changed: stored again; the cursor rests where sent
    EXPECT_EQ(2, w->Row());
    Move(4, 2);  // moving off again without a change writes nothing more
    EXPECT_EQ("2 1 -1", Column(12));
    EXPECT_EQ("K1ABC 11:00 14.070 100 #1; W1AW 10:00 14.071 100 #2 'first text'", Log());
    // A new call or date leaves nothing under the old one.
    Move(3, 1);
    Edit("W1XYZ");
    Key(Qt::Key_Return);
    machine_.Set(9, 0, 18);
    Move(3, 1);
    w->btnBeginQsoClick();  // the date changes through the Start button
    Key(Qt::Key_Return);
    EXPECT_EQ("K1ABC 11:00 14.070 100 #1", Log());
    EXPECT_EQ("W1XYZ 09:00 14.071 100 #4 'first text'", Log("05/18/2024"));
}

TEST_F(LogWindowTest, SavingMarksInvalidCellsWithOneMessage) {
    Start();
    const int row = EntryRow();
    // clang-format off
    const char* cells[] = {"", "", "5", "", "abc", "LSB", "zz", "x", "U", "-1", "", "123"};
    // clang-format on
    for (int col = 3; col <= 14; ++col) Set(col, row, cells[col - 3]);
    Key(Qt::Key_Return);
    EXPECT_EQ(std::vector<std::string>{"Invalid entries were found. Invalid entries have been "
                                       "marked as such (e.g. \"999\", \"9999\", \"UNKNOWN\", "
                                       "etc.)  See help / hints for more information."},
              dialogs_->Messages);
    // Any S-RST number passes with a mode outside AM/SSB/CW/FM.
    EXPECT_EQ("UNKNOWN 999999999 5 999 9999 UNKN 0 U U 0  99", RowText(row, 3, 14));
    EXPECT_EQ("UNKNOWN 12:00 999999999 9999 #0", Log());
    EXPECT_EQ(2, Stored().at(0).RcvdQSL);
    // Markers alone are not flagged again; TYPECALL in lower case becomes UNKNOWN.
    dialogs_->Messages.clear();
    Move(3, row);
    Set(15, row, "Essex");
    Key(Qt::Key_Return);
    Set(3, EntryRow(), "typecall");
    Key(Qt::Key_Return);
    EXPECT_TRUE(dialogs_->Messages.empty());
    EXPECT_EQ("UNKNOWN", Cell(3, EntryRow() - 1));
}

TEST_F(LogWindowTest, TabChecksTheCellBeingLeftAndLeavesItsText) {
    Start();
    // clang-format off
    const std::tuple<int, const char*, const char*> cases[] = {  // the box; nullptr: valid
        {14, "123", "Not a valid Zone (must be 2 chars or less)."}, {5, "", "Not a valid S-RS/T!"},
        {4, "14.0.1", "Must be numeric!"}, {7, "1501", "Not a valid power level!"},
        {8, "LSB", "Not a valid mode!"}, {10, "U", "Not a valid QSL indicator (Y or N)!"},
        {4, "14,070", nullptr}, {8, "ssb", nullptr}, {15, "anything", nullptr}};
    // clang-format on
    for (const auto& [col, value, box] : cases) {
        dialogs_->Informations.clear();
        Move(col, EntryRow());
        Set(col, EntryRow(), value);
        Key(Qt::Key_Tab);
        EXPECT_EQ(box ? std::vector<std::string>{box} : std::vector<std::string>{},
                  dialogs_->Informations);
        EXPECT_EQ(value, Cell(col, EntryRow())) << col;
    }
}

TEST_F(LogWindowTest, KeysAndHiddenColumnsMoveTheCursor) {
    Seed({{"05/17/2024", "W1AW", "10:00", "hello"}, {"05/17/2024", "K1ABC", "11:00"}});
    Start();
    Move(6, 2);
    Key(Qt::Key_F8);    // to the call
    Key(Qt::Key_Home);  // to the first row, arriving as with any move
    EXPECT_EQ("1 3 W1AW",
              std::to_string(w->Row()) + " " + std::to_string(w->Col()) + " " + w->SavedCall);
    Key(Qt::Key_F7);  // to the text, unchanged, cursor at its end
    EXPECT_EQ(5, w->Memo1->textCursor().position());
    Key(Qt::Key_End);
    EXPECT_EQ("3 3", std::to_string(w->Row()) + " " + std::to_string(w->Col()));
    Key(Qt::Key_F7);  // the entry row has no text to go to
    EXPECT_TRUE(w->Memo1->isHidden());
    // A hidden column is passed in the direction of the move.
    for (const auto& [from, to, arrived] : {std::tuple{8, 9, 10}, {17, 18, 19}, {19, 18, 17}}) {
        Move(from, 1);
        Move(to, 1);
        EXPECT_EQ(arrived, w->Col()) << from << " to " << to;
    }
}

TEST_F(LogWindowTest, TypedEntryIsSavedOnEnterOrClosingNotByTheMouse) {
    Seed({{"05/17/2024", "W1AW", "10:00", "text stays"}});
    Start();
    machine_.Set(12, 34);
    Key(Qt::Key_Return);  // on TYPECALL Enter only stamps the time
    Type("dl1abc");
    Move(3, 1);
    EXPECT_EQ("W1AW 10:00 14.070 100 #0 'text stays'", Log());
    Move(3, EntryRow());
    Key(Qt::Key_Return);  // stored, upper-cased, under the next number
    EXPECT_EQ("3 3", std::to_string(w->Row()) + " " + std::to_string(w->Col()));
    Type("G4XYZABCDEFGHIJKLM");  // a long call is stored cut to 15
    Close();
    Reopen();
    EXPECT_EQ(
        "DL1ABC 12:34 14.000 1500 #1; G4XYZABCDEFGHIJ 12:34 14.000 1500 #2; W1AW 10:00 "
        "14.070 100 #0 'text stays'",
        Log());
    Shut();
    Start();  // closing on a contact row writes it again, text and all
    Move(3, 1);
    Close();
    Reopen();
    EXPECT_EQ("W1AW 10:00 14.070 100 #3 'text stays'", Log().substr(Log().rfind("W1AW")));
}

TEST_F(LogWindowTest, FailedStoreKeepsTheStoredContact) {
    Seed({{"05/17/2024", "W1AW", "10:00", "precious"}});
    Start();
    // The text table is gone: the new version cannot get its text, so it must
    // not replace the stored one.
    Move(4, 1);
    Edit("7.030");
    Script("DROP TABLE QSO_TEXT;");
    Key(Qt::Key_Return);
    const std::vector<std::string> notAdded = {"Could not add new grid row!"};
    EXPECT_EQ(notAdded, dialogs_->Messages);
    EXPECT_EQ("W1AW 10:00 14.070 100 #0", Log());
    EXPECT_EQ("7.030 0", Cell(4, 1) + " " + Cell(12, 1));  // the grid keeps the edit
    // No contact table at all: nothing is stored, nothing deleted.
    Script("DROP TABLE QSOLOG;");
    dialogs_->Messages.clear();
    Move(3, EntryRow());
    Type("K1ABC");
    Key(Qt::Key_Return);
    EXPECT_EQ(notAdded, dialogs_->Messages);
    EXPECT_EQ("-1", Cell(12, EntryRow()));
}

// The editor survives the message box of a refused character, and the new
// entry row's editor opens with its text selected.
TEST_F(LogWindowTest, RealKeyEventsThroughTheCellEditor) {
    Start();
    QApplication::processEvents();
    auto press = [](QWidget* editor, int key, const char* text) {
        ASSERT_NE(nullptr, qobject_cast<QLineEdit*>(editor));
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
        QApplication::sendEvent(editor, &event);
        QApplication::processEvents();  // the character test runs after the keystroke
    };
    for (const char* ch : {"o", "h", "2", "#", "x"}) press(w->strGridQSOS->EditorAt(3, 1), 0, ch);
    EXPECT_EQ("oh2x", Cell(3, 1));
    EXPECT_EQ(1u, dialogs_->Informations.size());  // the "#"
    press(w->strGridQSOS->EditorAt(3, 1), Qt::Key_Return, "");
    EXPECT_EQ("OH2X 12:00 14.000 1500 #0", Log());
    EXPECT_EQ("2 3", std::to_string(w->Row()) + " " + std::to_string(w->Col()));
    press(w->strGridQSOS->EditorAt(3, 2), 0, "k");
    EXPECT_EQ("k", Cell(3, 2));
}
