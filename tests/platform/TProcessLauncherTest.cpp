#include <gtest/gtest.h>

#include "PlatformTestSupport.h"
#include "platform/TProcessLauncher.h"

// /bin/sh here is the program itself, given a script as its first argument:
// the argument that follows must arrive as one argv entry, unexpanded. The
// program runs detached, so the test waits for the file it renames into place.
TEST(TProcessLauncher, ArgumentsArriveUnchangedAndTheWorkingDirectoryIsSet) {
    TTempDir dir;
    const std::string tricky = "W1AW/$(touch pwned); `touch pwned2` & \"x\" *";
    ASSERT_TRUE(ProcessLauncher().Start(
        "/bin/sh", {"-c", "pwd > o; printf '%s|%s' \"$#\" \"$1\" >> o; mv o out", "sh", tricky},
        dir.Path));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(dir.Path + "/out"); }));
    EXPECT_EQ(dir.Path + "\n1|" + tricky, ReadFile(dir.Path + "/out"));
    using It = std::filesystem::directory_iterator;
    EXPECT_EQ(1, std::distance(It(dir.Path), It()));  // nothing was touched
    EXPECT_FALSE(ProcessLauncher().Start(dir.Path + "/VIEWER1.EXE", {"x"}, dir.Path));
    EXPECT_FALSE(ProcessLauncher().Start("/bin/true", {}, dir.Path + "/no-such-dir"));
}
