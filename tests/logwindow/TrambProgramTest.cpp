// The program itself: a second instance waits for the lock and ends
// silently, touching nothing.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "platform/TLockFileMutex.h"
#include "records/RecordsFixture.h"

TEST(TrambProgram, SecondInstanceEndsSilentlyAfterTheWait) {
    using namespace std::chrono;
    const std::string program = std::string(TRAMB_BIN_DIR) + "/tramb", dir = MakeTempDir("second");
    if (!std::filesystem::exists(program))
        GTEST_SKIP() << "tramb is not built";
    TLockFileMutex first("TrambMutex", dir);
    ASSERT_TRUE(first.Wait(0));
    const auto start = steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (chdir(dir.c_str()) == 0)
            execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        std::_Exit(91);
    }
    // Wait for its end: a process descriptor turns readable when it ends.
    // Only a hung program reaches the bound.
    const int ending = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
    ASSERT_GE(ending, 0) << "no process descriptor";
    pollfd ended{ending, POLLIN, 0};
    const bool done = poll(&ended, 1, 120000) == 1;
    close(ending);
    if (!done)
        kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(done) << "tramb did not end";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // The lock's timeout is honoured: it did not give up early.
    EXPECT_GE(steady_clock::now() - start, 1900ms);
    // It neither looked for nor made a database.
    EXPECT_FALSE(std::filesystem::exists(dir + "/db_default.sib"));
    first.Release();
    std::filesystem::remove_all(dir);
}
