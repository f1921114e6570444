#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FakeGrid.h"
#include "logwindow/TLogPrintout.h"
#include "platform/TClock.h"
#include "platform/TRecordingPrinter.h"
#include "platform/TScriptedDialogs.h"
#include "platform/qt/TQtPrinter.h"

namespace {

const TLocalDateTime kToday{2024, 3, 15, 10, 30, 0, 0};

class TFixedClock : public TClock {
  public:
    TFixedClock() { SetClock(this); }
    ~TFixedClock() override { SetClock(nullptr); }
    TLocalDateTime Now() const override { return kToday; }
};

const std::string kHeaderLine = std::string(" Date        ") + " Start  " + " End    " +
                                " Call      " + " Frequ  " + " S-R  " + " R-R  " + " Pow  " +
                                " Mode  " + " RQS  " + " SQS  " + " Country    " + " Zone  " +
                                " County  " + " Grid  ";

// Header, then rows dated today, tomorrow, 179 and 180 days back.
class TLogPrintoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        today_ = grid_.AddRow("03/15/2024", "DL1ABCDEF");
        grid_.Set(4, today_, "14.025");
        grid_.Set(16, today_, "FN42AB");
        grid_.Set(13, today_, "FED. REP. GERMANY");
        grid_.Set(9, today_, "LOGID");  // never printed
        grid_.Set(12, today_, "4711");
        grid_.Set(19, today_, "CONT");
        future_ = grid_.AddRow("03/16/2024", "K1ABC");
        days179_ = grid_.AddRow("09/18/2023", "W1AW");
        days180_ = grid_.AddRow("09/17/2023", "N1XX");
    }
    std::vector<std::string> Build(const std::string& days, bool texts) {
        return TLogPrintout::BuildListing(grid_, kToday, days, texts, [this] {
            return "text of row " + std::to_string(grid_.CurrentRow());
        });
    }
    std::vector<std::string> Heading(const std::string& days) {
        return {TLogPrintout::kFirstLine, "Printed on 03/15/2024",
                "Number of days to print: " + days, " ", kHeaderLine};
    }
    FakeGrid grid_;
    int today_ = 0, future_ = 0, days179_ = 0, days180_ = 0;
};

TEST_F(TLogPrintoutTest, RowLinesAre120CharactersWithCellsCutToTheirWidth) {
    ASSERT_EQ(120u, kHeaderLine.size());
    EXPECT_EQ(kHeaderLine, TLogPrintout::RowLine(grid_, 0));
    const std::string line = TLogPrintout::RowLine(grid_, today_);
    ASSERT_EQ(120u, line.size());
    // Empty S-RST, R-RST, Power (6 each), Mode (7), RQSL, SQSL (6 each), Zone (7), County (9).
    EXPECT_EQ(" 03/15/2024  " + std::string(" 12:00  ") + " 12:05  " + " DL1ABCDE  " + " 14.02  " +
                  std::string(18 + 7 + 12, ' ') + " FED. REP.  " + std::string(7 + 9, ' ') +
                  " FN42  ",
              line);
    EXPECT_EQ(std::string::npos, line.find("LOGID"));
    EXPECT_EQ(std::string::npos, line.find("4711"));
    EXPECT_EQ(std::string::npos, line.find("CONT"));
}

TEST_F(TLogPrintoutTest, TheDaysDecideTheRowsAndTheHeaderAlwaysPrints) {
    std::vector<std::string> expected = Heading("180");
    for (int row : {today_, future_, days179_})
        expected.push_back(TLogPrintout::RowLine(grid_, row));
    EXPECT_EQ(expected, Build("180", false));

    expected = Heading("0");
    expected.push_back(TLogPrintout::RowLine(grid_, future_));
    EXPECT_EQ(expected, Build("0", false));

    EXPECT_EQ(Heading("0180").size() + 3, Build("0180", false).size());
    EXPECT_EQ(Heading("181").size() + 4, Build("181", false).size());
    EXPECT_TRUE(grid_.Visited.empty());
}

TEST_F(TLogPrintoutTest, WithTextsEachPrintedRowIsVisitedAndFollowedByItsText) {
    std::vector<std::string> expected = Heading("180");
    for (int row : {today_, future_, days179_}) {
        expected.push_back(TLogPrintout::RowLine(grid_, row));
        expected.push_back(" QSO Text:");
        expected.push_back(" text of row " + std::to_string(row));
        expected.push_back(" ");
    }
    EXPECT_EQ(expected, Build("180", true));
    EXPECT_EQ((std::vector<int32_t>{today_, future_, days179_}), grid_.Visited);
}

TEST_F(TLogPrintoutTest, ADateCellThatIsNoDateFails) {
    for (const char* bad :
         {"", "3/15/2024", "13/01/2024", "02/30/2024", "ab/cd/efgh", "03-15-2024"}) {
        grid_.Set(0, days180_, bad);
        EXPECT_THROW(Build("180", false), std::invalid_argument) << bad;
    }
    grid_.Set(0, days180_, "02/29/2024");
    EXPECT_EQ(15, TLogPrintout::DaysBefore(kToday, "02/29/2024"));
    EXPECT_EQ(-1, TLogPrintout::DaysBefore(kToday, "03/16/2024"));
    EXPECT_EQ(366, TLogPrintout::DaysBefore(kToday, "03/15/2023"));
}

