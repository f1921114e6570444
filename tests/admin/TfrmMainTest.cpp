// The administration window driven headless: scripted input boxes, a fresh
// temporary directory under /dev/shm as the current directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "admin/TfrmMain.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "platform/TScriptedDialogs.h"
#include "schema/TDatabase.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHamcls =
    "CREATE TABLE HAMCLS (CALL CHAR[15] PRIMARY KEY,\n"
    "    FIRST_NAME CHAR[30] NOT NULL,\n"
    "    LAST_NAME CHAR[40] NOT NULL,\n"
    "    CITY CHAR[30] NOT NULL,\n"
    "    STATE CHAR[2] NOT NULL);";
constexpr const char* kQsolog =
    "CREATE TABLE QSOLOG (QSO_ID INT NOT NULL, QSO_DATE CHAR[10] NOT NULL, CALL CHAR[15] MULTI "
    "KEY, START_TIME CHAR[5] NOT NULL, END_TIME CHAR[5] NOT NULL, FREQUENCY CHAR[12] NOT NULL, "
    "POWER INT NOT NULL, MODE CHAR[10] NOT NULL, S_RST INT NOT NULL, R_RST INT NOT NULL, R_QSL "
    "INT NOT NULL, S_QSL INT NOT NULL, LOG_ID INT NOT NULL, ZONE CHAR[2] NOT NULL)";
constexpr const char* kSequences =
    "CREATE TABLE SEQUENCES (TABLE_ID INT PRIMARY KEY, LAST_NUMBER INT NOT NULL)";

std::vector<std::string> ReadLines(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string all = ss.str();
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(all.substr(start));  // an unterminated last line
            break;
        }
        lines.push_back(all.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

uint32_t ReadWord(uint32_t offset) {
    uint32_t v = 0;
    std::memcpy(&v, TDbKernel::Base() + offset, sizeof v);
    return v;
}

std::string ReadName(uint32_t offset) {
    const char* p = reinterpret_cast<const char*>(TDbKernel::Base() + offset);
    return std::string(p, strnlen(p, DbFormat::kNameAreaSize));
}

uint32_t ColumnOffset(uint32_t slot, uint32_t column) {
    return slot * DbFormat::kTableSlotSize + DbFormat::kTableRecordSize +
           column * DbFormat::kColumnRecordSize;
}

class AdminWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() == nullptr) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "admin_tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void SetUp() override {
        char pattern[] = "/dev/shm/tramb-admin-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
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

    // A new database holding HAMCLS (ID 5), QSOLOG (6) and SEQUENCES (7).
    void CreateLogDatabase() {
        frm_->btnCreateInitialKernelClick();
        ASSERT_NE(TDbKernel::Base(), nullptr);
        Sql(kHamcls);
        Sql(kQsolog);
        Sql(kSequences);
        ASSERT_EQ(DbKernel->GetTableIDFromName("HAMCLS"), 5u);
        ASSERT_EQ(DbKernel->GetTableIDFromName("SEQUENCES"), 7u);
    }

    void AddHolder(const std::string& call, const std::string& first, const std::string& last,
                   const std::string& city, const std::string& table = "HAMCLS") {
        for (const std::string& a : {call, first, last, city, std::string("MA"), table})
            dialogs_.QueueAnswer(a);
        frm_->Button1Click();
    }

    void InsertQso(const std::string& call, const std::string& freq) {
        dialogs_.QueueAnswer(call);
        dialogs_.QueueAnswer(freq);
        frm_->Button10Click();
    }

    std::string ShowHolder(const std::string& key) {
        dialogs_.QueueAnswer(key);
        frm_->Button2Click();
        return frm_->Memo1Text();
    }

    std::string RetrieveQso(const std::string& key, const std::vector<std::string>& answers) {
        dialogs_.QueueAnswer(key);
        for (const std::string& a : answers) dialogs_.QueueAnswer(a);
        frm_->Button11Click();
        return frm_->Memo1Text();
    }

    void WriteImportFile(const std::string& text) {
        fs::create_directories("FCC");
        std::ofstream(TfrmMain::kImportFileName, std::ios::binary) << text;
    }

    TScriptedDialogs dialogs_;
    std::unique_ptr<TfrmMain> frm_;
    int terminated_ = 0;
    std::string dir_;
    fs::path previous_;
};

