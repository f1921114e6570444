// The feature commands: the country and the earlier contacts on a click,
// finding and the days shown, export, about and help.
#include <QListWidget>
#include <algorithm>
#include <cstring>

#include "LogWindowFixture.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "logwindow/TCallDataLookup.h"
#include "logwindow/TfrmAbout.h"
#include "platform/TRecordingHelpViewer.h"
#include "records/TLogExport.h"

// A click fills the country and the earlier contacts; finding calls.
TEST_F(LogWindowTest, CountryEarlierContactsAndFindingCallsOverAReload) {
    Seed(kFourContacts);
    Start();
    EXPECT_EQ(310, w->lstboxCountry->count());
    Move(3, 2);
    EXPECT_EQ("GERMANY", Cell(13, 2));
    Move(3, 3);
    EXPECT_EQ("Previous QSOs :\n05/10/2024 W1AW 14.070\n05/12/2024 W1AW 14.070\n",
              w->memPreviousQsos->toPlainText().toStdString());
    std::string country = "kept";
    Move(3, EntryRow());
    EXPECT_NE(0, w->GetCountry(country));  // TYPECALL has no country
    EXPECT_EQ("kept", country);
    // Each step: the answer to the prompt (none: find next), the row arrived on.
    const std::pair<const char*, int> steps[] = {
        {"w1aw", 1},     {nullptr, 3}, {nullptr, 1},  // any case; next wraps
        {"K1ABC", 4},    {nullptr, 4},                // a single match stays
        {"typecall", 5}, {"W1A", 5},   {nullptr, 5}   // the entry row too; no part of a call
    };
    for (const auto& [answer, row] : steps) {
        if (answer)
            dialogs_->QueueAnswer(answer);
        answer ? w->tlbbtnFindCallClick() : w->SearchNext1Click();
        EXPECT_EQ(row, w->Row()) << (answer ? answer : "next");
    }
    EXPECT_EQ(std::vector<std::string>{TFindCommands::kSearchFirst}, dialogs_->Messages);
    // Fewer days shorten the grid: find next starts again at the top.
    dialogs_->QueueAnswer("W1AW");
    w->FindCallincurrentselection1Click();
    w->SearchNext1Click();
    ASSERT_EQ(3, w->FindCommands.SearchRow);
    dialogs_->QueueAnswer("2");  // today and two days back: only K1ABC
    w->FindQSObyDate1Click();
    EXPECT_EQ("K1ABC TYPECALL", Column(3));
    dialogs_->QueueAnswer("0");
    w->FindQSObyDate1Click();
    EXPECT_EQ(180, w->DaysToShow);
    EXPECT_EQ(6, w->GridRowCount);
    w->SearchNext1Click();
    EXPECT_EQ(1, w->Row());
    EXPECT_EQ("first chat", w->MemoText());  // the click handling ran for the row
    dialogs_->QueueAnswer("   ");            // no number: no reload
    w->FindQSObyDate1Click();
    EXPECT_EQ(TFindCommands::kDaysMissing, dialogs_->Informations.back());
    EXPECT_EQ(1, w->Row());
    Script("DROP TABLE QSOLOG;");
    EXPECT_EQ(TCallDataLookup::kNotOnFile, TCallDataLookup::GetPreviousQSOs("W1AW"));
}

TEST_F(LogWindowTest, ExportAboutAndHints) {
    Seed(kFourContacts);
    Start();
    const std::string name = dir_ + "/export.txt";
    WriteFile(name, "an older export that is overwritten\r\n");
    dialogs_->QueueAnswer(name);
    w->tlbtnExpFileClick();
    EXPECT_EQ("6 Rows Exported.", dialogs_->Informations.back());  // 4 contacts, 2 text pieces
    const std::string text = ReadFile(name);
    EXPECT_NE(std::string::npos, text.find("|05/12/2024|W1AW|12:00|12:00|14.070|100|CW|599|579|"));
    EXPECT_NE(std::string::npos, text.find("|SECOND CHAT|TAIL:"));
    EXPECT_EQ(8, std::count(text.begin(), text.end(), '\n'));
    dialogs_->QueueAnswer(dir_ + "/no/such/dir/x.txt");  // a name that cannot be created
    w->ExporttoTextFile1Click();
    EXPECT_EQ(TLogExport::kFailedMessage, dialogs_->Informations.back());
    // The contacts' page loses its owner word: its first contact cannot be
    // read, the rest are exported and the skipped one is named.
    for (uint32_t p = 0; p < DbFormat::kDataPageCount; ++p) {
        uint8_t* page = TDbKernel::Base() + DbFormat::kDataRegionBase + p * DbFormat::kDataPageSize;
        const uint32_t owner = 6, bad = 0xBAD;
        if (std::memcmp(page, &owner, 4) == 0)
            std::memcpy(page, &bad, 4);
    }
    dialogs_->QueueAnswer(name);
    w->ExporttoTextFile1Click();
    EXPECT_EQ("5 Rows Exported.\n1 damaged rows were skipped.", dialogs_->Informations.back());
    w->AbouttheTrambleQSOlogprogram1Click();
    EXPECT_EQ(1, modalRuns_);
    ASSERT_NE(nullptr, frmAbout);
    delete frmAbout;
    EXPECT_EQ(nullptr, frmAbout);
    TRecordingHelpViewer help;
    w->AFewHints1Click();
    EXPECT_EQ(std::vector<std::string>{"QSOLOG.HLP"}, help.Files);
    EXPECT_EQ(w, help.LastOwner);
}
