// The administration window driven headless: scripted input boxes, a fresh
// temporary directory under /dev/shm as the current directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <regex>

#include "admin/TfrmMain.h"
#include "kernel/TDbKernel.h"
#include "platform/PlatformTestSupport.h"
#include "platform/TScriptedDialogs.h"
#include "records/TSchemaScript.h"

namespace fs = std::filesystem;
using F = TfrmMain;

// The CR LF ended lines of a dump file.
static std::vector<std::string> ReadLines(const std::string& name) {
    std::istringstream in(std::regex_replace(ReadFile(name), std::regex("\r\n"), "\n"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

static bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class AdminWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "admin_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            new QApplication(argc, argv);
        fs::current_path(dir_.Path);
        frm_ = std::make_unique<F>();
        frm_->TerminateApplication = [this] { ++terminated_; };
    }
    void TearDown() override {
        frm_.reset();  // closes the database it started
        fs::current_path("/");
    }
    void Sql(const std::string& text) {
        frm_->edtSQL->setPlainText(QString::fromLatin1(text.c_str()));
        frm_->btnExecuteSQLClick();
    }
    // A new database holding the log's tables, each statement run in the SQL box.
    void CreateLogDatabase() {
        frm_->btnCreateInitialKernelClick();
        const std::string script =
            ReadFile(std::string(TRAMB_TEST_DATA) + "/../../data/schema.sql");
        for (const std::string& statement : TSchemaScript::Split(script)) Sql(statement);
        ASSERT_EQ(DbKernel->GetTableIDFromName("SEQUENCES"), 10u);
    }
    // Runs a handler with the answers for its input boxes; returns Memo1's text.
    std::string Click(void (F::*handler)(), const std::vector<std::string>& answers = {}) {
        for (const std::string& a : answers) dialogs_.QueueAnswer(a);
        ((*frm_).*handler)();
        return frm_->Memo1Text();
    }
    void AddHolder(const std::string& call, const std::string& city) {
        Click(&F::Button1Click, {call, "John", "Smith", city, "MA", "HAMCLS"});
    }

    TScriptedDialogs dialogs_;
    std::unique_ptr<F> frm_;
    int terminated_ = 0;
    TTempDir dir_;
};

TEST_F(AdminWindowTest, BeforeAStartEveryDatabaseButtonSaysSoAndDoesNothingElse) {
    for (auto h :
         {&F::btnReadCurrentKernelClick, &F::btnCloseClick, &F::btnExecuteSQLClick,
          &F::Button1Click, &F::Button2Click, &F::Button3Click, &F::Button4Click, &F::Button5Click,
          &F::Button6Click, &F::Button7Click, &F::Button8Click, &F::Button9Click, &F::Button10Click,
          &F::Button11Click, &F::Button12Click, &F::Button13Click})
        Click(h);
    EXPECT_EQ(dialogs_.Messages, std::vector<std::string>(16, F::kNotStarted));
    EXPECT_TRUE(dialogs_.Prompts.empty());
    Click(&F::btnStartExistingClick);  // no file: gives up and ends the application
    EXPECT_EQ(dialogs_.Messages.back(), F::kCouldNotStart);
    EXPECT_EQ(terminated_, 1);
    EXPECT_TRUE(fs::is_empty(dir_.Path));
    WriteFile(dir_.Path + "/db_default.sib", "log");  // a read-only file: says so, stays as it was
    ASSERT_EQ(chmod((dir_.Path + "/db_default.sib").c_str(), 0444), 0);
    Click(&F::btnStartExistingClick);
    EXPECT_EQ(dialogs_.Messages.back(),
              "The log file db_default.sib is read-only: Tramb cannot store contacts in it.");
    EXPECT_EQ(ReadFile(dir_.Path + "/db_default.sib"), "log");
}

TEST_F(AdminWindowTest, StartingListingClosingAndStartingAgain) {
    CreateLogDatabase();
    const std::string listing = Click(&F::btnReadCurrentKernelClick);
    EXPECT_EQ(listing.rfind("System tables ...\r\n", 0), 0u);
    EXPECT_TRUE(Has(listing, "Table: HAMCLS\r\n     Column: CALL Type:1 Len:15 PriKey:1\r\n"));
    EXPECT_EQ(frm_->Memo1->toPlainText().toStdString(),  // shown with plain line ends
              std::regex_replace(listing, std::regex("\r"), ""));
    Click(&F::btnCloseClick);
    EXPECT_EQ(TDbKernel::Base(), nullptr);
    Click(&F::btnStartExistingClick);
    // Starting again while open closes the first start rather than failing on the lock.
    Click(&F::btnCreateInitialKernelClick);
    EXPECT_EQ(DbKernel->GetTableIDFromName("HAMCLS"), 5u);

    // A faulty statement shows nothing and leaves a named slot not in use: no table to empty.
    Sql("CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY, QTY INT)");
    for (const char* table : {"STATIONS", "HAMCLS", "SYSUSERS"}) Click(&F::Button13Click, {table});
    EXPECT_EQ(dialogs_.Informations, std::vector<std::string>(3, F::kInvalidTable));
    EXPECT_TRUE(dialogs_.Messages.empty());
}

TEST_F(AdminWindowTest, HoldersAreImportedAddedAndShownInTheMemoFormat) {
    CreateLogDatabase();
    fs::create_directories("FCC");  // the import itself is tested with THolderImport
    std::ofstream(F::kImportFileName) << "K0SKIP|N|S|X|XX\r\nN3Q\r\n";
    Click(&F::Button3Click, {"two", "9"});  // refused before any file is touched
    EXPECT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_FALSE(fs::exists("FCC/HamCsig2AUDIT"));
    Click(&F::Button3Click, {"2", "9"});
    EXPECT_EQ(frm_->Label2->text().toStdString(), "2");
    EXPECT_TRUE(Has(Click(&F::Button2Click, {"N3Q"}), "ColumnFIRST_NAMEValue: \r\n"));

    Click(&F::Button1Click);  // all defaults: W4ABC/4 Harry Jones Cary; the state is not stored
    const std::string memo = Click(&F::Button2Click, {"W4ABC/4"});
    EXPECT_EQ(memo.rfind("ColumnCALLValue: W4ABC/4\r\n Type:1 TableID:5\r\n"
                         "ColumnFIRST_NAMEValue: Harry\r\n",
                         0),
              0u);
    EXPECT_TRUE(Has(memo, "ColumnCITYValue: Cary\r\n Type:1 TableID:5\r\nColumnSTATEValue: \r\n"));
    // A miss appends its line to what the memo held.
    EXPECT_EQ(Click(&F::Button2Click, {"NOBODY"}).rfind(memo + F::kNoDataFound, 0), 0u);
    Click(&F::Button1Click, {"K5X", "A", "B", "C", "MA", "NOSUCH"});
    EXPECT_TRUE(Has(dialogs_.Messages.back(), "NOSUCH"));
}

TEST_F(AdminWindowTest, TestContactsAreInsertedChangedDeletedAndTruncated) {
    CreateLogDatabase();
    for (const char* call : {"K1ABC", "K1ABC", "W9ZZ", ""}) Click(&F::Button10Click, {call, "7.0"});
    ASSERT_EQ(dialogs_.Messages.size(), 1u);  // no call: refused before a number is drawn
    Click(&F::Button12Click);
    EXPECT_EQ(dialogs_.Messages.back(), "3");
    // Both K1ABC contacts listed; the first is kept and changed, the second deleted.
    std::string memo = Click(&F::Button11Click, {"K1ABC", "n", "Y", "y"});
    EXPECT_TRUE(Has(memo, "ColumnQSO_IDValue: 0\r\n Type:0 TableID:6\r\n"));
    EXPECT_TRUE(Has(memo, "ColumnQSO_IDValue: 1\r\n"));
    EXPECT_TRUE(Has(memo, "ColumnMODEValue: A1\r\n"));
    memo = Click(&F::Button11Click, {"K1ABC", "n", "n"});
    EXPECT_TRUE(Has(memo, "ColumnFREQUENCYValue: Changed\r\n"));
    EXPECT_FALSE(Has(memo, "ColumnQSO_IDValue: 1\r\n"));

    Click(&F::Button13Click, {"qsolog"});
    EXPECT_TRUE(Has(dialogs_.Informations.at(0), F::kRowsDeleted));
    EXPECT_TRUE(Has(Click(&F::Button11Click, {"W9ZZ"}), F::kNoDataFound));
    EXPECT_TRUE(Has(Click(&F::Button11Click, {"K1ABC"}), F::kNoDataFound));
}

TEST_F(AdminWindowTest, DumpsAgreeWithTheRowsWritten) {
    CreateLogDatabase();
    AddHolder("K1ABC", "Boston");
    AddHolder("N3Q", "Erie");
    Click(&F::Button4Click);
    std::vector<std::string> lines = ReadLines(F::kBruteFileName);
    ASSERT_EQ(lines.size(), F::kDumpEntries);
    EXPECT_TRUE(
        std::regex_match(lines[1], std::regex("K1ABC\\|John\\|Smith\\|Boston\\|-\\|Tail:.*")));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Blank"), F::kDumpEntries - 2);

    // Get Address By Key finds the row; Retrieve by address reads it back.
    Click(&F::Button8Click, {"k1abc"});
    const std::string offset = frm_->Edit1->text().toStdString();
    EXPECT_EQ(ReadFile(F::kAddrByKeyFileName), "Address: " + offset + "\r\n");
    const std::string row = Click(&F::Button7Click, {offset});
    EXPECT_TRUE(std::regex_match(row, std::regex("K1ABC\\|John\\|Smith\\|Boston\\|[0-9]+\r\n")));
    // Addresses that are no row slot: a message, nothing read or written.
    fs::remove(F::kByAddrFileName);
    for (const std::string& bad : {std::to_string(std::stoul(offset) + 1), std::string("12x"),
                                   std::string("-5"), std::string("99999999999")})
        EXPECT_EQ(Click(&F::Button7Click, {bad}), row) << bad;
    EXPECT_EQ(dialogs_.Messages.size(), 4u);
    EXPECT_FALSE(fs::exists(F::kByAddrFileName));
    Click(&F::Button8Click, {"NOBODY"});
    EXPECT_EQ(frm_->Edit1->text().toStdString(), "999");

    const int32_t bucket = DbKernel->GetKeyHash("K1ABC");
    Click(&F::Button6Click, {"K1ABC"});
    EXPECT_EQ(dialogs_.Messages.back(), std::to_string(bucket));
    EXPECT_TRUE(Has(Click(&F::Button9Click, {"K1ABC"}), "|K1ABC|John|Smith|Boston|"));
    Click(&F::Button5Click);  // the hit counters: K1ABC's bucket was written once
    EXPECT_EQ(ReadLines(F::kHashDistribFileName).at(bucket), std::to_string(bucket) + "-1");

    fs::remove(F::kBruteFileName);  // a dump file that cannot be written is reported
    fs::create_directory(F::kBruteFileName);
    Click(&F::Button4Click);
    EXPECT_TRUE(Has(dialogs_.Messages.back(), F::kBruteFileName));
}
