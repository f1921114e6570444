// Printing the log from the window: the rows of the last days in fixed
// columns, each optionally followed by its text; the printer's set-up and the
// failures.
#include <sstream>

#include "LogWindowFixture.h"
#include "logwindow/TLogPrintout.h"
#include "platform/TRecordingPrinter.h"
#include "platform/qt/TQtPrinter.h"

TEST_F(LogWindowTest, PrintingListsTheLastDaysInFixedColumnsWithTheirTexts) {
    Seed(kFourContacts);
    Start();
    // Cells are cut to their column; LogID, Qso_ID and the contest columns are never printed.
    // clang-format off
    const std::pair<int, const char*> cells[] = {
        {3, "DL1ABCDEF"}, {4, "14.025"}, {9, "77"}, {13, "FED. REP. GERMANY"}, {16, "FN42AB"},
        {19, "CONT"}};
    // clang-format on
    for (const auto& [col, text] : cells) Set(col, 4, text);
    TRecordingPrinter printer;
    dialogs_->QueueAnswer("6");  // 05/12 on: rows 3, 4 and the entry row
    w->ToolButton1Click();
    ASSERT_EQ(1, printer.Printouts);
    const std::vector<std::string>& lines = printer.Lines;
    ASSERT_EQ(5u + 3u * 4u, lines.size());
    EXPECT_EQ((std::vector<std::string>{TLogPrintout::kFirstLine, "Printed on 05/17/2024",
                                        "Number of days to print: 6", " ",
                                        " Date         Start   End     Call       Frequ   S-R   "
                                        "R-R   Pow   Mode   RQS   SQS   Country     Zone   County "
                                        "  Grid  "}),
              std::vector<std::string>(lines.begin(), lines.begin() + 5));
    EXPECT_EQ(0u, lines[5].find(" 05/12/2024   12:00 "));
    EXPECT_EQ(" QSO Text:| second chat| ", lines[6] + "|" + lines[7] + "|" + lines[8]);
    EXPECT_EQ(
        " 05/16/2024   09:00   09:00   DL1ABCDE   14.02   599   579   100   CW     N     Y     "
        "FED. REP.   05              FN42  ",
        lines[9]);
    EXPECT_NE(std::string::npos, lines[13].find("TYPECALL"));
    EXPECT_EQ(EntryRow(), w->Row());  // left on the last printed row
    EXPECT_EQ("8 Qso Log", std::to_string(printer.PointSize) + " " + printer.Title);
    printer.Landscape = true;  // a larger font; without texts; Cancel: 180 days
    dialogs_->QueueCancel();
    w->tlbbtnPrintClick();
    EXPECT_EQ("10 10", std::to_string(printer.PointSize) + " " + std::to_string(lines.size()));
    EXPECT_TRUE(dialogs_->Messages.empty());
}

TEST_F(LogWindowTest, PrintFailuresShowTheirMessagesAndPrintNothing) {
    Seed(kFourContacts);
    Start();
    // The set-ups and the message of a print with row 1 dated date.
    auto print = [this](const char* answer, const char* date, bool cancel = false,
                        bool missing = false) {
        dialogs_->Messages.clear();
        TRecordingPrinter printer;
        printer.Cancel = cancel;
        printer.Missing = missing;
        Set(0, 1, date);
        dialogs_->QueueAnswer(answer);
        w->ToolButton1Click();
        EXPECT_EQ(0, printer.Printouts);
        return std::to_string(printer.Setups) + (dialogs_->Messages.empty() ? "" : " ") +
               (dialogs_->Messages.empty() ? "" : dialogs_->Messages[0]);
    };
    const std::string notANumber = std::string("0 ") + TLogPrintout::kNotANumber;
    const std::string noPrinter = std::string("1 ") + TLogPrintout::kNoPrinter;
    for (const char* answer : {"-5", " 30", ""})
        EXPECT_EQ(notANumber, print(answer, "05/10/2024")) << answer;
    EXPECT_EQ("1", print("30", "05/10/2024", true));
    EXPECT_EQ(noPrinter, print("30", "05/10/2024", false, true));
    EXPECT_EQ(noPrinter, print("99999999999", "05/10/2024"));
    for (const char* date : {"someday", "5/10/2024", "13/01/2024", "02/30/2024", "05-10-2024"})
        EXPECT_EQ(noPrinter, print("30", date)) << date;
}

// The Qt printer into a PDF: the title, fixed-pitch columns, a long line that
// shrinks the font instead of running off the page.
TEST(TQtPrinterTest, PrintsIntoAPdfWithItsTitleAndAlignedColumns) {
    EnsureApp();
    TTempDir tmp;
    const std::string pdf = tmp.Path + "/log.pdf";
    const std::vector<std::string> lines = {" Date         Call       Frequ   Grid",
                                            " 05/16/2024   DL1ABCDE   14.02   FN42",
                                            " " + std::string(400, 'x')};
    {
        TQtPrinter printer(pdf);
        ASSERT_TRUE(printer.SetupDialog(nullptr));
        EXPECT_FALSE(printer.IsLandscape());
        printer.PrintLines(lines, 8, "Qso Log");
        EXPECT_GT(printer.LastPointSize(), 0.5);
        EXPECT_LT(printer.LastPointSize(), 8.0);
    }
    EXPECT_EQ("%PDF", ReadFile(pdf).substr(0, 4));
    auto run = [](const std::string& command) {
        std::string out;
        if (FILE* p = popen(command.c_str(), "r")) {
            char buffer[4096];
            for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
            pclose(p);
        }
        return out;
    };
    EXPECT_NE(std::string::npos, run("pdfinfo '" + pdf + "'").find("Qso Log"));
    std::istringstream page(run("pdftotext -layout '" + pdf + "' -"));
    std::string header, row;
    while (header.find("Call") == std::string::npos && std::getline(page, header)) {
    }
    std::getline(page, row);
    ASSERT_NE(std::string::npos, row.find("DL1ABCDE")) << header << "\n" << row;
    EXPECT_EQ(header.find("Call"), row.find("DL1ABCDE")) << header << "\n" << row;
    EXPECT_EQ(header.find("Grid"), row.find("FN42")) << header << "\n" << row;
}
