// The program itself: a second instance waits for the lock and ends
// silently, touching nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

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
    // Wait for its end; only a hung program reaches the bound.
    int status = 0;
    pid_t ended = 0;
    while ((ended = waitpid(child, &status, WNOHANG)) == 0 && steady_clock::now() - start < 120s)
        std::this_thread::sleep_for(10ms);
    if (ended == 0)
        kill(child, SIGKILL), waitpid(child, &status, 0);
    ASSERT_EQ(child, ended) << "tramb did not end";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // The lock's timeout is honoured: it did not give up early.
    EXPECT_GE(steady_clock::now() - start, 1900ms);
    // It neither looked for nor made a database.
    EXPECT_FALSE(std::filesystem::exists(dir + "/db_default.sib"));
    first.Release();
    std::filesystem::remove_all(dir);
}
