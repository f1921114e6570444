// tramb-db run as a child process, in a fresh directory per test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

struct TResult {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

class TDbToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string base =
            fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string();
        std::string tmpl = base + "/tramb-tool-XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        ASSERT_NE(nullptr, ::mkdtemp(buf.data()));
        dir_ = buf.data();
        db_ = dir_ + "/db_default.sib";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Runs the tool in the test directory.
    TResult Run(const std::vector<std::string>& args) {
        std::string cmd =
            "cd " + Quote(dir_) + " && " + Quote(std::string(TRAMB_BIN_DIR) + "/tramb-db");
        for (const auto& a : args) cmd += " " + Quote(a);
        const std::string out = dir_ + "/.out";
        const std::string err = dir_ + "/.err";
        cmd += " >" + Quote(out) + " 2>" + Quote(err);
        const int status = std::system(cmd.c_str());
        TResult r;
        r.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.Out = ReadFile(out);
        r.Err = ReadFile(err);
        fs::remove(out);
        fs::remove(err);
        return r;
    }

    void Init() {
        const TResult r = Run({"init"});
        ASSERT_EQ(0, r.Exit) << r.Err;
    }

    std::string AddQso(const std::vector<std::string>& options) {
        std::vector<std::string> args = {"add-qso"};
        args.insert(args.end(), options.begin(), options.end());
        const TResult r = Run(args);
        EXPECT_EQ(0, r.Exit) << r.Err;
        return r.Out;
    }

    std::string dir_;
    std::string db_;
};

TEST_F(TDbToolTest, UsageAndBadUsage) {
    TResult r = Run({"--help"});
    EXPECT_EQ(0, r.Exit);
    EXPECT_NE(std::string::npos, r.Out.find("Usage: tramb-db"));
    EXPECT_NE(std::string::npos, r.Out.find("import-holders"));

    EXPECT_EQ(2, Run({}).Exit);
    EXPECT_EQ(2, Run({"frobnicate"}).Exit);
    EXPECT_EQ(2, Run({"--bogus", "list"}).Exit);
    EXPECT_EQ(2, Run({"--file"}).Exit);
    EXPECT_EQ(2, Run({"list", "extra"}).Exit);
    EXPECT_EQ(2, Run({"sql"}).Exit);
    EXPECT_EQ(2, Run({"export"}).Exit);
    EXPECT_EQ(2, Run({"delete-qso", "W1ABC", "x", "01/01/2001"}).Exit);
    EXPECT_EQ(2, Run({"day", "2001-01-01"}).Exit);
    EXPECT_EQ(2, Run({"import-holders", "f", "one"}).Exit);
    r = Run({"add-qso", "--call", "W1ABC"});
    EXPECT_EQ(2, r.Exit);
    EXPECT_NE(std::string::npos, r.Err.find("--date"));
    // Bad usage is found before anything is opened or created.
    EXPECT_FALSE(fs::exists(db_));
}

TEST_F(TDbToolTest, EveryCommandButCreateAndInitRefusesAMissingFile) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"list"},
             {"check"},
             {"export", "x.txt"},
             {"sql", "DROP TABLE X"},
             {"qsos", "W1ABC"},
             {"day", "01/01/2001"},
             {"delete-qso", "W1ABC", "0", "01/01/2001"},
             {"import-holders", "list.txt"},
             {"add-qso", "--date", "01/01/2001", "--call", "W1ABC"}}) {
        const TResult r = Run(args);
        EXPECT_EQ(1, r.Exit) << args[0];
        EXPECT_NE(std::string::npos, r.Err.find("no database file")) << args[0] << ": " << r.Err;
        EXPECT_FALSE(fs::exists(db_)) << args[0];
    }
    EXPECT_FALSE(fs::exists(dir_ + "/x.txt"));

    // --file names the database anywhere.
    const std::string other = dir_ + "/sub";
    fs::create_directory(other);
    EXPECT_EQ(0, Run({"--file", other + "/log.sib", "create"}).Exit);
    EXPECT_EQ(45000000u, fs::file_size(other + "/log.sib"));
    EXPECT_EQ(0, Run({"--file", other + "/log.sib", "list"}).Exit);
    EXPECT_FALSE(fs::exists(db_));
}

