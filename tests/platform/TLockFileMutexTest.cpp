// The single-instance lock: one holder at a time, a timed wait, release on
// request and with the process.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "PlatformTestSupport.h"
#include "platform/TInstanceMutex.h"
#include "platform/TLockFileMutex.h"

// The exit status of a child process that tries to take the lock.
static int ChildTakes(const std::string& dir, uint32_t timeoutMs) {
    const pid_t child = fork();
    if (child == 0)
        std::_Exit(TLockFileMutex("TrambMutex", dir).Wait(timeoutMs) ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TLockFileMutex, ASecondHolderWaitsItsTimeoutAndGetsTheLockOnlyWhenItIsFree) {
    TTempDir dir;
    TLockFileMutex first("TrambMutex", dir.Path);
    TLockFileMutex second("TrambMutex", dir.Path);
    ASSERT_TRUE(first.Wait(0));
    EXPECT_TRUE(std::filesystem::exists(dir.Path + "/TrambMutex"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.Wait(300));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(1, ChildTakes(dir.Path, 100));  // the second instance of the program

    SetAppMutex(&first);
    ReleaseAppMutex();
    SetAppMutex(nullptr);
    ReleaseAppMutex();  // none installed: nothing happens
    EXPECT_FALSE(first.Held());
    first.Release();  // a second release does nothing
    // A holder that ends without releasing leaves the lock free.
    EXPECT_EQ(0, ChildTakes(dir.Path, 0));
    EXPECT_TRUE(second.Wait(0));

    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old != nullptr ? old : "";
    setenv("XDG_RUNTIME_DIR", "/dev/shm", 1);
    EXPECT_EQ("/dev/shm/TrambMutex", TLockFileMutex("TrambMutex").Path());
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ("/tmp", TLockFileMutex::DefaultDirectory());
    if (old != nullptr)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}
