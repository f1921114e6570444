#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "PlatformTestSupport.h"
#include "platform/TProcessLauncher.h"
#include "platform/TWindowFinder.h"

static pid_t Spawn(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

// Waits until a window of that exact title exists: xdotool's --sync search
// answers once it does. False when none came within a minute.
static bool WaitForWindow(const std::string& title) {
    int out[2];
    if (access("/usr/bin/xdotool", X_OK) != 0 || pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::string args[] = {"/usr/bin/xdotool", "search", "--sync", "--name", "^" + title + "$"};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(),
                    args[3].data(), args[4].data(), nullptr};
    pid_t pid = -1;
    const bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    pollfd answer{out[0], POLLIN, 0};
    char id[64];
    const bool found = spawned && poll(&answer, 1, 60000) == 1 && read(out[0], id, sizeof id) > 0;
    close(out[0]);
    if (spawned) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return found;
}

TEST(TWindowFinder, FindsATopLevelWindowByItsExactTitleOnlyWithAWindowSystem) {
    uint64_t handle = 0, other = 0;
    TWindowFinder finder;
    unsetenv("DISPLAY");
    EXPECT_FALSE(finder.FindTopLevelWindow("Travindox Viewer", handle));
    finder.BringToFront(1);  // harmless

    // Xvfb takes a free display and writes its number to the pipe once it accepts clients.
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    const pid_t server = Spawn(
        {"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "640x480x24"});
    close(fds[1]);
    ASSERT_GT(server, 0);
    pollfd ready{fds[0], POLLIN, 0};
    char number[16] = {};
    const bool started = poll(&ready, 1, 60000) == 1 && read(fds[0], number, 15) > 0;
    close(fds[0]);
    if (!started) {
        kill(server, SIGKILL);
        waitpid(server, nullptr, 0);
        GTEST_SKIP() << "Xvfb did not start";
    }
    setenv("DISPLAY", (":" + std::to_string(atoi(number))).c_str(), 1);
    // The window ends with the server.
    ASSERT_TRUE(
        ProcessLauncher().Start("/usr/bin/xmessage", {"-title", "Travindox Viewer", "x"}, "/"));
    ASSERT_TRUE(WaitForWindow("Travindox Viewer"));
    EXPECT_TRUE(finder.FindTopLevelWindow("Travindox Viewer", handle));
    EXPECT_NE(0u, handle);
    EXPECT_FALSE(finder.FindTopLevelWindow("Travindox", other));
    EXPECT_FALSE(finder.FindTopLevelWindow("Travindox Viewer.", other));
    finder.BringToFront(handle);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    unsetenv("DISPLAY");
}
