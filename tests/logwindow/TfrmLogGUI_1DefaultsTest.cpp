// Station defaults and the UTC shift, the contact text memo and the
// station-settings window.
#include <QLineEdit>

#include "LogWindowFixture.h"
#include "logwindow/TForm6.h"

TEST_F(LogWindowTest, StoredDefaultsComeBackAndPrefillTheEntryRow) {
    Reopen();
    SaveSetting("Default_Frequency", "7.030");
    SaveSetting("Default_Power", "100");
    SaveSetting("Default_Mode", "rtty");
    SaveSetting("Default_RRst", "57");
    SaveSetting("Default_SRst", "55");
    SaveSetting("UTCShift", "2");
    Start();
    EXPECT_EQ("7.030", w->edtFrequency->text().toStdString());
    EXPECT_EQ("RTTY", w->cboMode->currentText().toStdString());
    EXPECT_EQ("100", w->edtPower->text().toStdString());
    EXPECT_EQ("57", w->edtRRst->text().toStdString());
    EXPECT_EQ("55", w->edtSRST->text().toStdString());
    EXPECT_EQ(2, w->UTCShiftHours);
    const int row = EntryRow();
    EXPECT_EQ("7.030", Cell(4, row));
    EXPECT_EQ("55", Cell(5, row));
    EXPECT_EQ("57", Cell(6, row));
    EXPECT_EQ("100", Cell(7, row));
    EXPECT_EQ("RTTY", Cell(8, row));
    EXPECT_EQ("14:00", Cell(1, row));  // 12:00 local + 2 hours
    // Changing the editors changes the entry row at once.
    w->edtFrequency->setText("21.050");
    EXPECT_EQ("21.050", Cell(4, row));
    w->edtPower->setText("50");
    EXPECT_EQ("50", Cell(7, row));
    w->cboMode->setCurrentIndex(1);
    w->cboModeChange();
    EXPECT_EQ("SSB", Cell(8, row));
    w->edtSRST->setText("44");
    w->edtSRSTExit();
    EXPECT_EQ("44", Cell(5, row));
    Close();
    Reopen();
    EXPECT_EQ("21.050", Setting("Default_Frequency"));
    EXPECT_EQ("50", Setting("Default_Power"));
    EXPECT_EQ("SSB", Setting("Default_Mode"));
    EXPECT_EQ("44", Setting("Default_SRst"));
    EXPECT_EQ("57", Setting("Default_RRst"));
    EXPECT_EQ("2", Setting("UTCShift"));
}

TEST_F(LogWindowTest, StoredModeOutsideTheListSelectsCW) {
    Reopen();
    SaveSetting("Default_Frequency", "3.5");
    SaveSetting("Default_Mode", "LSB");
    Start();
    EXPECT_EQ("CW", w->cboMode->currentText().toStdString());
    EXPECT_EQ("CW", Cell(8, EntryRow()));
}

TEST_F(LogWindowTest, InvalidPanelEntriesFallBack) {
    Reopen();
    SaveSetting("Default_Frequency", "7.030");
    SaveSetting("Default_Power", "400");
    SaveSetting("Default_SRst", "57");
    Start();
    const int row = EntryRow();
    // Frequency: an invalid text shows the column message and restores the start value.
    w->edtFrequency->setText("7.0.3");
    EXPECT_EQ("7.030", w->edtFrequency->text().toStdString());
    EXPECT_EQ("Must be numeric!", dialogs_->Informations.back());
    w->edtFrequency->setText("");
    w->edtFrequencyExit();
    EXPECT_EQ("7.030", w->edtFrequency->text().toStdString());
    // Power: too high, not numeric, empty on leaving.
    w->edtPower->setText("2000");
    EXPECT_EQ("Not a valid power level!", dialogs_->Informations.back());
    EXPECT_EQ("400", w->edtPower->text().toStdString());
    w->edtPower->setText("abc");
    EXPECT_EQ("Power level must be numeric value.", dialogs_->Messages.back());
    EXPECT_EQ("400", w->edtPower->text().toStdString());
    w->edtPower->setText("");
    w->edtPowerExit();
    EXPECT_EQ("400", w->edtPower->text().toStdString());
    EXPECT_EQ("400", Cell(7, row));
    // Reports: a number failing the CW rule, letters, blanks.
    w->edtSRST->setText("700");
    w->edtSRSTExit();
    EXPECT_EQ("Not a valid S-RS/T!", dialogs_->Informations.back());
    EXPECT_EQ("57", w->edtSRST->text().toStdString());
    const size_t infos = dialogs_->Informations.size();
    w->edtSRST->setText("5x");
    w->edtSRSTExit();
    EXPECT_EQ("57", w->edtSRST->text().toStdString());
    EXPECT_EQ(infos, dialogs_->Informations.size());
    w->edtRRst->setText("   ");
    w->edtRRstExit();
    EXPECT_EQ("   ", w->edtRRst->text().toStdString());
    w->edtRRst->setText("");
    w->edtRRstExit();
    EXPECT_EQ("599", w->edtRRst->text().toStdString());  // nothing stored: built-in
}

