#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "PlatformTestSupport.h"
#include "platform/TProcessLauncher.h"

// /bin/sh here is the program itself, given a script as its first argument:
// the argument that follows must arrive as one argv entry, unexpanded. The
// program runs detached, so the test waits for the file it renames into place.
TEST(TProcessLauncher, ArgumentsArriveUnchangedAndTheWorkingDirectoryIsSet) {
    TTempDir dir;
    const std::string tricky = "W1AW/$(touch pwned); `touch pwned2` & \"x\" *";
    ASSERT_TRUE(ProcessLauncher().Start(
        "/bin/sh",
        {"-c", "pwd > out.tmp; printf '%s|%s' \"$#\" \"$1\" >> out.tmp; mv out.tmp out", "sh",
         tricky},
        dir.Path));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(dir.Path + "/out"); }));
    std::ostringstream out;
    out << std::ifstream(dir.Path + "/out").rdbuf();
    EXPECT_EQ(dir.Path + "\n1|" + tricky, out.str());
    EXPECT_FALSE(std::filesystem::exists(dir.Path + "/pwned"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path + "/pwned2"));

    EXPECT_FALSE(ProcessLauncher().Start(dir.Path + "/VIEWER1.EXE", {"x"}, dir.Path));
    EXPECT_FALSE(ProcessLauncher().Start("/bin/true", {}, dir.Path + "/no-such-dir"));
}