TEST_F(AdminWindowTest, ControlsCarryTheirCaptionsAndCreationTouchesNoDatabase) {
    const std::pair<QPushButton*, const char*> buttons[] = {
        {frm_->btnCreateInitialKernel, "Create Initial Kernel"},
        {frm_->btnStartExisting, "Start Existing Database"},
        {frm_->btnReadCurrentKernel, "Read Current Kernel"},
        {frm_->btnClose, "Close DB"},
        {frm_->btnExecuteSQL, "Execute SQL"},
        {frm_->Button1, "Add canned data to table"},
        {frm_->Button2, "ShowData"},
        {frm_->Button3, "Import Ham"},
        {frm_->Button4, "Brute Force Get"},
        {frm_->Button5, "Retrieve hash distribution"},
        {frm_->Button6, "Calc Hash Offset"},
        {frm_->Button7, "Retrieve data by address"},
        {frm_->Button8, "Get Address By Key"},
        {frm_->Button9, "Get hash bucket"},
        {frm_->Button10, "Insert a QSO"},
        {frm_->Button11, "Retrieve QSO"},
        {frm_->Button12, "Save Sequence"},
        {frm_->Button13, "Truncate Table"},
    };
    for (const auto& [button, caption] : buttons) EXPECT_EQ(button->text().toStdString(), caption);
    EXPECT_EQ(frm_->Label2->text().toStdString(), "______");
    EXPECT_TRUE(frm_->Memo1->isReadOnly());
    EXPECT_FALSE(frm_->isVisible());
    EXPECT_FALSE(fs::exists(TfrmMain::kDbFileName));
    EXPECT_EQ(TDbKernel::Base(), nullptr);

    // Before a start every database button says so and does nothing else.
    void (TfrmMain::*handlers[])() = {&TfrmMain::btnReadCurrentKernelClick,
                                      &TfrmMain::btnExecuteSQLClick,
                                      &TfrmMain::Button1Click,
                                      &TfrmMain::Button2Click,
                                      &TfrmMain::Button3Click,
                                      &TfrmMain::Button4Click,
                                      &TfrmMain::Button7Click,
                                      &TfrmMain::Button9Click,
                                      &TfrmMain::Button10Click,
                                      &TfrmMain::Button13Click};
    for (auto h : handlers) ((*frm_).*h)();
    EXPECT_EQ(dialogs_.Messages.size(), std::size(handlers));
    for (const std::string& m : dialogs_.Messages) EXPECT_EQ(m, TfrmMain::kNotStarted);
    EXPECT_TRUE(dialogs_.Prompts.empty());
    EXPECT_FALSE(fs::exists(TfrmMain::kBruteFileName));
    EXPECT_FALSE(fs::exists(TfrmMain::kDbFileName));
}

TEST_F(AdminWindowTest, StartingCreatingListingAndClosing) {
    // No file: the window gives up and ends the application.
    frm_->btnStartExistingClick();
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_EQ(dialogs_.Messages[0], "Could not start database");
    EXPECT_EQ(terminated_, 1);
    EXPECT_FALSE(fs::exists(TfrmMain::kDbFileName));
    EXPECT_EQ(TDbKernel::Base(), nullptr);

    frm_->btnCreateInitialKernelClick();
    EXPECT_EQ(fs::file_size(TfrmMain::kDbFileName), DbFormat::kDbFileSize);
    ASSERT_NE(TDbKernel::Base(), nullptr);
    Sql(kHamcls);
    frm_->btnReadCurrentKernelClick();
    const std::string listing = frm_->Memo1Text();
    EXPECT_EQ(listing.rfind("System tables ...\r\n", 0), 0u);
    EXPECT_NE(listing.find("Table ID: 5\r\nTable: HAMCLS\r\n"
                           "     Column: CALL Type:1 Len:15 PriKey:1\r\n"
                           "     Column: FIRST_NAME Type:1 Len:30 PriKey:2\r\n"),
              std::string::npos);
    EXPECT_NE(listing.find("Table ID: 6\r\nTable: UNALLOCATED TABLE\r\nTable ID: 7\r\n"),
              std::string::npos);
    // The widget shows the same text with plain line ends.
    EXPECT_EQ(frm_->Memo1->toPlainText().toStdString(),
              std::regex_replace(listing, std::regex("\r"), ""));

    frm_->btnCloseClick();
    EXPECT_EQ(TDbKernel::Base(), nullptr);

    // The file is there now: Start Existing opens it with its table.
    frm_->btnStartExistingClick();
    EXPECT_EQ(terminated_, 1);
    ASSERT_NE(TDbKernel::Base(), nullptr);
    EXPECT_EQ(DbKernel->GetTableIDFromName("HAMCLS"), 5u);
    // Starting again while open closes the first start rather than failing on the lock.
    frm_->btnCreateInitialKernelClick();
    ASSERT_NE(TDbKernel::Base(), nullptr);
    EXPECT_EQ(DbKernel->GetTableIDFromName("HAMCLS"), 5u);
    EXPECT_EQ(dialogs_.Messages.size(), 1u);
}

