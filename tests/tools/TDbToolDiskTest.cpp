// tramb-db on a disk without room for the log file and on a disk that fails
// a flush: one clear message, exit 1, the file as it was (or none when it is
// new), no contact reported stored. A sparse log gets all its blocks when it
// is opened, so no later write into it can find the disk full.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "kernel/DbFormat.h"
#include "platform/PlatformTestSupport.h"

namespace {
const std::string kNoRoom =
    "There is not enough free disk space for the log file (45,000,000 bytes are needed).";

struct TRun {
    int Exit;
    std::string Out, Err;
};

// The tool in dir, env (VAR=value …) set for it.
TRun Tool(const std::string& dir, const std::string& env, const std::string& args) {
    const std::string cmd =
        "cd '" + dir + "' && " + env + " '" TRAMB_BIN_DIR "/tramb-db' " + args + " >.out 2>.err";
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(dir + "/.out"),
            ReadFile(dir + "/.err")};
}

uint64_t Allocated(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_blocks) * 512 : 0;
}

// A new log copied sparse to dir/name: its zero blocks are holes.
std::string SparseLog(const std::string& dir, const std::string& name) {
    const TRun init = Tool(dir, "", "--file new.sib init");
    EXPECT_EQ(0, init.Exit) << init.Err;
    std::system(("cd '" + dir + "' && cp --sparse=always new.sib '" + name + "'").c_str());
    EXPECT_LT(Allocated(dir + "/" + name), DbFormat::kDbFileSize / 2);
    return ReadFile(dir + "/" + name);
}
}  // namespace

TEST(TDbToolDiskTest, ASparseLogGetsItsBlocksOrIsLeftAsItWas) {
    struct TCase {
        const char* Fault;
        bool Room;
    };
    for (const TCase c : {TCase{"", true}, TCase{"unsupported", true}, TCase{"nospace", false}}) {
        SCOPED_TRACE(c.Fault);
        TTempDir dir;
        const std::string before = SparseLog(dir.Path, "db_default.sib");
        const TRun r = Tool(dir.Path, std::string("TRAMB_ALLOCATE_FAULT=") + c.Fault, "check");
        EXPECT_EQ(c.Room ? 0 : 1, r.Exit) << r.Err;
        EXPECT_EQ(!c.Room, r.Err.find(kNoRoom) != std::string::npos) << r.Err;
        EXPECT_EQ(c.Room, Allocated(dir.Path + "/db_default.sib") >= DbFormat::kDbFileSize);
        EXPECT_TRUE(before == ReadFile(dir.Path + "/db_default.sib"));
    }
    TTempDir dir;  // a new file that gets no room is not left behind
    const TRun r = Tool(dir.Path, "TRAMB_ALLOCATE_FAULT=nospace", "init");
    EXPECT_EQ(1, r.Exit);
    EXPECT_EQ("tramb-db: " + kNoRoom + " (db_default.sib)\n", r.Err);
    EXPECT_FALSE(std::filesystem::exists(dir.Path + "/db_default.sib"));
}

TEST(TDbToolDiskTest, ARealFullDiskIsReportedNotFatal) {
    TTempDir dir;
    const std::string log = SparseLog(dir.Path, "sparse.sib");
    const std::string small = dir.Path + "/small";
    std::filesystem::create_directory(small);
    const pid_t pid = ::fork();
    if (pid == 0) {  // a 10 MB disk of its own, in a mount namespace of its own
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=10m") != 0)
            _exit(77);
        const TRun init = Tool(small, "", "init");
        const bool left = std::filesystem::exists(small + "/db_default.sib");
        std::system(
            ("cp --sparse=always '" + dir.Path + "/sparse.sib' '" + small + "/db_default.sib'")
                .c_str());
        const TRun check = Tool(small, "", "check");
        auto said = [](const TRun& r) { return r.Err.find(kNoRoom) != std::string::npos; };
        WriteFile(dir.Path + "/result",
                  "init " + std::to_string(init.Exit) + (said(init) ? " said" : "") +
                      (left ? " left a file" : "") + ", check " + std::to_string(check.Exit) +
                      (said(check) ? " said" : "") +
                      (ReadFile(small + "/db_default.sib") == log ? " kept" : ""));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(pid, ::waitpid(pid, &status, 0));
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    EXPECT_EQ("init 1 said, check 1 said kept", ReadFile(dir.Path + "/result"));
}

TEST(TDbToolDiskTest, AFailedFlushIsNoStoredContact) {
    for (const int n : {1, 2, 3}) {
        SCOPED_TRACE(n);
        TTempDir dir;
        ASSERT_EQ(0, Tool(dir.Path, "", "init").Exit);
        const TRun r = Tool(dir.Path, "TRAMB_FAIL_AT_FLUSH=" + std::to_string(n),
                            "add-qso --date 01/15/2003 --call W1ABC");
        EXPECT_EQ(1, r.Exit);
        EXPECT_EQ("", r.Out);  // no number: nothing reported stored
        EXPECT_EQ(0u, r.Err.find("tramb-db: The log file could not be written to the disk: "
                                 "Input/output error. (db_default.sib)\n"))
            << r.Err;
        EXPECT_EQ(0, Tool(dir.Path, "", "check").Exit);
        if (n < 3) {  // the flush that makes the rows live was not reached
            EXPECT_EQ("", Tool(dir.Path, "", "qsos W1ABC").Out);
        }
    }
}
