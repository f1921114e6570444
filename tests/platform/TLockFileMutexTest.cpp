// The single-instance lock: one holder at a time, a timed wait, release on
// request and with the process.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/TInstanceMutex.h"
#include "platform/TLockFileMutex.h"

namespace {

class LockDir {
public:
    LockDir() {
        char pattern[] = "/dev/shm/tramb-lock-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~LockDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string path;
};

}  // namespace

TEST(TLockFileMutex, SecondHolderWaitsAndGivesUpAfterTheTimeout) {
    LockDir dir;
    TLockFileMutex first("TrambMutex", dir.path);
    TLockFileMutex second("TrambMutex", dir.path);
    ASSERT_TRUE(first.Wait(2000));
    EXPECT_TRUE(first.Held());
    EXPECT_TRUE(std::filesystem::exists(dir.path + "/TrambMutex"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.Wait(300));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_FALSE(second.Held());
    first.Release();
    first.Release();  // a second release does nothing
    EXPECT_FALSE(first.Held());
    EXPECT_TRUE(second.Wait(0));
}

TEST(TLockFileMutex, AnotherProcessIsKeptOutUntilTheHolderEnds) {
    LockDir dir;
    TLockFileMutex mine("TrambMutex", dir.path);
    ASSERT_TRUE(mine.Wait(0));
    const pid_t child = fork();
    if (child == 0) {
        TLockFileMutex theirs("TrambMutex", dir.path);
        std::_Exit(theirs.Wait(200) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(0, WEXITSTATUS(status));  // the child could not take it
    // A holder that ends without releasing leaves the lock free.
    mine.Release();
    const pid_t holder = fork();
    if (holder == 0) {
        TLockFileMutex theirs("TrambMutex", dir.path);
        std::_Exit(theirs.Wait(0) ? 0 : 1);
    }
    waitpid(holder, &status, 0);
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_TRUE(mine.Wait(0));
}

TEST(TLockFileMutex, DefaultDirectoryFollowsXdgRuntimeDir) {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old != nullptr ? old : "";
    setenv("XDG_RUNTIME_DIR", "/dev/shm", 1);
    EXPECT_EQ("/dev/shm", TLockFileMutex::DefaultDirectory());
    EXPECT_EQ("/dev/shm/TrambMutex", TLockFileMutex("TrambMutex").Path());
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ("/tmp", TLockFileMutex::DefaultDirectory());
    if (old != nullptr)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

TEST(TLockFileMutex, ProcessWideMutexIsReleasedThroughTheHelper) {
    LockDir dir;
    TLockFileMutex mutex("TrambMutex", dir.path);
    ASSERT_TRUE(mutex.Wait(0));
    ReleaseAppMutex();  // none installed: nothing happens
    EXPECT_TRUE(mutex.Held());
    SetAppMutex(&mutex);
    ReleaseAppMutex();
    EXPECT_FALSE(mutex.Held());
    SetAppMutex(nullptr);
}