TEST_F(AdminWindowTest, SqlBoxShowsNothingAndAFaultyCreateLeavesItsPartialSlot) {
    frm_->btnCreateInitialKernelClick();
    Sql(kHamcls);
    // The third clause lacks its nullability: two columns are saved, then it fails.
    Sql("CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY, NOTE [40] NOT NULL, QTY INT)");
    Sql("this is no statement");
    Sql("");
    EXPECT_TRUE(dialogs_.Messages.empty());
    EXPECT_TRUE(dialogs_.Informations.empty());

    const uint32_t slot6 = 6 * DbFormat::kTableSlotSize;
    EXPECT_EQ(ReadName(slot6), "STATIONS");
    EXPECT_EQ(ReadWord(slot6 + DbFormat::kTableRecInUseOffset), 0u);
    EXPECT_EQ(ReadName(ColumnOffset(6, 0)), "CALLSIGN");
    EXPECT_EQ(ReadWord(ColumnOffset(6, 0) + DbFormat::kColRecKeyTypeOffset), DbFormat::kKeyPrimary);
    EXPECT_EQ(ReadName(ColumnOffset(6, 1)), "NOTE");
    EXPECT_EQ(ReadWord(ColumnOffset(6, 1) + DbFormat::kColRecLengthOffset), 40u);
    EXPECT_EQ(ReadWord(ColumnOffset(6, 2) + DbFormat::kColRecDataTypeOffset), DbFormat::kTypeFree);
    frm_->btnReadCurrentKernelClick();
    EXPECT_NE(frm_->Memo1Text().find("Table ID: 6\r\nTable: STATIONS\r\nTable ID: 7\r\n"),
              std::string::npos);

    // A slot named but not in use is no table to empty.
    dialogs_.QueueAnswer("STATIONS");
    frm_->Button13Click();
    ASSERT_EQ(dialogs_.Informations.size(), 1u);
    EXPECT_EQ(dialogs_.Informations[0], "Invalid table");

    // The corrected statement takes the same slot.
    Sql("CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY, NOTE [40] NOT NULL, QTY INT NULL)");
    EXPECT_EQ(ReadWord(slot6 + DbFormat::kTableRecInUseOffset), 1u);
    EXPECT_EQ(ReadName(ColumnOffset(6, 2)), "QTY");
    EXPECT_TRUE(dialogs_.Messages.empty());
}

TEST_F(AdminWindowTest, ImportStoresLinesFromTheStartLineAndAuditsEveryLine) {
    CreateLogDatabase();
    WriteImportFile(
        "K0SKIP|Never|Stored|Nowhere|XX\r\n"
        "K1ABC|John|Smith|Boston|MA\r\n"
        "  W2XYZ|Ann|Lee|Albany|NY|extra|more  \r\n"
        "N3Q\r\n"
        "\r\n"
        "K9AFTER|Behind|The|Blank|IL\r\n");
    dialogs_.QueueAnswer("2");
    dialogs_.QueueAnswer("100");
    frm_->Button3Click();
    EXPECT_TRUE(dialogs_.Messages.empty());
    ASSERT_GE(dialogs_.Prompts.size(), 2u);
    EXPECT_EQ(dialogs_.Prompts[0], "Enter Start: ");
    EXPECT_EQ(dialogs_.Prompts[1], "Enter End: ");
    EXPECT_EQ(frm_->Label2->text().toStdString(), "4");

    EXPECT_EQ(ReadLines("FCC/HamCsig2AUDIT"),
              (std::vector<std::string>{"K0SKIP|Never|Stored|Nowhere|XX 1",
                                        "K1ABC|John|Smith|Boston|MA 2",
                                        "  W2XYZ|Ann|Lee|Albany|NY|extra|more   3", "N3Q 4"}));

    EXPECT_NE(ShowHolder("K1ABC").find("ColumnCITYValue: Boston\r\n"), std::string::npos);
    // Six fields and more: the first five are stored.
    const std::string w2 = ShowHolder("W2XYZ");
    EXPECT_NE(w2.find("ColumnSTATEValue: NY\r\n"), std::string::npos);
    EXPECT_EQ(w2.find("extra"), std::string::npos);
    // A line of one field keeps its call and empty names.
    EXPECT_NE(ShowHolder("N3Q").find("ColumnFIRST_NAMEValue: \r\n"), std::string::npos);
    // Before the start line, and behind the blank line: not stored.
    EXPECT_NE(ShowHolder("K0SKIP").find(TfrmMain::kNoDataFound), std::string::npos);
    EXPECT_NE(ShowHolder("K9AFTER").find(TfrmMain::kNoDataFound), std::string::npos);

    // A start line that is no number stops before any file is touched.
    fs::remove("FCC/HamCsig2AUDIT");
    dialogs_.QueueAnswer("two");
    dialogs_.QueueAnswer("9");
    frm_->Button3Click();
    EXPECT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_FALSE(fs::exists("FCC/HamCsig2AUDIT"));
}

