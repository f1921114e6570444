// The feature commands through the log window itself: the country and the
// earlier contacts on a click, finding, export, printing with texts, about
// and help.
#include <QListWidget>
#include <QPlainTextEdit>
#include <filesystem>

#include "LogWindowFixture.h"
#include "logwindow/TCountryTable.h"
#include "logwindow/TfrmALittleHelp.h"
#include "logwindow/TfrmAbout.h"
#include "platform/TRecordingHelpViewer.h"
#include "platform/TRecordingPrinter.h"
#include "records/RecordsFixture.h"

namespace {

// Rows after the start-up (oldest first): 1 W1AW, 2 DL1ABC, 3 W1AW, 4 K1ABC; 5 the entry row.
const std::vector<TSeedQSO> kContacts = {
    {"05/10/2024", "W1AW", "10:00", "first chat"},
    {"05/11/2024", "DL1ABC", "11:00", ""},
    {"05/12/2024", "W1AW", "12:00", "second chat"},
    {"05/16/2024", "K1ABC", "09:00", ""},
};

TEST_F(LogWindowTest, TheCountryListAndAClickFillTheCountryAndTheEarlierContacts) {
    Seed(kContacts);
    Start();
    EXPECT_EQ(static_cast<int>(TCountryTable::Entries().size()), w->lstboxCountry->count());
    Move(3, 2);
    EXPECT_EQ("GERMANY", Cell(13, 2));
    Move(3, 3);
    const std::string previous = w->memPreviousQsos->toPlainText().toStdString();
    EXPECT_EQ(0u, previous.find("Previous QSOs :\n"));
    EXPECT_NE(std::string::npos, previous.find("05/10/2024 W1AW "));
    EXPECT_NE(std::string::npos, previous.find("05/12/2024 W1AW "));
    EXPECT_EQ(std::string::npos, previous.find("DL1ABC"));
    std::string country = "kept";
    Move(3, EntryRow());
    EXPECT_NE(0, w->GetCountry(country));  // TYPECALL has no country
    EXPECT_EQ("kept", country);
}

TEST_F(LogWindowTest, FindAndFindNextMoveTheCursorAndWrap) {
    Seed(kContacts);
    Start();
    dialogs_->QueueAnswer("w1aw");
    w->FindCallincurrentselection1Click();
    EXPECT_EQ(1, w->Row());
    w->SearchNext1Click();
    EXPECT_EQ(3, w->Row());
    w->SearchNext1Click();
    EXPECT_EQ(1, w->Row());
    EXPECT_EQ("first chat", w->MemoText());  // the click handling ran for the row
    dialogs_->QueueAnswer("W1A");
    w->tlbbtnFindCallClick();
    EXPECT_EQ(1, w->Row());
    w->SearchNext1Click();
    EXPECT_EQ("You need to search first before you can search next!", dialogs_->Messages.back());
}

TEST_F(LogWindowTest, FewerDaysReloadTheGridAndFindNextStartsAgainAtTheTop) {
    Seed(kContacts);
    Start();
    dialogs_->QueueAnswer("W1AW");
    w->FindCallincurrentselection1Click();
    w->SearchNext1Click();
    ASSERT_EQ(3, w->FindCommands.SearchRow);
    dialogs_->QueueAnswer("2");  // today and two days back: only K1ABC
    w->FindQSObyDate1Click();
    EXPECT_EQ(2, w->DaysToShow);
    ASSERT_EQ(3, w->GridRowCount);
    EXPECT_EQ("K1ABC", Cell(3, 1));
    dialogs_->QueueAnswer("0");
    w->FindQSObyDate1Click();
    EXPECT_EQ(180, w->DaysToShow);
    EXPECT_EQ(6, w->GridRowCount);
    w->SearchNext1Click();
    EXPECT_EQ(1, w->Row());
}

TEST_F(LogWindowTest, ExportFromTheToolButtonWritesTheWholeLog) {
    Seed(kContacts);
    Start();
    const std::string name = dir_ + "/export.txt";
    dialogs_->QueueAnswer(name);
    w->tlbtnExpFileClick();
    EXPECT_EQ("6 Rows Exported.", dialogs_->Informations.back());  // 4 contacts, 2 text pieces
    const std::string text = ReadFile(name);
    EXPECT_EQ(0u, text.find("QSO_LOG:\r\n"));
    EXPECT_NE(std::string::npos, text.find("|SECOND CHAT|TAIL:"));
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(8u, lines);
}

TEST_F(LogWindowTest, PrintingWithTextsWalksThePrintedRowsAndTakesTheirTexts) {
    Seed(kContacts);
    Start();
    TRecordingPrinter printer;
    dialogs_->QueueAnswer("6");  // 05/12 on: rows 3, 4 and the entry row
    w->ToolButton1Click();
    ASSERT_EQ(1, printer.Printouts);
    const std::vector<std::string>& lines = printer.Lines;
    ASSERT_EQ(5u + 3u * 4u, lines.size());
    EXPECT_EQ("Printed on 05/17/2024", lines[1]);
    EXPECT_EQ(0u, lines[5].find(" 05/12/2024   12:00 "));
    EXPECT_EQ(" second chat", lines[7]);
    EXPECT_EQ(" K1ABC", lines[9].substr(13 + 8 + 8, 6));
    EXPECT_NE(std::string::npos, lines[13].find("TYPECALL"));
    EXPECT_EQ(EntryRow(), w->Row());  // left on the last printed row

    dialogs_->QueueAnswer("180");
    w->tlbbtnPrintClick();
    EXPECT_EQ(5u + 5u, printer.Lines.size());
    EXPECT_EQ(8, printer.PointSize);
    EXPECT_EQ("Qso Log", printer.Title);
}

TEST_F(LogWindowTest, AboutRunsModallyAndHintsAskForTheHelpFile) {
    Start();
    w->AbouttheTrambleQSOlogprogram1Click();
    EXPECT_EQ(1, modalRuns_);
    ASSERT_NE(nullptr, frmAbout);
    TRecordingHelpViewer help;
    w->AFewHints1Click();
    EXPECT_EQ(std::vector<std::string>{"QSOLOG.HLP"}, help.Files);
    EXPECT_EQ(w, help.LastOwner);
    delete frmAbout;
    EXPECT_EQ(nullptr, frmAbout);
}

}  // namespace
