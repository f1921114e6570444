// The administration window driven headless: scripted input boxes, a fresh
// temporary directory under /dev/shm as the current directory.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "admin/TfrmMain.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "platform/TScriptedDialogs.h"
#include "records/TSchemaScript.h"

namespace fs = std::filesystem;

// The CR LF ended lines of a file (an unterminated last one too).
static std::vector<std::string> ReadLines(const std::string& name) {
    std::ostringstream ss;
    ss << std::ifstream(name, std::ios::binary).rdbuf();
    const std::string all = std::regex_replace(ss.str(), std::regex("\r\n"), "\n");
    std::vector<std::string> lines;
    std::istringstream in(all);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class AdminWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "admin_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            new QApplication(argc, argv);
    }
    void SetUp() override {
        std::string tmpl = "/dev/shm/tramb-admin-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        previous_ = fs::current_path();
        fs::current_path(dir_);
        frm_ = std::make_unique<TfrmMain>();
        frm_->TerminateApplication = [this] { ++terminated_; };
    }
    void TearDown() override {
        frm_.reset();  // closes the database it started
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }
    void Sql(const std::string& text) {
        frm_->edtSQL->setPlainText(QString::fromLatin1(text.c_str()));
        frm_->btnExecuteSQLClick();
    }
    // A new database holding the log's tables, each statement run in the SQL box.
    void CreateLogDatabase() {
        frm_->btnCreateInitialKernelClick();
        std::ostringstream script;
        script << std::ifstream(std::string(TRAMB_TEST_DATA) + "/../../data/schema.sql").rdbuf();
        for (const std::string& statement : TSchemaScript::Split(script.str())) Sql(statement);
        ASSERT_EQ(DbKernel->GetTableIDFromName("SEQUENCES"), 10u);
    }
    // Runs a handler with the answers for its input boxes; returns Memo1's text.
    std::string Click(void (TfrmMain::*handler)(), const std::vector<std::string>& answers = {}) {
        for (const std::string& a : answers) dialogs_.QueueAnswer(a);
        ((*frm_).*handler)();
        return frm_->Memo1Text();
    }
    void AddHolder(const std::string& call, const std::string& city) {
        Click(&TfrmMain::Button1Click, {call, "John", "Smith", city, "MA", "HAMCLS"});
    }
    bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    TScriptedDialogs dialogs_;
    std::unique_ptr<TfrmMain> frm_;
    int terminated_ = 0;
    std::string dir_;
    fs::path previous_;
};

TEST_F(AdminWindowTest, BeforeAStartEveryDatabaseButtonSaysSoAndDoesNothingElse) {
    void (TfrmMain::*handlers[])() = {&TfrmMain::btnReadCurrentKernelClick,
                                      &TfrmMain::btnCloseClick,
                                      &TfrmMain::btnExecuteSQLClick,
                                      &TfrmMain::Button1Click,
                                      &TfrmMain::Button2Click,
                                      &TfrmMain::Button3Click,
                                      &TfrmMain::Button4Click,
                                      &TfrmMain::Button5Click,
                                      &TfrmMain::Button6Click,
                                      &TfrmMain::Button7Click,
                                      &TfrmMain::Button8Click,
                                      &TfrmMain::Button9Click,
                                      &TfrmMain::Button10Click,
                                      &TfrmMain::Button11Click,
                                      &TfrmMain::Button12Click,
                                      &TfrmMain::Button13Click};
    for (auto h : handlers) Click(h);
    EXPECT_EQ(dialogs_.Messages,
              std::vector<std::string>(std::size(handlers), TfrmMain::kNotStarted));
    EXPECT_TRUE(dialogs_.Prompts.empty());
    EXPECT_TRUE(fs::is_empty(dir_));
    EXPECT_EQ(TDbKernel::Base(), nullptr);
}

