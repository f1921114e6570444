// The program itself: a second instance waits for the lock and ends
// silently, touching nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/TLockFileMutex.h"

TEST(TrambProgram, SecondInstanceEndsSilentlyAfterTheWait) {
    const std::string program = std::string(TRAMB_BIN_DIR) + "/tramb";
    if (!std::filesystem::exists(program))
        GTEST_SKIP() << "tramb is not built";
    char pattern[] = "/dev/shm/tramb-second-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    TLockFileMutex first("TrambMutex", dir);
    ASSERT_TRUE(first.Wait(0));
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(dir.c_str()) != 0)
            std::_Exit(90);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        std::_Exit(91);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_GE(waited, std::chrono::milliseconds(1900));
    // It neither looked for nor made a database.
    EXPECT_FALSE(std::filesystem::exists(dir + "/db_default.sib"));
    first.Release();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
