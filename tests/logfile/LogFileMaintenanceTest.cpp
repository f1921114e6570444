// Backups, restore, compaction and the room left, through tramb-db run as a
// child process and through the library, in a fresh directory per test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <regex>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "logfile/TLogBackups.h"
#include "logfile/TLogStartup.h"
#include "records/TDbSystemSettings.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"

namespace {
namespace fs = std::filesystem;
using namespace DbFormat;

std::string Slurp(const std::string& path) {
    std::ostringstream out;  // one bulk copy: a log is 45 MB
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

// The value after "prefix" up to the end of its line.
std::string After(const std::string& text, const std::string& prefix) {
    const size_t at = text.find(prefix);
    if (at == std::string::npos)
        return std::string();
    const size_t from = at + prefix.size();
    return text.substr(from, text.find('\n', from) - from);
}

struct TRun {
    int Exit = -1;
    int Signal = 0;
    std::string Out, Err;
};

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/dev/shm/tramb-logfile-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(tmpl));
        dir_ = tmpl;
        db_ = dir_ + "/db_default.sib";
    }
    void TearDown() override { fs::remove_all(dir_); }

    // tramb-db in the test directory; killAt sets TRAMB_KILL_AT_FLUSH.
    TRun Tool(const std::vector<std::string>& args, int killAt = 0) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(dir_.c_str()) != 0)
                ::_exit(127);
            if (killAt > 0)
                ::setenv("TRAMB_KILL_AT_FLUSH", std::to_string(killAt).c_str(), 1);
            ::dup2(::open(".out", O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            ::dup2(::open(".err", O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            std::vector<char*> argv{const_cast<char*>("tramb-db")};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(TRAMB_BIN_DIR "/tramb-db", argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        TRun r;
        r.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        r.Out = Slurp(dir_ + "/.out");
        r.Err = Slurp(dir_ + "/.err");
        return r;
    }
    void Ok(const std::vector<std::string>& args) {
        const TRun r = Tool(args);
        ASSERT_EQ(0, r.Exit) << args[0] << ": " << r.Err;
    }

    // Six contacts (numbers 0..5, one with a two-piece text), two of them
    // deleted, a setting and two holders.
    void MakeLog() {
        Ok({"init"});
        const char* calls[] = {"W1AW", "K2XX", "DL1ABC", "W1AW", "G4YYY", "JA1ZZ"};
        for (int i = 0; i < 6; ++i)
            Ok({"add-qso", "--date", "12/0" + std::to_string(i + 1) + "/2026", "--call", calls[i],
                "--text", std::string(i == 2 ? 300 : 10 + i, char('a' + i))});
        Ok({"delete-qso", "K2XX", "1", "12/02/2026"});
        Ok({"delete-qso", "W1AW", "3", "12/04/2026"});
        std::ofstream(dir_ + "/holders.txt") << "W1AW|Hiram|Maxim|Newington|CT\n"
                                             << "DL1ABC|Karl|Muster|Bonn|NW\n";
        Ok({"import-holders", "holders.txt"});
        Database = new TDatabase();
        ASSERT_EQ(0, Database->StartDatabase(db_));
        ASSERT_NE(nullptr, TDbSystemSettings().Save("FREQUENCY", "14.070"));
        Close();
    }
    void Close() {
        Database->ShutdownDatabase(db_);
        delete Database;
        Database = nullptr;
    }
    // The export (contacts, numbers, texts), the setting and the holders.
    std::string Contents() {
        Ok({"export", "e.txt"});
        // Without the chain links, which a compaction changes.
        std::string all = std::regex_replace(Slurp(dir_ + "/e.txt"), std::regex("TAIL:\\d+"), "");
        Database = new TDatabase();
        EXPECT_EQ(0, Database->StartDatabase(db_));
        TDbSystemSettings settings;
        settings.Load("FREQUENCY", "FREQUENCY");
        for (const auto& s : settings.Settings) all += "|" + s->Name + "=" + s->Value;
        for (const char* call : {"W1AW", "DL1ABC"}) {
            TDBResultSet rs;
            rs.Open("HAMCLS", call, call);
            for (const auto& row : rs.Rows) all += "|" + row->GetField(1)->Value;
        }
        Close();
        return all;
    }
    std::string dir_, db_;
};

TEST_F(LogFileTest, BackupsKeepTheNewestTenByTimeAndSerial) {
    TLogBackups backups(db_);
    std::vector<uint8_t> image(3 * 1024 * 1024, 0);
    std::vector<std::string> made;
    // Three in one second (serials 1, 2, 3), then one a second later, ...
    const std::time_t times[] = {100, 100, 100, 101, 102, 103, 104, 105, 106, 107, 108, 3700};
    for (std::time_t when : times) {
        image[2 * 1024 * 1024] = static_cast<uint8_t>(made.size() + 1);
        std::string path, error;
        ASSERT_TRUE(backups.SaveImage(image.data(), image.size(), when, path, error)) << error;
        made.push_back(path);
    }
    EXPECT_EQ(std::vector<std::string>(made.begin() + 2, made.end()), backups.List());
    EXPECT_EQ(dir_ + "/backups/db_default-19700101-000140-3.sib", made[2]);
    EXPECT_EQ(dir_ + "/backups/db_default-19700101-010140.sib", backups.Newest());
    EXPECT_EQ(char(12), Slurp(backups.Newest())[2 * 1024 * 1024]);
}

TEST_F(LogFileTest, CompactKeepsEveryRowRegainsRoomAndRestoreBringsBackTheOldFile) {
    MakeLog();
    const std::string before = Contents();
    const std::string oldLog = Slurp(db_);
    const int fd = ::open(db_.c_str(), O_RDONLY);  // another process holds the log
    ASSERT_EQ(0, ::flock(fd, LOCK_EX));
    const TRun held = Tool({"compact"});
    ::close(fd);
    EXPECT_EQ(
        "tramb-db: db_default.sib is in use by another process (close the log window first)\n",
        held.Err);

    const TRun c = Tool({"compact"});
    ASSERT_EQ(0, c.Exit) << c.Err;
    const std::string backup = dir_ + "/" + After(c.Out, "backup written: ");
    EXPECT_TRUE(oldLog == Slurp(backup));
    struct stat st {};
    ASSERT_EQ(0, ::stat(backup.c_str(), &st));
    EXPECT_LT(st.st_blocks * 512, kDbFileSize / 10) << "the backup is not sparse";
    EXPECT_LT(std::stoll(After(c.Out, "room before: ")), std::stoll(After(c.Out, "room after: ")));
    EXPECT_EQ(0, Tool({"check"}).Exit);
    EXPECT_EQ(before, Contents());
    const TRun room = Tool({"room"});
    EXPECT_EQ("4 live rows, 0 deleted, 1 page, 29407 free slots in its last page",
              After(room.Out, "QSOLOG: "));
    EXPECT_EQ("5 live rows, 0 deleted, 1 page, 18862 free slots in its last page",
              After(room.Out, "QSO_TEXT: "));
    EXPECT_EQ("6\n", Tool({"add-qso", "--date", "12/09/2026", "--call", "VK2AA"}).Out);

    const std::string replaced = Slurp(db_);
    const TRun r = Tool({"restore", backup});
    ASSERT_EQ(0, r.Exit) << r.Err;
    EXPECT_TRUE(oldLog == Slurp(db_));
    const std::string kept = dir_ + "/" + After(r.Out, "the replaced log was kept as ");
    EXPECT_TRUE(fs::equivalent(kept, TLogBackups(db_).Newest()));
    EXPECT_TRUE(replaced == Slurp(kept));
    EXPECT_EQ(before, Contents());
}

TEST_F(LogFileTest, RestoreRefusesADamagedOrForeignFileAndLeavesTheLog) {
    MakeLog();
    const TRun b = Tool({"backup", "elsewhere"});
    ASSERT_EQ(0, b.Exit) << b.Err;
    const std::string backup = After(b.Out, "backup written: ");
    EXPECT_EQ(0u, backup.rfind("elsewhere/db_default-", 0)) << backup;
    fs::copy_file(dir_ + "/" + backup, dir_ + "/bad.sib");
    {
        // Clear QSOLOG's buckets: its rows are no longer reachable.
        const int fd = ::open((dir_ + "/bad.sib").c_str(), O_WRONLY);
        const std::vector<char> zero(kBucketBlockSize, 0);
        EXPECT_EQ(ssize_t(kBucketBlockSize),
                  ::pwrite(fd, zero.data(), zero.size(), kBucketRegionBase + 7 * kBucketBlockSize));
        ::close(fd);
    }
    std::ofstream(dir_ + "/short.sib") << std::string(1000, 'x');
    const std::string log = Slurp(db_);
    const std::pair<const char*, const char*> cases[] = {
        {"bad.sib",
         "tramb-db: the backup fails the integrity check: bad.sib; the log was not changed\n"},
        {"short.sib",
         "tramb-db: short.sib is not a Tramb database (1000 bytes; a database file has "
         "45000000)\n"},
    };
    for (const auto& [file, message] : cases) {
        const TRun r = Tool({"restore", file});
        EXPECT_EQ(1, r.Exit) << file;
        EXPECT_EQ(message, r.Err);
        EXPECT_TRUE(log == Slurp(db_)) << file;
        EXPECT_FALSE(fs::exists(db_ + ".restore.tmp"));
    }
    EXPECT_TRUE(TLogBackups(db_).List().empty());
}

TEST_F(LogFileTest, StartUpKeepsABackupNamesItAndWarnsWhenRoomIsLow) {
    MakeLog();
    Database = new TDatabase();
    ASSERT_EQ(0, Database->StartDatabase(db_));
    EXPECT_EQ("No backup of the database was found in " + dir_ + "/backups.",
              TLogStartup::RestoreHint(db_));
    EXPECT_EQ("", TLogStartup::KeepBackup(db_, 1000000000));
    const std::string newest = dir_ + "/backups/db_default-20010909-014640.sib";
    EXPECT_EQ("The newest backup of the database is " + newest +
                  ". To restore it, close this program and run: tramb-db --file " + db_ +
                  " restore " + newest,
              TLogStartup::RestoreHint(db_));
    EXPECT_EQ("", TLogStartup::LowRoomWarning());
    // Fill the file: deleted rows in the last pages up to a few free slots
    // (QSOLOG 500, QSO_DATE_INDEX 800, QSO_TEXT 900 with 1.25 rows a
    // contact), every free page taken by HAMCLS.
    uint8_t* base = TDbKernel::Base();
    auto put = [&](uint32_t at, uint32_t v) { std::memcpy(base + at, &v, 4); };
    auto get = [&](uint32_t at) {
        uint32_t v;
        std::memcpy(&v, base + at, 4);
        return v;
    };
    // {table ID, slot stride, its page, free slots to leave}
    const uint32_t tables[][4] = {{6, 170, 1, 500}, {7, 41, 2, 800}, {8, 265, 3, 900}};
    for (const auto& [id, stride, page, leave] : tables) {
        const uint32_t start = kDataRegionBase + page * kDataPageSize;
        ASSERT_EQ(id, get(start));
        for (uint32_t s = 0; s + leave < (kDataPageSize - 1) / stride; ++s)
            if (get(start + s * stride) == 0)
                put(start + s * stride, id);
    }
    for (uint32_t p = 0; p < kDataPageCount; ++p)
        if (get(kDataRegionBase + p * kDataPageSize) == 0)
            put(kDataRegionBase + p * kDataPageSize, 5);
    EXPECT_EQ(
        "The database file has room for only 500 more contacts. Close this program and run "
        "'tramb-db compact' to regain the room of deleted contacts, or start a new log.",
        TLogStartup::LowRoomWarning());
    Close();
    EXPECT_EQ(0, Tool({"check"}).Exit);
    EXPECT_EQ("500 contacts", After(Tool({"room"}).Out, "room: "));
}

// A kill at every durable step of a compaction leaves the old or the new
// file, whole and sound, under the log's name.
TEST_F(LogFileTest, AKillAnywhereInCompactLeavesTheOldOrTheNewLog) {
    MakeLog();
    const std::string oldLog = Slurp(db_);
    ASSERT_EQ(0, Tool({"compact"}).Exit);
    const std::string newLog = Slurp(db_);
    ASSERT_TRUE(oldLog != newLog);
    int killedOld = 0, killedNew = 0;
    bool finished = false;
    for (int n = 1; n <= 500 && !finished; ++n) {
        fs::remove_all(dir_ + "/backups");
        std::ofstream(db_, std::ios::binary | std::ios::trunc) << oldLog;
        const TRun r = Tool({"compact"}, n);
        finished = r.Signal == 0;
        ASSERT_TRUE(finished ? r.Exit == 0 : r.Signal == SIGKILL) << n << r.Err;
        const std::string now = Slurp(db_);
        ASSERT_TRUE(now == oldLog || now == newLog) << "after a kill at step " << n;
        (now == oldLog ? killedOld : killedNew) += finished ? 0 : 1;
        ASSERT_EQ(0, Tool({"check"}).Exit) << n;
    }
    EXPECT_TRUE(finished);
    EXPECT_GT(killedOld, 10);
    EXPECT_GE(killedNew, 1);
}

}  // namespace
