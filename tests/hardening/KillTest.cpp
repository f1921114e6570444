// A writer process is killed with SIGKILL right after its N-th flush, for
// N = 1, 2, ... until it ends by itself, all over the same database file:
// every flush of the work (open, store, text, delete, close) is a kill point,
// whatever the machine's speed. The mapped file survives the process in the
// page cache, so what is left is exactly the state the in-place writes had
// reached. After every kill the file must be sound, every contact whose
// number the writer had reported must be there whole (row, date-index row,
// text) and reported deletions stay done.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "HardeningFiles.h"
#include "KillWriterContact.h"
#include "TLogSnapshot.h"

namespace {
// Runs argv with TRAMB_KILL_AT_FLUSH=killAt, reads its output (stdout and
// stderr) to the end; answers the wait status.
int RunChild(const std::vector<std::string>& argv, uint64_t killAt, std::string& output) {
    const std::string killVar = std::to_string(killAt);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int fd[2];
    if (::pipe2(fd, O_CLOEXEC) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fd[1], 1);
        ::dup2(fd[1], 2);
        ::setenv("TRAMB_KILL_AT_FLUSH", killVar.c_str(), 1);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(fd[1]);
    char buf[4096];
    for (ssize_t n; (n = ::read(fd[0], buf, sizeof buf)) > 0;) output.append(buf, n);
    ::close(fd[0]);
    int status = -1;
    ::waitpid(pid, &status, 0);
    return status;
}

class KillTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = HardeningFiles::MakeTempDir("kill");
        path_ = dir_ + "/db_default.sib";
        ASSERT_TRUE(HardeningFiles::MakeLogDatabase(path_, nullptr));
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Kills argsOf(N) after its N-th flush for N = 1, 2, ... until a run ends
    // by itself; take(N, output) notes what that run reported.
    void KillAtEveryFlush(const std::function<std::vector<std::string>(uint64_t)>& argsOf,
                          const std::function<void(uint64_t, const std::string&)>& take) {
        uint64_t n = 1;
        for (; n < 5000; ++n) {
            std::string output;
            const int status = RunChild(argsOf(n), n, output);
            take(n, output);
            CheckFile("kill after flush " + std::to_string(n));
            if (HasFailure())
                return;  // one report is enough: the next rounds repeat it
            if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL) {
                ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
                break;
            }
        }
        std::cout << "killed after each of flushes 1.." << n - 1 << ", then ran to the end\n";
        EXPECT_GT(n, 2u) << "no kill fell inside the child's work";
        EXPECT_LT(n, 5000u) << "the child never ended by itself";
    }

    // The file after a kill: sound, every reported contact whole, every
    // reported deletion done, every row reachable by its call.
    void CheckFile(const std::string& when) {
        SCOPED_TRACE(when);
        const TLogSnapshot s = TLogSnapshot::Take(path_);
        ASSERT_TRUE(s.Opened);
        EXPECT_TRUE(s.Sound && s.Complaints.empty()) << s.Describe();
        for (const auto& [number, i] : stored_) {
            const KillWriterContact c{i};
            const auto row = s.Contacts.find(number);
            ASSERT_NE(row, s.Contacts.end()) << "reported contact " << number << " lost";
            EXPECT_EQ(c.Row(number), row->second);
            EXPECT_TRUE(s.InDateIndex.count(number)) << "contact " << number;
            EXPECT_EQ(c.Text(), s.Texts.count(number) ? s.Texts.at(number) : "");
        }
        for (int32_t number : deleted_)
            EXPECT_FALSE(s.Contacts.count(number)) << "deleted contact " << number << " came back";
    }

    std::string dir_;
    std::string path_;
    std::map<int32_t, int32_t> stored_;  // reported number -> i
    std::set<int32_t> deleted_;
};
}  // namespace

TEST_F(KillTest, KilledWriterLosesNoReportedContact) {
    const std::string writer = TRAMB_BIN_DIR "/tramb-kill-writer";
    KillAtEveryFlush(
        [&](uint64_t n) {
            return std::vector<std::string>{writer, path_, std::to_string(3 * n)};
        },
        [&](uint64_t, const std::string& output) {
            std::istringstream in(output);
            std::string what;
            int32_t number = 0;
            int32_t i = 0;
            // A contact whose delete was under way may or may not be there.
            while (in >> what >> number >> i) {
                if (what == "STORED")
                    stored_[number] = i;
                if (what == "DELETING")
                    stored_.erase(number);
                if (what == "DELETED")
                    deleted_.insert(number);
            }
        });
    EXPECT_FALSE(stored_.empty());
    EXPECT_FALSE(deleted_.empty());
}

TEST_F(KillTest, KilledAddQsoLosesNoReportedContact) {
    std::istringstream names(
        "--date --call --start --end --freq --power --mode --srst --rrst --rqsl --sqsl --logid "
        "--zone --country --county --grid --qslmgr --layout --contest1 --contest2 --contest3 "
        "--contest4");
    const std::vector<std::string> options{std::istream_iterator<std::string>(names), {}};
    const auto contact = [](uint64_t n) { return KillWriterContact{static_cast<int32_t>(n)}; };
    KillAtEveryFlush(
        [&](uint64_t n) {
            std::vector<std::string> args{TRAMB_BIN_DIR "/tramb-db", "--file", path_, "add-qso"};
            const std::vector<std::string> v = contact(n).Values();
            for (size_t col = 1; col < v.size(); ++col)
                args.insert(args.end(), {options[col - 1], v[col]});
            args.insert(args.end(), {"--text", contact(n).Text()});
            return args;
        },
        [&](uint64_t n, const std::string& output) {
            // The number is printed once the contact and its text are stored.
            if (const int32_t number = std::atoi(output.c_str()); number > 0)
                stored_[number] = contact(n).I;
        });
    EXPECT_FALSE(stored_.empty());
}
