// tramb-db run as a child process in a fresh directory per test. Exit status:
// 0 success, 1 failure, 2 bad usage (found before any file is touched).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "kernel/DbFormat.h"
#include "platform/PlatformTestSupport.h"

namespace fs = std::filesystem;

struct TResult {
    int Exit = -1;
    std::string Out, Err;
};

class TDbToolTest : public ::testing::Test {
protected:
    // The arguments separated by "|".
    TResult Run(const std::string& line) {
        std::vector<std::string> args = {TRAMB_BIN_DIR "/tramb-db"};
        std::istringstream in(line);
        for (std::string a; std::getline(in, a, '|');) args.push_back(a);
        const pid_t pid = fork();
        if (pid == 0) {
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            if (chdir(dir_.Path.c_str()) == 0 && freopen(".out", "w", stdout) &&
                freopen(".err", "w", stderr))
                execv(argv[0], argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(dir_.Path + "/.out"),
                ReadFile(dir_.Path + "/.err")};
    }
    void Expect(int exit, const std::string& args, const std::string& text = "") {
        const TResult r = Run(args);
        EXPECT_EQ(exit, r.Exit) << args << ": " << r.Err;
        EXPECT_NE(std::string::npos, (r.Out + r.Err).find(text)) << args << ": " << r.Out << r.Err;
    }
    void Patch(uint32_t offset, uint32_t value) {
        std::fstream f(db_, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(offset);
        f.write(reinterpret_cast<const char*>(&value), 4);
    }

    TTempDir dir_;
    const std::string db_ = dir_.Path + "/db_default.sib";
};

TEST_F(TDbToolTest, BadUsageAndAMissingFileAreRefusedBeforeAnyFileIsMade) {
    Expect(0, "--help", "Usage: tramb-db");
    for (const char* args : {"", "frobnicate", "--bogus|list", "--file", "list|extra", "sql",
                             "export", "delete-qso|W1ABC|x|01/01/2001", "day|2001-01-01",
                             "import-holders|f|one", "add-qso|--call|W1ABC"})
        EXPECT_EQ(2, Run(args).Exit) << args;
    for (const char* args : {"list", "check", "export|x.txt", "sql|DROP TABLE X", "qsos|W1ABC",
                             "day|01/01/2001", "delete-qso|W1ABC|0|01/01/2001",
                             "import-holders|list.txt", "add-qso|--date|01/01/2001|--call|W"})
        Expect(1, args, "no database file");  // and makes none: only .out and .err are there
    EXPECT_EQ(2, std::distance(fs::directory_iterator(dir_.Path), fs::directory_iterator()));
}

TEST_F(TDbToolTest, CreateAndInitMakeTheFileOnceAndInitNeedsFreeSlots) {
    Expect(0, "--file|sub.sib|init");
    EXPECT_EQ(DbFormat::kDbFileSize, fs::file_size(dir_.Path + "/sub.sib"));
    Expect(1, "--file|sub.sib|init", "HAMCLS already exists");
    Expect(0, "--file|sub.sib|list", "Table ID: 10\nTable: SEQUENCES\n");

    Expect(0, "create");
    Expect(1, "create", "already exists");
    Expect(0, "sql|CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY)");
    const std::string before = ReadFile(db_);
    Expect(1, "init", "slot 5 is taken by STATIONS");
    EXPECT_TRUE(before == ReadFile(db_)) << "a refused init changed the file";

    std::ofstream(dir_.Path + "/script.sql") << "CREATE TABLE T1 (A INT PRIMARY KEY);\n"
                                                "CREATE TABLE T2 (A INT);\n"
                                                "CREATE TABLE T3 (A INT PRIMARY KEY);\n";
    Expect(1, "sql|-f|script.sql",
           "statement 2 failed: CLAUSE MUST CONTAIN \"NULL\" or \"NOT NULL\" or \"PRIMARY KEY\" "
           "(statement 1 was carried out)");
    const std::string list = Run("list").Out;
    EXPECT_NE(std::string::npos, list.find("Table: T1\n"));
    EXPECT_EQ(std::string::npos, list.find("Table: T3\n"));
    Expect(1, "sql|DROP TABLES A", "INVALID DROP SYNTAX");
}

TEST_F(TDbToolTest, ContactsAreStoredListedExportedAndDeleted) {
    Expect(0, "init");
    Expect(0, "add-qso|--date|01/15/2003|--call|w1abc|--freq|14.025|--srst|599|--text|a\nb", "0\n");
    Expect(0, "add-qso|--date|01/15/2003|--call|K2XYZ|--contest4=d|--layout|3", "1\n");
    Expect(0, "add-qso|--date|01/16/2003|--call|W1ABC", "2\n");
    const std::string first =
        "0|01/15/2003|W1ABC|-|-|14.025|0|-|599|0|0|0|0|-|-|-|-|-|0|-|-|-|-|\n";
    const std::string second = "1|01/15/2003|K2XYZ|-|-|-|0|-|0|0|0|0|0|-|-|-|-|-|3|-|-|-|D|\n";
    EXPECT_EQ(first + second, Run("day|01/15/2003").Out);
    EXPECT_EQ(first + "2|01/16/2003|W1ABC|-|-|-|0|-|0|0|0|0|0|-|-|-|-|-|0|-|-|-|-|\n",
              Run("qsos|w1abc").Out);
    Expect(0, "export|log.txt", "4 Rows Exported.\n");
    EXPECT_NE(std::string::npos, ReadFile(dir_.Path + "/log.txt").find("\r\n0|A B|TAIL:"));
    // ADIF: the log's own file adds nothing; a new contact gets its country.
    Expect(0, "export-adif|log.adi", "3 contacts exported to log.adi\n");
    Expect(0, "import-adif|log.adi", "3 records read: 0 imported, 3 skipped as duplicates");
    WriteFile(dir_.Path + "/new.adi", "<CALL:5>DL1AB<QSO_DATE:8>20030117<EOR><CALL:2>XX<EOR>");
    Expect(0, "import-adif|new.adi", "2 records read: 1 imported, 0 skipped as duplicates, 1 rej");
    Expect(0, "qsos|DL1AB", "|GERMANY|");

    // Deleting needs the contact exactly: call, number and date.
    Expect(1, "delete-qso|W1ABC|0|01/16/2003", "nothing deleted");
    Expect(0, "delete-qso|w1abc|0|01/15/2003");
    EXPECT_EQ(second, Run("day|01/15/2003").Out);
    Expect(0, "export|log.txt", "3 Rows Exported.\n");
    Expect(0, "check", "QSOLOG           3         3");
}

TEST_F(TDbToolTest, RefusedInputAndFilesChangeNothing) {
    Expect(0, "init");
    const std::string before = ReadFile(db_);
    for (const char* extra :
         {"--date|13/01/2003", "--call|  ", "--call|W1ABCDEFGHIJKLMNOP", "--power|12W",
          "--start|25:00", "--zone|123", "--mode|C\tW", "--call|K2XYZ", "--colour|red"})
        Expect(2, std::string("add-qso|--date|01/15/2003|--call|W1ABC|") + extra);
    Expect(1, "import-holders|absent.txt");
    EXPECT_TRUE(before == ReadFile(db_)) << "a refused command changed the file";
    std::ofstream(dir_.Path + "/holders.txt") << "K1ABC|J|S|B|MA\nK1DEF|A|L|S|MA\n";
    Expect(0, "import-holders|holders.txt|2", "1 rows imported");

    const int fd = open(db_.c_str(), O_RDWR);  // another process holds the file
    ASSERT_EQ(0, flock(fd, LOCK_EX | LOCK_NB));
    Expect(1, "add-qso|--date|01/15/2003|--call|W1ABC", "in use by another process");
    close(fd);
    EXPECT_EQ("", Run("qsos|W1ABC").Out);

    std::ofstream(db_) << "not a database\n";
    Expect(1, "list", "not a Tramb database");
    Expect(1, "init");
    EXPECT_EQ(15u, fs::file_size(db_));  // not extended
}

TEST_F(TDbToolTest, SettingReadsAndWritesOneStoredSettingByNameInAnyCase) {
    Expect(0, "init");
    Expect(1, "setting|RIG_MODEL", "no setting RIG_MODEL");
    Expect(0, "setting|RIG_MODEL|2");
    Expect(0, "setting|rig_model|3073");
    Expect(0, "setting|Rig_Model", "3073\n");
    for (const char* args : {"setting", "setting|A|B|C", "setting| "})
        Expect(2, args, "setting takes a NAME");
}
