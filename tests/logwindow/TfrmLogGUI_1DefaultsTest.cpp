// Station defaults and the UTC shift, the contact text memo and the
// station-settings window.
#include "LogWindowFixture.h"
#include "logwindow/TForm6.h"

TEST_F(LogWindowTest, StoredDefaultsPrefillTheEntryRowAndInvalidEntriesFallBack) {
    Seed({{"05/18/2024", "TOMORROW", "03:00"}});
    // clang-format off
    SaveSettings({{"Default_Frequency", "7.030"}, {"Default_Power", "400"}, {"Default_Mode", "LSB"},
                  {"Default_RRst", "57"}, {"Default_SRst", "55"}, {"UTCShift", "3"}});
    // clang-format on
    machine_.Set(22, 30);  // 22:30 local + 3 hours: tomorrow is today in UTC
    Start();
    EXPECT_EQ("TOMORROW TYPECALL", Column(3));
    // A mode outside the list selects CW.
    EXPECT_EQ("7.030 400 55 57 3 CW", Panel());
    EXPECT_EQ("05/18/2024 01:30 01:30 TYPECALL 7.030 55 57 400 CW", RowText(EntryRow(), 0, 8));
    // An invalid text shows the column's message and restores the start value;
    // blanks stay.
    w->edtFrequency->setText("7.0.3");
    w->edtPower->setText("2000");
    w->edtPower->setText("abc");
    w->edtSRST->setText("700");
    w->edtSRSTExit();
    w->edtRRst->setText("   ");
    w->edtRRstExit();
    EXPECT_EQ((std::vector<std::string>{"Must be numeric!", "Not a valid power level!",
                                        "Not a valid S-RS/T!"}),
              dialogs_->Informations);
    EXPECT_EQ(std::vector<std::string>{"Power level must be numeric value."}, dialogs_->Messages);
    EXPECT_EQ("7.030 400 55     3 CW", Panel());
    // Empty on leaving: the start value.
    for (QLineEdit* e : {w->edtFrequency, w->edtPower, w->edtRRst}) e->setText("");
    w->edtFrequencyExit();
    w->edtPowerExit();
    w->edtRRstExit();
    EXPECT_EQ("7.030 400 55 57 3 CW", Panel());
    // Valid changes go to the entry row at once and are stored on closing.
    w->edtFrequency->setText("21.050");
    w->edtPower->setText("50");
    w->cboMode->setCurrentIndex(1);
    w->cboModeChange();
    w->edtSRST->setText("44");
    w->edtSRSTExit();
    EXPECT_EQ("21.050 44 57 50 SSB", RowText(EntryRow(), 4, 8));
    Close();
    Reopen();
    EXPECT_EQ("21.050 50 SSB 44", Setting("Default_Frequency") + " " + Setting("Default_Power") +
                                      " " + Setting("Default_Mode") + " " +
                                      Setting("Default_SRst"));
}

TEST_F(LogWindowTest, UtcShiftEditorFirstStartFallbacksAndStationSettings) {
    Start();
    w->edtUTCShift->setText("-5");
    w->edtUTCShift->setText("-");  // a lone minus keeps the shift
    w->btnBeginQsoClick();         // the Start and End buttons stamp the shifted time
    w->Button1Click();
    EXPECT_EQ("07:00 07:00", RowText(EntryRow(), 1, 2));
    w->edtUTCShift->setText("x");
    EXPECT_EQ(std::vector<std::string>{"Must be numeric value"}, dialogs_->Messages);
    EXPECT_EQ("-5", w->edtUTCShift->text().toStdString());
    w->edtUTCShift->setText("");
    w->edtUTCShiftExit();
    EXPECT_EQ(0, w->UTCShiftHours);
    // With nothing stored, empty editors fall back to fixed values.
    for (QLineEdit* e : {w->edtFrequency, w->edtPower, w->edtSRST}) e->setText("");
    w->edtFrequencyExit();
    w->edtPowerExit();
    TDefaults now;
    w->GetCurrentDefaults(now);
    EXPECT_EQ("14 100 599 CW", now.Frequency + " " + now.Power + " " + now.SRst + " " + now.Mode);
    // The station-settings window stores eight texts, a blank one as "_".
    TForm6 form;
    form.FormShow();
    for (QLineEdit* e : form.edtSettings) EXPECT_TRUE(e->maxLength() == 29 && e->text().isEmpty());
    form.edtSettings[0]->setText("Tuner 3/7");
    form.edtSettings[7]->setText("   ");  // blank: stored as "_"
    form.btnDoneClick();
    TForm6 again;
    again.FormShow();
    EXPECT_EQ("Tuner 3/7 _ _", Setting("StnSetting1") + " " + Setting("StnSetting2") + " " +
                                   again.edtSettings[7]->text().toStdString());
}

TEST_F(LogWindowTest, MemoTextIsStoredWhenChangedAndOnlyThenAndCutAt10K) {
    Seed({{"05/17/2024", "W1AW", "10:00", "old text"},
          {"05/17/2024", "K1ABC", "11:00", std::string(10000, 'b') + "cc"}});
    Start();
    w->Memo1Enter();  // refused on the entry row with TYPECALL
    EXPECT_EQ("You must type a call sign before you add QSO text!", dialogs_->Messages.back());
    dialogs_->Messages.clear();
    Move(3, 1);
    // Unchanged: nothing written; changed; emptied (an empty piece remains); then with a
    // cell edit, moving away stores both under the new number.
    for (const char* text : {"old text", "new text", "", "both"}) {
        w->Memo1Enter();
        w->SetMemoText(text);
        w->Memo1Exit();
        EXPECT_EQ(text, StoredText(0));
    }
    Set(15, 1, "Essex");
    Move(3, 2);
    EXPECT_EQ("2 both", Cell(12, 1) + " " + StoredText(2));
    EXPECT_EQ("", StoredText(0));
    // A text over 10000 characters is cut with a message, shown or stored.
    Move(3, 2);  // the changed row kept the cursor; now it moves on
    EXPECT_EQ(std::string(10000, 'b'), w->MemoText());
    w->SavedText = std::string(10005, 'z');
    EXPECT_EQ(0, w->AddQSOMemo(2));
    EXPECT_EQ(std::string(10000, 'z'), StoredText(1));
    EXPECT_EQ(std::vector<std::string>(2,
                                       "The text that you are attempting to insert has exceeded "
                                       "the maximum limit.  Characters in excess of 10K will "
                                       "be truncated."),
              dialogs_->Messages);
    w->SetMemoText(std::string(10010, 'q'));  // the memo itself holds no more
    EXPECT_EQ(10000u, w->MemoText().size());
}