TEST_F(AdminWindowTest, StartingCreatingListingAndClosing) {
    Click(&TfrmMain::btnStartExistingClick);  // no file: gives up and ends the application
    EXPECT_EQ(dialogs_.Messages, std::vector<std::string>{TfrmMain::kCouldNotStart});
    EXPECT_EQ(terminated_, 1);
    EXPECT_FALSE(fs::exists(TfrmMain::kDbFileName));

    CreateLogDatabase();
    EXPECT_EQ(fs::file_size(TfrmMain::kDbFileName), DbFormat::kDbFileSize);
    const std::string listing = Click(&TfrmMain::btnReadCurrentKernelClick);
    EXPECT_EQ(listing.rfind("System tables ...\r\n", 0), 0u);
    EXPECT_TRUE(Has(listing,
                    "Table ID: 5\r\nTable: HAMCLS\r\n"
                    "     Column: CALL Type:1 Len:15 PriKey:1\r\n"));
    EXPECT_EQ(frm_->Memo1->toPlainText().toStdString(),  // shown with plain line ends
              std::regex_replace(listing, std::regex("\r"), ""));
    Click(&TfrmMain::btnCloseClick);
    EXPECT_EQ(TDbKernel::Base(), nullptr);
    Click(&TfrmMain::btnStartExistingClick);
    ASSERT_NE(TDbKernel::Base(), nullptr);
    // Starting again while open closes the first start rather than failing on the lock.
    Click(&TfrmMain::btnCreateInitialKernelClick);
    EXPECT_EQ(DbKernel->GetTableIDFromName("HAMCLS"), 5u);
    EXPECT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_EQ(terminated_, 1);

    // A faulty statement shows nothing and leaves a named slot not in use: no table to empty.
    Sql("CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY, QTY INT)");
    Click(&TfrmMain::Button13Click, {"STATIONS"});
    Click(&TfrmMain::Button13Click, {"HAMCLS"});  // the first user table is never emptied
    EXPECT_EQ(dialogs_.Informations, std::vector<std::string>(2, TfrmMain::kInvalidTable));
    EXPECT_EQ(dialogs_.Messages.size(), 1u);
}

TEST_F(AdminWindowTest, HoldersAreImportedAddedAndShownInTheMemoFormat) {
    CreateLogDatabase();
    fs::create_directories("FCC");
    std::ofstream(TfrmMain::kImportFileName)
        << "K0SKIP|Never|Stored|X|XX\r\nK1ABC|John|Smith|Boston|"
           "MA\r\nN3Q\r\n\r\nK9AFTER|B|T|B|IL\r\n";
    Click(&TfrmMain::Button3Click, {"2", "100"});
    EXPECT_EQ(frm_->Label2->text().toStdString(), "3");
    EXPECT_EQ(ReadLines("FCC/HamCsig2AUDIT").size(), 3u);
    EXPECT_TRUE(Has(Click(&TfrmMain::Button2Click, {"N3Q"}), "ColumnFIRST_NAMEValue: \r\n"));
    EXPECT_TRUE(Has(Click(&TfrmMain::Button2Click, {"K9AFTER"}), TfrmMain::kNoDataFound));
    Click(&TfrmMain::Button3Click, {"two", "9"});  // refused before any file is touched
    EXPECT_EQ(dialogs_.Messages.size(), 1u);

    Click(&TfrmMain::Button1Click);  // all defaults: W4ABC/4 Harry Jones Cary; no state stored
    const std::string memo = Click(&TfrmMain::Button2Click, {"W4ABC/4"});
    EXPECT_EQ(memo.rfind("ColumnCALLValue: W4ABC/4\r\n Type:1 TableID:5\r\n"
                         "ColumnFIRST_NAMEValue: Harry\r\n Type:1 TableID:5\r\n"
                         "ColumnLAST_NAMEValue: Jones\r\n Type:1 TableID:5\r\n"
                         "ColumnCITYValue: Cary\r\n Type:1 TableID:5\r\n"
                         "ColumnSTATEValue: \r\n Type:1 TableID:5\r\n",
                         0),
              0u);
    // A miss appends its line to what the memo held.
    EXPECT_EQ(Click(&TfrmMain::Button2Click, {"NOBODY"}).rfind(memo + TfrmMain::kNoDataFound, 0),
              0u);
    Click(&TfrmMain::Button1Click, {"K5X", "A", "B", "C", "MA", "NOSUCH"});
    ASSERT_EQ(dialogs_.Messages.size(), 2u);
    EXPECT_TRUE(Has(dialogs_.Messages[1], "NOSUCH"));
}

