// tramb-db on a full file stores nothing it cannot store whole; init gives
// a log that lost a table just that table back, its numbers going on. A damaged file
// is never made worse: the writing commands refuse it, and with --force the
// kernel still refuses to overwrite or delete a damaged row.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "kernel/CustomExceptions.h"
#include "platform/PlatformTestSupport.h"
#include "records/FullLogFile.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"
#include "schema/TSQLStatements.h"

namespace {

namespace fs = std::filesystem;

class TDbToolSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tramb-tool-safety-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        db_ = dir_ + "/db_default.sib";
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs the tool in the test directory: exit status, stdout+stderr in out.
    int Run(const std::string& args, std::string& out) {
        const std::string cmd =
            "cd '" + dir_ + "' && '" + TRAMB_BIN_DIR + "/tramb-db' " + args + " >.out 2>&1";
        const int status = std::system(cmd.c_str());
        std::ifstream in(dir_ + "/.out");
        std::stringstream ss;
        ss << in.rdbuf();
        out = ss.str();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Opens the file in this process for the duration of work.
    template <typename F>
    void WithDatabase(F work) {
        Database = new TDatabase();
        ASSERT_EQ(0, Database->StartDatabase(db_));
        work();
        Database->ShutdownDatabase(db_);
        delete Database;
        Database = nullptr;
    }
    int LiveRows(const char* table) {
        std::vector<std::string> tails;
        int32_t deleted = 0;
        return DbKernel->RawScanTable(65, DbKernel->GetTableIDFromName(table), deleted, tails, 1);
    }

    uint32_t Slot(const char* call) {  // of the first contact with the call
        uint32_t slot = 0;
        WithDatabase([&] {
            TDBResultSet rs;
            rs.Open("QSOLOG", call, call);
            slot = rs.Rows.at(0)->SlotRead();
        });
        return slot;
    }
    void Patch(uint32_t offset, uint32_t value) {
        WithDatabase([&] { std::memcpy(TDbKernel::Base() + offset, &value, 4); });
    }

    std::string dir_, db_;
};

}  // namespace

TEST_F(TDbToolSafetyTest, InitCreatesJustTheMissingTablesAndKeepsTheNumbers) {
    std::string out;
    ASSERT_EQ(0, Run("init", out)) << out;
    ASSERT_EQ(0, Run("add-qso --date 01/15/2003 --call W1ABC", out)) << out;
    ASSERT_EQ(0, Run("add-qso --date 01/16/2003 --call W1ABC", out)) << out;
    ASSERT_EQ(0, Run("sql 'DROP TABLE SEQUENCES'", out)) << out;
    EXPECT_EQ(1, Run("add-qso --date 01/17/2003 --call K1XYZ", out));
    ASSERT_EQ(0, Run("init", out)) << out;
    EXPECT_NE(std::string::npos, out.find("created SEQUENCES")) << out;
    ASSERT_EQ(0, Run("add-qso --date 01/17/2003 --call K1XYZ", out)) << out;
    EXPECT_EQ("2\n", out);
}

TEST_F(TDbToolSafetyTest, ARowThatLostItsTableIDOrItsRowIDIsNeitherOverwrittenNorDeleted) {
    const std::string add = "add-qso --date 01/15/2003 --call G4AAA";
    for (int c = 0; c < 4; ++c) {
        std::string out;
        for (const char* run :
             {"init", "add-qso --date 01/15/2003 --call W1ABC",
              "add-qso --date 01/15/2003 --call K2XYZ", "add-qso --date 01/15/2003 --call N3QQQ"})
            ASSERT_EQ(0, Run(run, out)) << out;
        const uint32_t w = Slot("W1ABC"), k = Slot("K2XYZ"), n = Slot("N3QQQ");
        // The TableID of slot 0 (the page's owner word), 1 or 2, or W1ABC's
        // RowID naming K2XYZ's row; the command; the kernel's refusal.
        const std::tuple<uint32_t, uint32_t, std::string, std::string> cases[] = {
            {w, 0, add, KernelMessages::kFreeSlotHoldsRow + std::to_string(w)},
            {k, 0, add, KernelMessages::kFreeSlotHoldsRow + std::to_string(k)},
            {n, 0, add, KernelMessages::kFreeSlotHoldsRow + std::to_string(n)},
            {w + 4, k, "delete-qso W1ABC 0 01/15/2003",
             KernelMessages::kRowIDNotSlotRead + std::to_string(k) + ", slot " +
                 std::to_string(w)}};
        const auto& [at, value, command, refusal] = cases[c];
        Patch(at, value);
        const std::string before = ReadFile(db_);
        // Refused by the guard or the kernel; with --force by the kernel.
        for (const char* force : {"", "--force "}) {
            EXPECT_EQ(1, Run(force + command, out)) << c << force;
            EXPECT_TRUE(before == ReadFile(db_)) << c << force;
        }
        EXPECT_NE(std::string::npos, out.find(refusal)) << out;
        ASSERT_EQ(0, Run("day 01/15/2003", out));  // the contacts still reachable
        EXPECT_EQ(c == 3 ? 3 : 2, std::count(out.begin(), out.end(), '\n')) << out;
        fs::remove(db_);
    }
}