TEST_F(AdminWindowTest, CannedRowIsShownInTheMemoFormat) {
    CreateLogDatabase();
    // All defaults: W4ABC/4 Harry Jones Cary into HAMCLS; the state is not stored.
    frm_->Button1Click();
    EXPECT_EQ(dialogs_.Prompts,
              (std::vector<std::string>{"Enter Call", "Enter first name: ", "Enter last name: ",
                                        "Enter city: ", "Enter state: ", "Enter table name: "}));
    const std::string memo = ShowHolder("W4ABC/4");
    const std::string expected =
        "ColumnCALLValue: W4ABC/4\r\n Type:1 TableID:5\r\n"
        "ColumnFIRST_NAMEValue: Harry\r\n Type:1 TableID:5\r\n"
        "ColumnLAST_NAMEValue: Jones\r\n Type:1 TableID:5\r\n"
        "ColumnCITYValue: Cary\r\n Type:1 TableID:5\r\n"
        "ColumnSTATEValue: \r\n Type:1 TableID:5\r\n";
    // The profiler's report follows.
    EXPECT_EQ(memo.substr(0, expected.size()), expected);

    // A miss appends its line to what the memo held.
    const std::string miss = ShowHolder("NOBODY");
    EXPECT_EQ(miss.rfind(memo, 0), 0u);
    EXPECT_NE(miss.find(std::string(TfrmMain::kNoDataFound) + "\r\n", memo.size()),
              std::string::npos);

    // A table that does not exist is reported, not written.
    AddHolder("K5X", "A", "B", "C", "NOSUCH");
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_NE(dialogs_.Messages[0].find("NOSUCH"), std::string::npos);
}

TEST_F(AdminWindowTest, TestContactsAreInsertedRetrievedChangedAndDeleted) {
    CreateLogDatabase();
    InsertQso("K1ABC", "14.025");
    InsertQso("K1ABC", "7.010");
    InsertQso("W9ZZ", "3.550");
    // No call: refused before a number is drawn.
    InsertQso("", "1.8");
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    frm_->Button12Click();
    ASSERT_EQ(dialogs_.Messages.size(), 2u);
    EXPECT_EQ(dialogs_.Messages[1], "3");  // 0, 1, 2 went to the three contacts

    // Both K1ABC contacts listed; the first is kept and changed, the second deleted.
    std::string memo = RetrieveQso("K1ABC", {"n", "Y", "y"});
    EXPECT_NE(memo.find("ColumnQSO_IDValue: 0\r\n Type:0 TableID:6\r\n"), std::string::npos);
    EXPECT_NE(memo.find("ColumnQSO_IDValue: 1\r\n"), std::string::npos);
    EXPECT_NE(memo.find("ColumnCALLValue: K1ABC\r\n Type:1 TableID:6\r\n"), std::string::npos);
    EXPECT_NE(memo.find("ColumnMODEValue: A1\r\n"), std::string::npos);
    EXPECT_NE(memo.find("ColumnFREQUENCYValue: 14.025\r\n"), std::string::npos);
    EXPECT_EQ(std::count(dialogs_.Prompts.begin(), dialogs_.Prompts.end(), "Delete entry?"), 2);

    memo = RetrieveQso("K1ABC", {"n", "n"});
    EXPECT_NE(memo.find("ColumnFREQUENCYValue: Changed\r\n"), std::string::npos);
    EXPECT_EQ(memo.find("7.010"), std::string::npos);
    EXPECT_EQ(memo.find("ColumnQSO_IDValue: 1\r\n"), std::string::npos);

    // Delete the last K1ABC contact: none is left, W9ZZ is untouched.
    RetrieveQso("K1ABC", {"Y"});
    memo = RetrieveQso("K1ABC", {});
    EXPECT_NE(memo.find(std::string(TfrmMain::kNoDataFound) + "\r\n"), std::string::npos);
    EXPECT_NE(RetrieveQso("W9ZZ", {"n", "n"}).find("ColumnFREQUENCYValue: 3.550\r\n"),
              std::string::npos);
}