TEST_F(TDbToolTest, CreateAndInitRefuseToRedoTheirWork) {
    TResult r = Run({"create"});
    ASSERT_EQ(0, r.Exit) << r.Err;
    EXPECT_EQ(45000000u, fs::file_size(db_));
    r = Run({"create"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_NE(std::string::npos, r.Err.find("already exists"));

    r = Run({"init"});  // on the created file
    ASSERT_EQ(0, r.Exit) << r.Err;
    const std::string before = ReadFile(db_);
    r = Run({"init"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_NE(std::string::npos, r.Err.find("HAMCLS already exists"));
    EXPECT_TRUE(before == ReadFile(db_)) << "init changed the file";
    r = Run({"create"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_TRUE(before == ReadFile(db_)) << "create changed the file";

    r = Run({"list"});
    EXPECT_EQ(0, r.Exit);
    EXPECT_NE(std::string::npos, r.Out.find("Table ID: 5\nTable: HAMCLS\n"));
    EXPECT_NE(std::string::npos, r.Out.find("Table ID: 10\nTable: SEQUENCES\n"));
    EXPECT_NE(std::string::npos, r.Out.find("     Column: CALL Type:1 Len:15 PriKey:4\n"));
}

TEST_F(TDbToolTest, InitNeedsTheSlotsOfTheLogTablesFree) {
    ASSERT_EQ(0, Run({"create"}).Exit);
    ASSERT_EQ(0, Run({"sql", "CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY)"}).Exit);
    const std::string before = ReadFile(db_);
    const TResult r = Run({"init"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_NE(std::string::npos, r.Err.find("slot 5 is taken by STATIONS")) << r.Err;
    EXPECT_TRUE(before == ReadFile(db_));
}

TEST_F(TDbToolTest, SqlPrintsTheErrorOfAFailingStatement) {
    ASSERT_EQ(0, Run({"create"}).Exit);
    TResult r = Run({"sql", "DROP TABLES A"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_NE(std::string::npos,
              r.Err.find("INVALID DROP SYNTAX. Example syntax: DROP TABLE SOMETABLE"))
        << r.Err;

    WriteFile(dir_ + "/script.sql",
              "CREATE TABLE T1 (A INT PRIMARY KEY,\n  B CHAR[4] NOT NULL);\n"
              "CREATE TABLE T2 (A INT);\n"
              "CREATE TABLE T3 (A INT PRIMARY KEY);\n");
    r = Run({"sql", "-f", "script.sql"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_NE(std::string::npos, r.Err.find("statement 2 failed"));
    EXPECT_NE(std::string::npos,
              r.Err.find("CLAUSE MUST CONTAIN \"NULL\" or \"NOT NULL\" or \"PRIMARY KEY\""))
        << r.Err;
    EXPECT_NE(std::string::npos, r.Err.find("statement 1 was carried out"));
    r = Run({"list"});
    EXPECT_NE(std::string::npos, r.Out.find("Table: T1\n"));
    EXPECT_EQ(std::string::npos, r.Out.find("Table: T3\n"));

    EXPECT_EQ(1, Run({"sql", "-f", "missing.sql"}).Exit);
    r = Run({"sql", "drop table t1;"});
    EXPECT_EQ(0, r.Exit) << r.Err;
}

TEST_F(TDbToolTest, ContactsAreStoredListedExportedAndDeleted) {
    Init();
    EXPECT_EQ("0\n", AddQso({"--date",    "01/15/2003",
                             "--call",    "w1abc",
                             "--start",   "14:02",
                             "--end",     "14:10",
                             "--freq",    "14.025",
                             "--power",   "100",
                             "--mode",    "CW",
                             "--srst",    "599",
                             "--rrst",    "579",
                             "--zone",    "05",
                             "--country", "U.S.A.",
                             "--grid",    "FN42",
                             "--text",    "first line\nsecond line"}));
    EXPECT_EQ("1\n", AddQso({"--date", "01/15/2003", "--call", "K2XYZ", "--contest1", "a",
                             "--contest4=d", "--layout", "3"}));
    EXPECT_EQ("2\n", AddQso({"--date", "01/16/2003", "--call", "W1ABC"}));

    const std::string first =
        "0|01/15/2003|W1ABC|14:02|14:10|14.025|100|CW|599|579|0|0|0|05|U.S.A.|-|FN42|-|0|-|-|-|-|";
    TResult r = Run({"day", "01/15/2003"});
    EXPECT_EQ(0, r.Exit);
    EXPECT_EQ(first + "\n1|01/15/2003|K2XYZ|-|-|-|0|-|0|0|0|0|0|-|-|-|-|-|3|A|-|-|D|\n", r.Out);
    r = Run({"qsos", "w1abc"});
    EXPECT_EQ(0, r.Exit);
    EXPECT_EQ(first + "\n2|01/16/2003|W1ABC|-|-|-|0|-|0|0|0|0|0|-|-|-|-|-|0|-|-|-|-|\n", r.Out);
    EXPECT_EQ("", Run({"qsos", "NOBODY"}).Out);

    r = Run({"export", "log.txt"});
    EXPECT_EQ(0, r.Exit) << r.Err;
    EXPECT_EQ("4 Rows Exported.\n", r.Out);
    const std::string exported = ReadFile(dir_ + "/log.txt");
    EXPECT_EQ(0u, exported.find("QSO_LOG:\r\n" + first + "TAIL:"));
    EXPECT_NE(std::string::npos, exported.find("QSO_TEXT:\r\n0|FIRST LINE SECOND LINE|TAIL:0\r\n"));

    // Deleting needs the contact exactly: call, number and date.
    r = Run({"delete-qso", "W1ABC", "0", "01/16/2003"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_NE(std::string::npos, r.Err.find("nothing deleted"));
    r = Run({"delete-qso", "w1abc", "0", "01/15/2003"});
    EXPECT_EQ(0, r.Exit) << r.Err;
    EXPECT_EQ("1|01/15/2003|K2XYZ|-|-|-|0|-|0|0|0|0|0|-|-|-|-|-|3|A|-|-|D|\n",
              Run({"day", "01/15/2003"}).Out);
    r = Run({"export", "log.txt"});
    EXPECT_EQ("2 Rows Exported.\n", r.Out);
    EXPECT_EQ(std::string::npos, ReadFile(dir_ + "/log.txt").find("FIRST LINE"));

    r = Run({"check"});
    EXPECT_EQ(0, r.Exit) << r.Err;
    EXPECT_EQ(0u,
              r.Out.find("Table name       RawCount  HashCount RawSpeed   StartPage  EndPage\n"));
    EXPECT_NE(std::string::npos, r.Out.find("QSOLOG           2         2"));
}

TEST_F(TDbToolTest, AddQsoRefusesBadValuesBeforeWriting) {
    Init();
    const std::string before = ReadFile(db_);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--date", "13/01/2003", "--call", "W1ABC"},
             {"--date", "01/15/2003", "--call", "  "},
             {"--date", "01/15/2003", "--call", "W1ABCDEFGHIJKLMNOP"},  // 18 > 15
             {"--date", "01/15/2003", "--call", "W1ABC", "--power", "12W"},
             {"--date", "01/15/2003", "--call", "W1ABC", "--start", "25:00"},
             {"--date", "01/15/2003", "--call", "W1ABC", "--zone", "123"},
             {"--date", "01/15/2003", "--call", "W1ABC", "--mode", "C\tW"},
             {"--date", "01/15/2003", "--call", "W1ABC", "--call", "K2XYZ"},
             {"--date", "01/15/2003", "--call", "W1ABC", "--colour", "red"}}) {
        std::vector<std::string> full = {"add-qso"};
        full.insert(full.end(), args.begin(), args.end());
        const TResult r = Run(full);
        EXPECT_EQ(2, r.Exit) << args.back() << ": " << r.Err;
        EXPECT_FALSE(r.Err.empty());
    }
    EXPECT_TRUE(before == ReadFile(db_)) << "a refused add-qso changed the file";
}

TEST_F(TDbToolTest, ImportHoldersFillsHamclsAndWritesTheAudit) {
    Init();
    WriteFile(dir_ + "/holders.txt",
              "K1ABC|John|Smith|Boston|MA\nK1DEF|Ann|Lee|Salem|MA|x\nK1GHI|B|C|D|E\n");
    TResult r = Run({"import-holders", "holders.txt", "2"});
    EXPECT_EQ(0, r.Exit) << r.Err;
    EXPECT_NE(std::string::npos, r.Out.find("2 rows imported"));
    EXPECT_EQ("K1ABC|John|Smith|Boston|MA 1\r\nK1DEF|Ann|Lee|Salem|MA|x 2\r\nK1GHI|B|C|D|E 3\r\n",
              ReadFile(dir_ + "/holders.txtAUDIT"));
    r = Run({"check"});
    EXPECT_NE(std::string::npos, r.Out.find("HAMCLS           2         2")) << r.Out;

    r = Run({"import-holders", "absent.txt"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_FALSE(fs::exists(dir_ + "/absent.txtAUDIT"));
}

TEST_F(TDbToolTest, RefusesAFileThatIsNotADatabaseOrIsInUse) {
    WriteFile(db_, "not a database\n");
    TResult r = Run({"list"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_NE(std::string::npos, r.Err.find("not a Tramb database"));
    EXPECT_EQ(15u, fs::file_size(db_));  // not extended
    EXPECT_EQ(1, Run({"init"}).Exit);
    EXPECT_EQ(15u, fs::file_size(db_));

    fs::remove(db_);
    Init();
    const int fd = ::open(db_.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ::flock(fd, LOCK_EX | LOCK_NB));
    r = Run({"add-qso", "--date", "01/15/2003", "--call", "W1ABC"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_NE(std::string::npos, r.Err.find("in use by another process")) << r.Err;
    ::close(fd);
    EXPECT_EQ("", Run({"qsos", "W1ABC"}).Out);
}

TEST_F(TDbToolTest, AddQsoSaysSoWhenTheFullFileRefusesTheContact) {
    Init();
    {
        // Every data page owned by some other table: no room for a first row.
        std::fstream f(db_, std::ios::in | std::ios::out | std::ios::binary);
        const uint32_t owner = 50;
        for (uint32_t p = 0; p < 8; ++p) {
            f.seekp(5846800 + std::streamoff(p) * 5000000);
            f.write(reinterpret_cast<const char*>(&owner), 4);
        }
    }
    const TResult r = Run({"add-qso", "--date", "01/15/2003", "--call", "W1ABC"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_NE(std::string::npos, r.Err.find("could not be stored")) << r.Err;
    EXPECT_EQ("", Run({"qsos", "W1ABC"}).Out);
}

TEST_F(TDbToolTest, CheckReportsDamageWithExitOne) {
    Init();
    AddQso({"--date", "01/15/2003", "--call", "W1ABC"});
    // Clear the bucket word of W1ABC in QSOLOG (ID 6): hash 1*87+2*49+3*65+4*66+5*67 = 979.
    {
        std::fstream f(db_, std::ios::in | std::ios::out | std::ios::binary);
        const std::streamoff word = 1846800 + (6 + 1) * 40000 + 979 * 4;
        f.seekg(word);
        uint32_t head = 0;
        f.read(reinterpret_cast<char*>(&head), 4);
        ASSERT_NE(0u, head);
        head = 0;
        f.seekp(word);
        f.write(reinterpret_cast<const char*>(&head), 4);
    }
    const TResult r = Run({"check"});
    EXPECT_EQ(1, r.Exit);
    EXPECT_NE(std::string::npos, r.Out.find("QSOLOG           1         0")) << r.Out;
}

}  // namespace
