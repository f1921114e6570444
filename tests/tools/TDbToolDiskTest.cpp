// tramb-db on a disk without room for the log file and on a disk that fails
// a flush: one clear message, exit 1, the file as it was (or none when it is
// new), no contact reported stored. A sparse log gets all its blocks when it
// is opened, so no later write into it can find the disk full.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "kernel/DbFormat.h"
#include "platform/PlatformTestSupport.h"

namespace {
const std::string kNoRoom =
    "tramb-db: There is not enough free disk space for the log file (45,000,000 bytes are needed).";

// The tool in dir with env (VAR=value) set: its exit status and stderr; stdout in dir/.out.
std::string Tool(const std::string& dir, const std::string& env, const std::string& args) {
    const std::string bin = TRAMB_BIN_DIR "/tramb-db ";
    const int status =
        std::system(("cd " + dir + " && " + env + " " + bin + args + " >.out 2>.err").c_str());
    return std::to_string(WEXITSTATUS(status)) + " " + ReadFile(dir + "/.err");
}

// A new log copied sparse to dir/name (its zero blocks holes); its bytes.
std::string SparseLog(const std::string& dir, const std::string& name) {
    Tool(dir, "", "--file new.sib init");
    std::system(("cd " + dir + " && cp --sparse=always new.sib " + name).c_str());
    return ReadFile(dir + "/" + name);
}
}  // namespace

TEST(TDbToolDiskTest, ASparseLogGetsItsBlocksOrIsLeftAsItWas) {
    for (const std::string fault : {"", "unsupported", "nospace"}) {
        TTempDir dir;
        const std::string log = dir.Path + "/db_default.sib";
        const std::string before = SparseLog(dir.Path, "db_default.sib");
        struct stat st {};
        const std::string out = Tool(dir.Path, "TRAMB_ALLOCATE_FAULT=" + fault, "check");
        ::stat(log.c_str(), &st);
        EXPECT_EQ(
            fault == "nospace" ? "1 " + kNoRoom + " (db_default.sib)\n, sparse" : "0 , allocated",
            out + (st.st_blocks * 512 < DbFormat::kDbFileSize ? ", sparse" : ", allocated"));
        EXPECT_TRUE(before == ReadFile(log)) << fault;
    }
    TTempDir dir;  // a new file that gets no room is not left behind
    EXPECT_EQ("1 " + kNoRoom + " (db_default.sib)\n",
              Tool(dir.Path, "TRAMB_ALLOCATE_FAULT=nospace", "init"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path + "/db_default.sib"));
}

TEST(TDbToolDiskTest, ARealFullDiskIsReportedNotFatal) {
    TTempDir dir;
    const std::string log = SparseLog(dir.Path, "sparse.sib");
    // On a 10 MB disk of its own: init, the check of the sparse log, a restore of it.
    std::system(("cd " + dir.Path + " && mkdir small && unshare -m sh -c '" +
                 "mount -t tmpfs -o size=10m tmpfs small && cd small && T=" TRAMB_BIN_DIR
                 "/tramb-db; $T init 2>&1; echo $? $(ls); cp --sparse=always ../sparse.sib .; "
                 "$T --file sparse.sib check 2>&1 >/dev/null; echo $?; $T --file new.sib restore "
                 "sparse.sib 2>&1; echo $? $(ls); cp sparse.sib ..' >out")
                    .c_str());
    if (ReadFile(dir.Path + "/out").empty())
        GTEST_SKIP() << "no tmpfs can be mounted here";
    EXPECT_EQ(kNoRoom + " (db_default.sib)\n1\n" + kNoRoom + " (sparse.sib)\n1\n" + kNoRoom +
                  " (new.sib.restore.tmp)\n1 sparse.sib\n",
              ReadFile(dir.Path + "/out"));
    EXPECT_TRUE(log == ReadFile(dir.Path + "/sparse.sib"));
}

TEST(TDbToolDiskTest, AFailedFlushIsNoStoredContact) {
    for (const int n : {1, 2}) {  // the contact's flushes: bodies with the intent record, words
        TTempDir dir;
        Tool(dir.Path, "", "init");
        const std::string out = Tool(dir.Path, "TRAMB_FAIL_AT_FLUSH=" + std::to_string(n),
                                     "add-qso --date 01/15/2003 --call W1ABC");
        // Exit 1 and no number on stdout: nothing reported stored.
        EXPECT_EQ(0u, (ReadFile(dir.Path + "/.out") + out)
                          .find("1 tramb-db: The log file could not be written to the disk: "
                                "Input/output error. (db_default.sib)\n"))
            << out;
        EXPECT_EQ("0 ", Tool(dir.Path, "", "check"));
        Tool(dir.Path, "", "qsos W1ABC");  // the rows were not made live before the failure
        EXPECT_TRUE(n == 2 || ReadFile(dir.Path + "/.out").empty()) << n;
    }
}