class TPrintLogTest : public TLogPrintoutTest {
  protected:
    TFixedClock clock_;
    TScriptedDialogs dialogs_;
    TRecordingPrinter printer_;
};

TEST_F(TPrintLogTest, ThePrintoutGoesToThePrinterWithTitleAndFontSizeByOrientation) {
    TLogPrintout::PrintLog(grid_, false, {}, nullptr);  // Cancel: 180 days
    EXPECT_EQ(std::vector<std::string>{TLogPrintout::kDaysPrompt}, dialogs_.Prompts);
    ASSERT_EQ(1, printer_.Printouts);
    EXPECT_EQ(Build("180", false), printer_.Lines);
    EXPECT_EQ(8, printer_.PointSize);
    EXPECT_EQ("Qso Log", printer_.Title);

    printer_.Landscape = true;
    dialogs_.QueueAnswer("30");
    TLogPrintout::PrintLog(grid_, false, {}, nullptr);
    EXPECT_EQ(10, printer_.PointSize);
    EXPECT_EQ(Build("30", false), printer_.Lines);
    EXPECT_TRUE(dialogs_.Messages.empty());
}

TEST_F(TPrintLogTest, FailuresShowTheirMessagesAndPrintNothing) {
    struct TCase {
        const char* Answer;
        bool Cancel, Missing, BadDate;
        const char* Message;  // nullptr: none
        int Setups;
    } cases[] = {
        {"-5", false, false, false, TLogPrintout::kNotANumber, 0},
        {" 30", false, false, false, TLogPrintout::kNotANumber, 0},
        {"", false, false, false, TLogPrintout::kNotANumber, 0},
        {"30", true, false, false, nullptr, 1},
        {"30", false, true, false, TLogPrintout::kNoPrinter, 1},
        {"30", false, false, true, TLogPrintout::kNoPrinter, 1},
        {"99999999999", false, false, false, TLogPrintout::kNoPrinter, 1},
    };
    for (const TCase& c : cases) {
        TScriptedDialogs dialogs;
        TRecordingPrinter printer;
        printer.Cancel = c.Cancel;
        printer.Missing = c.Missing;
        grid_.Set(0, days180_, c.BadDate ? "someday" : "09/17/2023");
        dialogs.QueueAnswer(c.Answer);
        TLogPrintout::PrintLog(
            grid_, true, [] { return std::string(); }, nullptr);
        EXPECT_EQ(0, printer.Printouts) << c.Answer;
        EXPECT_EQ(c.Setups, printer.Setups) << c.Answer;
        if (c.Message)
            EXPECT_EQ(std::vector<std::string>{c.Message}, dialogs.Messages) << c.Answer;
        else
            EXPECT_TRUE(dialogs.Messages.empty()) << c.Answer;
    }
}

QApplication& App() {
    static int argc = 1;
    static char name[] = "logwindow_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        new QApplication(argc, argv);
    }
    return *static_cast<QApplication*>(QApplication::instance());
}

std::string RunCommand(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

TEST_F(TLogPrintoutTest, AListingPrintsIntoAPdfWithItsTitleAndAlignedColumns) {
    App();
    char tmpl[] = "/dev/shm/tramb-print-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(tmpl));
    const std::string pdf = std::string(tmpl) + "/log.pdf";
    std::vector<std::string> lines = Build("180", true);
    lines.push_back(" " + std::string(400, 'x'));  // a long text wraps instead of running off
    {
        TQtPrinter printer(pdf);
        ASSERT_TRUE(printer.SetupDialog(nullptr));
        EXPECT_FALSE(printer.IsLandscape());
        printer.PrintLines(lines, 8, TLogPrintout::kDocumentTitle);
        EXPECT_GT(printer.LastPointSize(), 4.0);
    }
    std::ifstream in(pdf, std::ios::binary);
    std::string head(4, '\0');
    in.read(head.data(), 4);
    EXPECT_EQ("%PDF", head);
    if (access("/usr/bin/pdftotext", X_OK) == 0) {
        EXPECT_NE(std::string::npos, RunCommand("pdfinfo '" + pdf + "'").find("Qso Log"));
        const std::string text = RunCommand("pdftotext -layout '" + pdf + "' -");
        // The page keeps the fixed pitch: headings and cells start in the same text columns.
        std::istringstream page(text);
        std::string line, header, row;
        while (std::getline(page, line)) {
            if (line.find(" Date ") != std::string::npos)
                header = line;
            if (line.find("DL1ABCDE") != std::string::npos)
                row = line;
        }
        ASSERT_FALSE(header.empty());
        ASSERT_FALSE(row.empty());
        EXPECT_EQ(header.find("Call"), row.find("DL1ABCDE"));
        EXPECT_EQ(header.find("Frequ"), row.find("14.02"));
        EXPECT_EQ(header.find("Country"), row.find("FED. REP."));
        EXPECT_EQ(header.find("Grid"), row.find("FN42"));
    }
    if (!getenv("KEEP_PDF"))
        std::filesystem::remove_all(tmpl);
    else
        printf("%s\n", pdf.c_str());
}

}  // namespace
