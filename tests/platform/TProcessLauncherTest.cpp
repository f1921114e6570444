#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>

#include "PlatformTestSupport.h"
#include "platform/TProcessLauncher.h"

// True once dir/name exists. The directory's change events wake the wait;
// false only when a minute passes without it, which no healthy machine takes.
static bool WaitForFile(const std::string& dir, const std::string& name) {
    using namespace std::chrono;
    const int fd = inotify_init1(IN_CLOEXEC);
    if (fd < 0 || inotify_add_watch(fd, dir.c_str(), IN_CREATE | IN_MOVED_TO) < 0)
        return false;
    const auto deadline = steady_clock::now() + 60s;
    bool found = false;
    while (!(found = std::filesystem::exists(dir + "/" + name))) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        pollfd changed{fd, POLLIN, 0};
        char events[4096];
        if (left <= 0 || poll(&changed, 1, static_cast<int>(left)) != 1 ||
            read(fd, events, sizeof events) <= 0)
            break;
    }
    close(fd);
    return found;
}

// /bin/sh here is the program itself, given a script as its first argument:
// the argument that follows must arrive as one argv entry, unexpanded. The
// program runs detached, so the test waits for the file it renames into place.
TEST(TProcessLauncher, ArgumentsArriveUnchangedAndTheWorkingDirectoryIsSet) {
    TTempDir dir;
    const std::string tricky = "W1AW/$(touch pwned); `touch pwned2` & \"x\" *";
    ASSERT_TRUE(ProcessLauncher().Start(
        "/bin/sh", {"-c", "pwd > o; printf '%s|%s' \"$#\" \"$1\" >> o; mv o out", "sh", tricky},
        dir.Path));
    ASSERT_TRUE(WaitForFile(dir.Path, "out"));
    EXPECT_EQ(dir.Path + "\n1|" + tricky, ReadFile(dir.Path + "/out"));
    using It = std::filesystem::directory_iterator;
    EXPECT_EQ(1, std::distance(It(dir.Path), It()));  // nothing was touched
    EXPECT_FALSE(ProcessLauncher().Start(dir.Path + "/VIEWER1.EXE", {"x"}, dir.Path));
    EXPECT_FALSE(ProcessLauncher().Start("/bin/true", {}, dir.Path + "/no-such-dir"));
}
