// tramb-db add-qso on a full file writes nothing; init gives a log that
// lost a table just that table back, its numbers going on.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "records/FullLogFile.h"
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

    std::string dir_, db_;
};

}  // namespace

TEST_F(TDbToolSafetyTest, AddQsoOnAFullFileFailsAndWritesNothing) {
    std::string out;
    ASSERT_EQ(0, Run("init", out)) << out;
    ASSERT_EQ(0, Run("add-qso --date 01/15/2003 --call W1ABC --text hello", out)) << out;
    WithDatabase([] { FillLogFile({{"QSO_DATE_INDEX", 3}, {"QSO_TEXT", 3}}); });
    EXPECT_EQ(1, Run("add-qso --date 01/15/2003 --call K1XYZ", out));
    EXPECT_NE(std::string::npos, out.find("the log file is full")) << out;
    WithDatabase([&] {
        EXPECT_EQ(1, LiveRows("QSOLOG"));
        EXPECT_EQ(1, LiveRows("QSO_DATE_INDEX"));  // no index row left behind
    });
    EXPECT_EQ(0, Run("check", out)) << out;
}

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