TEST_F(AdminWindowTest, TruncationEmptiesUserTablesButRefusesTableFiveAndUnknownNames) {
    CreateLogDatabase();
    AddHolder("K1ABC", "John", "Smith", "Boston");
    InsertQso("K1ABC", "14.025");
    InsertQso("W9ZZ", "3.550");

    dialogs_.QueueAnswer("HAMCLS");
    frm_->Button13Click();
    dialogs_.QueueAnswer("SYSUSERS");
    frm_->Button13Click();
    dialogs_.QueueAnswer("NO_SUCH_TABLE");
    frm_->Button13Click();
    dialogs_.QueueAnswer("qsolog");
    frm_->Button13Click();
    EXPECT_EQ(dialogs_.Informations, (std::vector<std::string>{"Invalid table", "Invalid table",
                                                               "Invalid table", "2rows deleted!"}));
    EXPECT_NE(ShowHolder("K1ABC").find("ColumnCITYValue: Boston"), std::string::npos);
    EXPECT_NE(RetrieveQso("W9ZZ", {}).find(TfrmMain::kNoDataFound), std::string::npos);
    EXPECT_NE(RetrieveQso("K1ABC", {}).find(TfrmMain::kNoDataFound), std::string::npos);

    // The table takes rows again after truncation.
    InsertQso("N0NEW", "21.1");
    EXPECT_NE(RetrieveQso("N0NEW", {"n", "n"}).find("ColumnCALLValue: N0NEW"), std::string::npos);
}

class AdminDumpTest : public AdminWindowTest {
  protected:
    void SetUp() override {
        AdminWindowTest::SetUp();
        CreateLogDatabase();
        AddHolder("K1ABC", "John", "Smith", "Boston");
        AddHolder("W2XYZ", "Ann", "", "Albany");
        AddHolder("N3Q", "Bo", "Wu", "Erie");
    }
};

TEST_F(AdminDumpTest, BruteForceDumpListsEveryLiveRowInPageOrder) {
    frm_->Button4Click();
    const std::vector<std::string> lines = ReadLines(TfrmMain::kBruteFileName);
    ASSERT_EQ(lines.size(), TfrmMain::kDumpEntries);
    EXPECT_EQ(lines[0], "Blank");
    const std::regex row1("K1ABC\\|John\\|Smith\\|Boston\\|-\\|Tail:[0-9]+");
    const std::regex row2("W2XYZ\\|Ann\\|-\\|Albany\\|-\\|Tail:[0-9]+");
    const std::regex row3("N3Q\\|Bo\\|Wu\\|Erie\\|-\\|Tail:[0-9]+");
    EXPECT_TRUE(std::regex_match(lines[1], row1)) << lines[1];
    EXPECT_TRUE(std::regex_match(lines[2], row2)) << lines[2];
    EXPECT_TRUE(std::regex_match(lines[3], row3)) << lines[3];
    for (size_t i = 4; i < lines.size(); ++i) ASSERT_EQ(lines[i], "Blank") << i;

    // A dump file that cannot be written is reported.
    fs::create_directory(TfrmMain::kHashDistribFileName);
    frm_->Button5Click();
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_NE(dialogs_.Messages[0].find(TfrmMain::kHashDistribFileName), std::string::npos);
}