TEST_F(TDbToolSafetyTest, WritingCommandsRefuseADamagedFileAndReadingOnesReadIt) {
    std::string out;
    ASSERT_EQ(0, Run("init", out)) << out;
    for (const char* call : {"W1ABC", "K2XYZ"})
        ASSERT_EQ(0, Run(std::string("add-qso --date 01/15/2003 --call ") + call, out)) << out;
    std::ofstream(dir_ + "/h.txt") << "K1ABC|J|S|B|MA\n";
    // Clear W1ABC's bucket word in QSOLOG (ID 6): hash 979.
    Patch(DbFormat::kBucketRegionBase + 7 * DbFormat::kBucketBlockSize + 979 * 4, 0);
    const std::string before = ReadFile(db_);
    EXPECT_EQ(1, Run("check", out));
    const std::string verdict = out.substr(0, out.find("tramb-db: "));  // the check's report
    ASSERT_NE(std::string::npos, verdict.find("QSOLOG")) << out;
    for (const char* write :
         {"init", "sql 'CREATE TABLE T (A INT PRIMARY KEY)'", "import-holders h.txt",
          "add-qso --date 01/15/2003 --call G4AAA", "delete-qso W1ABC 0 01/15/2003", "compact"}) {
        EXPECT_EQ(1, Run(write, out)) << write;
        EXPECT_NE(std::string::npos, out.find(verdict)) << write << out;
        EXPECT_NE(std::string::npos, out.find("fails the integrity check; nothing was changed"))
            << write << out;
    }
    EXPECT_TRUE(before == ReadFile(db_));
    for (const char* read : {"list", "qsos K2XYZ", "day 01/15/2003", "export x.txt", "room"})
        EXPECT_EQ(0, Run(read, out)) << read << out;
    EXPECT_EQ(2, Run("--force list", out));
}

TEST_F(TDbToolSafetyTest, HolderImportIntoANearlyFullFileTellsStoredFromNotStored) {
    std::string out;
    ASSERT_EQ(0, Run("init", out)) << out;
    std::ofstream(dir_ + "/h.txt") << "K1ABC|J|S|B|MA\n";
    ASSERT_EQ(0, Run("import-holders h.txt", out)) << out;
    WithDatabase([] { FillLogFile({{"HAMCLS", 3}}, "QSO_TEXT"); });  // 3 free slots left
    std::ofstream(dir_ + "/h.txt") << "K1AAA|A\nK1BBB|B\nK1ABC|C\nK1CCC|C\nK1DDD|D\nK1EEE|E\n";
    EXPECT_EQ(1, Run("import-holders h.txt", out));
    EXPECT_EQ(
        "4 rows imported into HAMCLS (6 lines read; audit file h.txtAUDIT)\n"
        "tramb-db: 2 rows not stored: the log file is full (the first on line 5)\n",
        out);
    WithDatabase([&] { EXPECT_EQ(4, LiveRows("HAMCLS")); });
    // A contact cannot be stored at all: nothing of it is written.
    EXPECT_EQ(1, Run("add-qso --date 01/15/2003 --call K1XYZ --text hello", out));
    EXPECT_NE(std::string::npos, out.find("the log file is full")) << out;
    WithDatabase([&] { EXPECT_EQ(0, LiveRows("QSOLOG") + LiveRows("QSO_DATE_INDEX")); });
}
