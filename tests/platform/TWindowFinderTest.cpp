#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "PlatformTestSupport.h"
#include "platform/TWindowFinder.h"

namespace {

pid_t Spawn(std::vector<std::string> args) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Starts Xvfb on a free display; it writes the display's number to the pipe
// once it accepts clients. Empty when it could not start.
std::string StartX(pid_t& server) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    server = Spawn(
        {"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "640x480x24"});
    close(fds[1]);
    pollfd ready{fds[0], POLLIN, 0};
    char number[16] = {};
    const bool ok = poll(&ready, 1, 60000) == 1 && read(fds[0], number, sizeof number - 1) > 0;
    close(fds[0]);
    return ok ? ":" + std::to_string(std::atoi(number)) : std::string();
}

}  // namespace

TEST(TWindowFinder, FindsATopLevelWindowByItsExactTitleOnlyWithAWindowSystem) {
    const char* old = getenv("DISPLAY");
    const std::string saved = old ? old : "";
    uint64_t handle = 0;
    TWindowFinder finder;
    unsetenv("DISPLAY");
    EXPECT_FALSE(finder.FindTopLevelWindow("Travindox Viewer", handle));
    finder.BringToFront(1);  // harmless

    for (const char* tool : {"/usr/bin/Xvfb", "/usr/bin/xdotool", "/usr/bin/xmessage"})
        if (access(tool, X_OK) != 0)
            GTEST_SKIP() << tool << " is not installed";
    pid_t server = -1;
    const std::string display = StartX(server);
    if (display.empty()) {
        Stop(server);
        GTEST_SKIP() << "Xvfb did not start";
    }
    setenv("DISPLAY", display.c_str(), 1);
    const pid_t window = Spawn({"/usr/bin/xmessage", "-title", "Travindox Viewer", "viewer"});
    EXPECT_TRUE(WaitFor([&] { return finder.FindTopLevelWindow("Travindox Viewer", handle); }));
    EXPECT_NE(0u, handle);
    uint64_t other = 0;
    EXPECT_FALSE(finder.FindTopLevelWindow("Travindox", other));
    EXPECT_FALSE(finder.FindTopLevelWindow("Travindox Viewer.", other));
    finder.BringToFront(handle);
    Stop(window);
    Stop(server);
    if (old)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
}