TEST_F(LogWindowTest, FirstStartFallbacksAndTheClosingValues) {
    Start();
    w->edtFrequency->setText("");
    w->edtFrequencyExit();
    EXPECT_EQ("14", w->edtFrequency->text().toStdString());
    w->edtPower->setText("");
    w->edtPowerExit();
    EXPECT_EQ("100", w->edtPower->text().toStdString());
    TDefaults current;
    w->edtSRST->setText("");
    w->GetCurrentDefaults(current);
    EXPECT_EQ("14", current.Frequency);
    EXPECT_EQ("100", current.Power);
    EXPECT_EQ("599", current.SRst);
    EXPECT_EQ("CW", current.Mode);
}

TEST_F(LogWindowTest, UtcShiftEditor) {
    Start();
    w->edtUTCShift->setText("-5");
    EXPECT_EQ(-5, w->UTCShiftHours);
    w->btnBeginQsoClick();
    EXPECT_EQ("07:00", Cell(1, EntryRow()));
    w->edtUTCShift->setText("-");
    EXPECT_EQ(-5, w->UTCShiftHours);  // a lone minus keeps the shift
    w->edtUTCShift->setText("x");
    EXPECT_EQ("Must be numeric value", dialogs_->Messages.back());
    EXPECT_EQ("-5", w->edtUTCShift->text().toStdString());
    w->edtUTCShift->setText("");
    w->edtUTCShiftExit();
    EXPECT_EQ("0", w->edtUTCShift->text().toStdString());
    EXPECT_EQ(0, w->UTCShiftHours);
    // Past midnight the Start button stamps tomorrow's date.
    clock_.Set(2024, 5, 17, 23, 30);
    w->edtUTCShift->setText("2");
    w->btnBeginQsoClick();
    EXPECT_EQ("05/18/2024", Cell(0, EntryRow()));
    EXPECT_EQ("01:30", Cell(1, EntryRow()));
    w->Button1Click();
    EXPECT_EQ("01:30", Cell(2, EntryRow()));
}

TEST_F(LogWindowTest, MemoTextIsStoredWhenChangedAndOnlyThen) {
    Seed({{"05/17/2024", "W1AW", "10:00", "old text"}});
    Start();
    // On the entry row with TYPECALL the memo is refused.
    w->Memo1Enter();
    EXPECT_EQ("You must type a call sign before you add QSO text!", dialogs_->Messages.back());
    Move(3, 1);
    w->Memo1Enter();
    w->Memo1Exit();  // unchanged: nothing written
    EXPECT_EQ("old text", StoredText(0));
    w->Memo1Enter();
    w->SetMemoText("new text");
    w->Memo1Exit();
    EXPECT_EQ("new text", StoredText(0));
    EXPECT_EQ("0", Cell(12, 1));  // a text alone keeps the identifier
    // Emptying the text deletes it (an empty piece remains).
    w->Memo1Enter();
    w->SetMemoText("");
    w->Memo1Exit();
    EXPECT_EQ("", StoredText(0));
    // A cell edit and a text edit, then moving away: both under the new number.
    w->Memo1Enter();
    w->SetMemoText("both");
    w->Memo1Exit();
    w->SetCells(15, 1, "Essex");
    Move(3, 2);
    EXPECT_EQ("1", Cell(12, 1));
    EXPECT_EQ("both", StoredText(1));
    EXPECT_EQ("", StoredText(0));
}

TEST_F(LogWindowTest, TextsOver10KAreCutWithTheMessage) {
    const std::string exact(10000, 'a');
    const std::string longer = std::string(10000, 'b') + "cc";
    Seed({{"05/17/2024", "W1AW", "10:00", exact}, {"05/17/2024", "K1ABC", "11:00", longer}});
    Start();
    const char* message =
        "The text that you are attempting to insert has exceeded the maximum limit.  Characters "
        "in excess of 10K will be truncated.";
    Move(3, 1);
    EXPECT_EQ(exact, w->MemoText());
    EXPECT_TRUE(dialogs_->Messages.empty());
    Move(3, 2);
    EXPECT_EQ(std::string(10000, 'b'), w->MemoText());
    ASSERT_EQ(1u, dialogs_->Messages.size());
    EXPECT_EQ(message, dialogs_->Messages[0]);
    // Storing more than 10000 characters cuts them too.
    w->SavedText = std::string(10005, 'z');
    EXPECT_EQ(0, w->AddQSOMemo(2));
    EXPECT_EQ(std::string(10000, 'z'), StoredText(1));
    EXPECT_EQ(message, dialogs_->Messages.back());
    // The memo itself holds no more than 10000.
    w->SetMemoText(std::string(10010, 'q'));
    EXPECT_EQ(10000u, w->MemoText().size());
}

TEST_F(LogWindowTest, StationSettingsWindowStoresEightTexts) {
    Start();
    TForm6 form;
    form.FormShow();
    for (QLineEdit* e : form.edtSettings) {
        EXPECT_TRUE(e->text().isEmpty());
        EXPECT_EQ(29, e->maxLength());
    }
    form.edtSettings[0]->setText("Tuner 3/7");
    form.edtSettings[7]->setText("   ");
    form.btnDoneClick();
    EXPECT_EQ("Tuner 3/7", Setting("StnSetting1"));
    EXPECT_EQ("_", Setting("StnSetting2"));
    EXPECT_EQ("_", Setting("StnSetting8"));
    TForm6 again;
    again.FormShow();
    EXPECT_EQ("Tuner 3/7", again.edtSettings[0]->text().toStdString());
    EXPECT_EQ("_", again.edtSettings[1]->text().toStdString());
}