TEST_F(AdminDumpTest, AddressDumpsAgreeWithTheRowsWritten) {
    // Get Address By Key finds the slot; Retrieve by address reads it back.
    dialogs_.QueueAnswer("k1abc");
    frm_->Button8Click();
    const std::vector<std::string> found = ReadLines(TfrmMain::kAddrByKeyFileName);
    ASSERT_EQ(found.size(), 1u);
    const std::string offset = frm_->Edit1->text().toStdString();
    EXPECT_EQ(found[0], "Address: " + offset);
    const uint32_t at = static_cast<uint32_t>(std::stoul(offset));
    EXPECT_GE(at, DbFormat::kDataRegionBase);
    EXPECT_EQ(ReadWord(at + DbFormat::kRowRowIDOffset), at);

    dialogs_.QueueAnswer(offset);
    frm_->Button7Click();
    const std::vector<std::string> row = ReadLines(TfrmMain::kByAddrFileName);
    ASSERT_EQ(row.size(), TfrmMain::kDumpEntries);
    EXPECT_TRUE(std::regex_match(row[0], std::regex("K1ABC\\|John\\|Smith\\|Boston\\|[0-9]+")))
        << row[0];
    EXPECT_EQ(row[1], "Blank");
    EXPECT_EQ(frm_->Memo1Text(), row[0] + "\r\n");

    // Addresses that are no row slot: a message, nothing read or written.
    fs::remove(TfrmMain::kByAddrFileName);
    const std::string memoBefore = frm_->Memo1Text();
    for (const std::string& bad :
         {std::to_string(at + 1), std::string("0"), std::to_string(DbFormat::kDbFileSize),
          std::string("12x"), std::string("-5"), std::string("99999999999")}) {
        dialogs_.Messages.clear();
        dialogs_.QueueAnswer(bad);
        frm_->Button7Click();
        ASSERT_EQ(dialogs_.Messages.size(), 1u) << bad;
        EXPECT_FALSE(fs::exists(TfrmMain::kByAddrFileName)) << bad;
    }
    EXPECT_EQ(frm_->Memo1Text(), memoBefore);

    dialogs_.QueueAnswer("NOBODY");
    frm_->Button8Click();
    EXPECT_EQ(ReadLines(TfrmMain::kAddrByKeyFileName), (std::vector<std::string>{"Address: 999"}));
    EXPECT_EQ(frm_->Edit1->text().toStdString(), "999");
}

TEST_F(AdminDumpTest, BucketDumpAndHashDistributionAgreeWithTheRowsWritten) {
    dialogs_.QueueAnswer("K1ABC");
    frm_->Button6Click();
    const int32_t bucket = DbKernel->GetKeyHash("K1ABC");
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_EQ(dialogs_.Messages[0], std::to_string(bucket));

    dialogs_.QueueAnswer("K1ABC");
    frm_->Button9Click();
    const std::vector<std::string> lines = ReadLines(TfrmMain::kHashBucketFileName);
    ASSERT_EQ(lines.size(), TfrmMain::kDumpEntries);
    EXPECT_EQ(lines[0], "K1ABC|");
    EXPECT_TRUE(std::regex_match(
        lines[1], std::regex("5\\|[0-9]+\\|\\|K1ABC\\|John\\|Smith\\|Boston\\|\\|[0-9]+\\|\n\r")))
        << lines[1];
    EXPECT_EQ(lines[2], "Blank");
    EXPECT_EQ(frm_->Memo1Text(), "K1ABC|\r\n" + lines[1] + "\r\n");

    // The hit counter of the bucket grows by one per row written into it.
    std::vector<std::string> before;
    DbKernel->GetBucketHitCounts(before);
    AddHolder("K1ABC", "John", "Smith", "Salem");  // overwrites in place, still a write
    frm_->Button5Click();
    const std::vector<std::string> dist = ReadLines(TfrmMain::kHashDistribFileName);
    ASSERT_EQ(dist.size(), TfrmMain::kDumpEntries);
    EXPECT_EQ(dist[0], "0-" + before[0]);
    EXPECT_EQ(dist[bucket],
              std::to_string(bucket) + "-" + std::to_string(std::stoi(before[bucket]) + 1));
    EXPECT_EQ(dist[10000], "10000-" + before[10000]);
    EXPECT_EQ(dist[10001], "Blank");
}

TEST_F(AdminDumpTest, DumpsWriteEveryLineBeyondTheFixedTable) {
    // More live rows than the dump's 70001 entries: nothing is cut off.
    constexpr int kRows = 70005;
    std::string file;
    for (int i = 0; i < kRows; ++i) file += "X" + std::to_string(i) + "|F|L|C|ST\n";
    WriteImportFile(file);
    dialogs_.QueueAnswer("1");
    dialogs_.QueueAnswer(std::to_string(kRows));
    frm_->Button3Click();
    ASSERT_TRUE(dialogs_.Messages.empty());
    frm_->Button4Click();
    const std::vector<std::string> lines = ReadLines(TfrmMain::kBruteFileName);
    ASSERT_EQ(lines.size(), static_cast<size_t>(3 + kRows + 1));
    EXPECT_EQ(lines[0], "Blank");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Blank"), 1);
    EXPECT_EQ(lines.back().rfind("X" + std::to_string(kRows - 1) + "|F|L|C|ST|Tail:", 0), 0u)
        << lines.back();
}

}  // namespace
