#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/TProcessLauncher.h"
#include "platform/TRecordingProcessLauncher.h"

namespace {

std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 200; ++i) {
        std::ifstream in(path);
        if (in) {
            std::ostringstream text;
            text << in.rdbuf();
            if (!text.str().empty())
                return text.str();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
}

class TProcessLauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/dev/shm/tramb-launch-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        dir_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string dir_;
};

// /bin/sh here is the program itself, given a script as its first argument:
// the argument that follows must arrive as one argv entry, unexpanded.
TEST_F(TProcessLauncherTest, ArgumentsArriveUnchangedAndTheWorkingDirectoryIsSet) {
    const std::string tricky = "W1AW/$(touch pwned); `touch pwned2` & \"x\" *";
    ASSERT_TRUE(ProcessLauncher().Start(
        "/bin/sh",
        {"-c", "pwd > out.tmp; printf '%s|%s' \"$#\" \"$1\" >> out.tmp; mv out.tmp out", "sh",
         tricky},
        dir_));
    const std::string out = WaitForFile(dir_ + "/out");
    EXPECT_EQ(dir_ + "\n1|" + tricky, out);
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/pwned"));
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/pwned2"));
}

TEST_F(TProcessLauncherTest, AMissingProgramOrDirectoryIsReported) {
    EXPECT_FALSE(ProcessLauncher().Start(dir_ + "/VIEWER1.EXE", {"x"}, dir_));
    EXPECT_FALSE(ProcessLauncher().Start("/bin/true", {}, dir_ + "/no-such-dir"));
    EXPECT_TRUE(ProcessLauncher().Start("/bin/true", {}, dir_));
}

TEST_F(TProcessLauncherTest, TheRecordingLauncherKeepsEachStart) {
    TRecordingProcessLauncher recording;
    EXPECT_TRUE(ProcessLauncher().Start("/cd/VIEWER1.EXE", {"/log/W1AW/P"}, "/cd"));
    ASSERT_EQ(1u, recording.Starts.size());
    EXPECT_EQ("/cd/VIEWER1.EXE", recording.Starts[0].Program);
    EXPECT_EQ(std::vector<std::string>{"/log/W1AW/P"}, recording.Starts[0].Arguments);
    EXPECT_EQ("/cd", recording.Starts[0].WorkingDirectory);
}

}  // namespace