TEST_F(AdminWindowTest, TestContactsAreInsertedChangedDeletedAndTruncated) {
    CreateLogDatabase();
    for (const char* call : {"K1ABC", "K1ABC", "W9ZZ", ""})
        Click(&TfrmMain::Button10Click, {call, "7.010"});
    ASSERT_EQ(dialogs_.Messages.size(), 1u);  // no call: refused before a number is drawn
    Click(&TfrmMain::Button12Click);
    EXPECT_EQ(dialogs_.Messages.back(), "3");
    // Both K1ABC contacts listed; the first is kept and changed, the second deleted.
    std::string memo = Click(&TfrmMain::Button11Click, {"K1ABC", "n", "Y", "y"});
    EXPECT_TRUE(Has(memo, "ColumnQSO_IDValue: 0\r\n Type:0 TableID:6\r\n"));
    EXPECT_TRUE(Has(memo, "ColumnQSO_IDValue: 1\r\n"));
    EXPECT_TRUE(Has(memo, "ColumnMODEValue: A1\r\n"));
    memo = Click(&TfrmMain::Button11Click, {"K1ABC", "n", "n"});
    EXPECT_TRUE(Has(memo, "ColumnFREQUENCYValue: Changed\r\n"));
    EXPECT_FALSE(Has(memo, "ColumnQSO_IDValue: 1\r\n"));

    Click(&TfrmMain::Button13Click, {"SYSUSERS"});
    Click(&TfrmMain::Button13Click, {"qsolog"});
    ASSERT_EQ(dialogs_.Informations.size(), 2u);
    EXPECT_EQ(dialogs_.Informations[0], TfrmMain::kInvalidTable);
    EXPECT_TRUE(Has(dialogs_.Informations[1], TfrmMain::kRowsDeleted));
    EXPECT_TRUE(Has(Click(&TfrmMain::Button11Click, {"W9ZZ"}), TfrmMain::kNoDataFound));
    EXPECT_TRUE(Has(Click(&TfrmMain::Button11Click, {"K1ABC"}), TfrmMain::kNoDataFound));
}

TEST_F(AdminWindowTest, DumpsAgreeWithTheRowsWritten) {
    CreateLogDatabase();
    AddHolder("K1ABC", "Boston");
    AddHolder("N3Q", "Erie");
    Click(&TfrmMain::Button4Click);
    std::vector<std::string> lines = ReadLines(TfrmMain::kBruteFileName);
    ASSERT_EQ(lines.size(), TfrmMain::kDumpEntries);
    EXPECT_EQ(lines[0], "Blank");
    EXPECT_TRUE(
        std::regex_match(lines[1], std::regex("K1ABC\\|John\\|Smith\\|Boston\\|-\\|Tail:[0-9]+")));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Blank"), TfrmMain::kDumpEntries - 2);

    // Get Address By Key finds the row; Retrieve by address reads it back.
    Click(&TfrmMain::Button8Click, {"k1abc"});
    const std::string offset = frm_->Edit1->text().toStdString();
    EXPECT_EQ(ReadLines(TfrmMain::kAddrByKeyFileName),
              std::vector<std::string>{"Address: " + offset});
    const std::string row = Click(&TfrmMain::Button7Click, {offset});
    EXPECT_TRUE(std::regex_match(row, std::regex("K1ABC\\|John\\|Smith\\|Boston\\|[0-9]+\r\n")));
    EXPECT_EQ(ReadLines(TfrmMain::kByAddrFileName).size(), TfrmMain::kDumpEntries);
    // Addresses that are no row slot: a message, nothing read or written.
    fs::remove(TfrmMain::kByAddrFileName);
    for (const std::string& bad : {std::to_string(std::stoul(offset) + 1), std::string("0"),
                                   std::to_string(DbFormat::kDbFileSize), std::string("12x"),
                                   std::string("-5"), std::string("99999999999")})
        EXPECT_EQ(Click(&TfrmMain::Button7Click, {bad}), row) << bad;
    EXPECT_EQ(dialogs_.Messages.size(), 6u);
    EXPECT_FALSE(fs::exists(TfrmMain::kByAddrFileName));
    Click(&TfrmMain::Button8Click, {"NOBODY"});
    EXPECT_EQ(frm_->Edit1->text().toStdString(), "999");

    const int32_t bucket = DbKernel->GetKeyHash("K1ABC");
    Click(&TfrmMain::Button6Click, {"K1ABC"});
    EXPECT_EQ(dialogs_.Messages.back(), std::to_string(bucket));
    EXPECT_TRUE(Has(Click(&TfrmMain::Button9Click, {"K1ABC"}), "|K1ABC|John|Smith|Boston|"));
    // The hit counter of the bucket grows by one per row written into it.
    std::vector<std::string> before;
    DbKernel->GetBucketHitCounts(before);
    AddHolder("K1ABC", "Salem");  // overwrites in place, still a write
    Click(&TfrmMain::Button5Click);
    lines = ReadLines(TfrmMain::kHashDistribFileName);
    ASSERT_EQ(lines.size(), TfrmMain::kDumpEntries);
    EXPECT_EQ(lines[bucket],
              std::to_string(bucket) + "-" + std::to_string(std::stoi(before[bucket]) + 1));
    EXPECT_EQ(lines[10001], "Blank");

    fs::remove(TfrmMain::kBruteFileName);  // a dump file that cannot be written is reported
    fs::create_directory(TfrmMain::kBruteFileName);
    Click(&TfrmMain::Button4Click);
    EXPECT_TRUE(Has(dialogs_.Messages.back(), TfrmMain::kBruteFileName));
}
