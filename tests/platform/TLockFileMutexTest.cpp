// The single-instance lock: one holder at a time, a timed wait, release on
// request and with the process. The second instance of the program itself is
// tested with the program.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "PlatformTestSupport.h"
#include "platform/TInstanceMutex.h"
#include "platform/TLockFileMutex.h"

TEST(TLockFileMutex, ASecondHolderWaitsItsTimeoutAndGetsTheLockOnlyWhenItIsFree) {
    TTempDir dir;
    TLockFileMutex first("TrambMutex", dir.Path);
    TLockFileMutex second("TrambMutex", dir.Path);
    ASSERT_TRUE(first.Wait(0));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.Wait(300));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    SetAppMutex(&first);
    ReleaseAppMutex();
    SetAppMutex(nullptr);
    ReleaseAppMutex();  // none installed: nothing happens
    EXPECT_FALSE(first.Held());
    first.Release();  // a second release does nothing

    // A holder that ends without releasing leaves the lock free.
    const pid_t child = fork();
    if (child == 0)
        std::_Exit(TLockFileMutex("TrambMutex", dir.Path).Wait(0) ? 0 : 1);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(0, status);
    EXPECT_TRUE(second.Wait(0));

    setenv("XDG_RUNTIME_DIR", dir.Path.c_str(), 1);
    EXPECT_EQ(dir.Path + "/TrambMutex", TLockFileMutex("TrambMutex").Path());
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ("/tmp", TLockFileMutex::DefaultDirectory());
}
