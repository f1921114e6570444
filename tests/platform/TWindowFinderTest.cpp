#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/TFakeWindowFinder.h"
#include "platform/TWindowFinder.h"

namespace {

pid_t Spawn(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void Stop(pid_t pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

TEST(TWindowFinder, WithoutAWindowSystemNoWindowIsFound) {
    const char* old = getenv("DISPLAY");
    const std::string saved = old ? old : "";
    unsetenv("DISPLAY");
    uint64_t handle = 0;
    TWindowFinder finder;
    EXPECT_FALSE(finder.FindTopLevelWindow("Travindox Viewer", handle));
    finder.BringToFront(1);  // harmless
    if (old)
        setenv("DISPLAY", saved.c_str(), 1);
}

// A real X server: a window titled "Travindox Viewer" is found by its exact title only.
TEST(TWindowFinder, FindsATopLevelWindowByItsExactTitle) {
    for (const char* tool : {"/usr/bin/Xvfb", "/usr/bin/xdotool", "/usr/bin/xmessage"})
        if (access(tool, X_OK) != 0)
            GTEST_SKIP() << tool << " is not installed";
    int number = 90 + getpid() % 400;
    while (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0) ++number;
    const std::string display = ":" + std::to_string(number);
    const pid_t server = Spawn({"/usr/bin/Xvfb", display, "-screen", "0", "640x480x24"});
    // The server is ready once its socket exists; a loaded machine may take
    // seconds, so wait for it rather than for a fixed time.
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    bool ready = false;
    for (int i = 0; i < 200 && !ready; ++i) {
        if (waitpid(server, nullptr, WNOHANG) == server) GTEST_SKIP() << "Xvfb did not start";
        ready = access(socket.c_str(), F_OK) == 0;
        if (!ready)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!ready) {
        Stop(server);
        GTEST_SKIP() << "Xvfb did not become ready";
    }
    const char* old = getenv("DISPLAY");
    const std::string saved = old ? old : "";
    setenv("DISPLAY", display.c_str(), 1);
    const pid_t window = Spawn({"/usr/bin/xmessage", "-display", display, "-title",
                                "Travindox Viewer", "call sign viewer"});
    TWindowFinder finder;
    uint64_t handle = 0;
    bool found = false;
    for (int i = 0; i < 50 && !found; ++i) {
        found = finder.FindTopLevelWindow("Travindox Viewer", handle);
        if (!found)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(found);
    EXPECT_NE(0u, handle);
    uint64_t other = 0;
    EXPECT_FALSE(finder.FindTopLevelWindow("Travindox", other));
    EXPECT_FALSE(finder.FindTopLevelWindow("Travindox Viewer.", other));
    if (found)
        finder.BringToFront(handle);
    Stop(window);
    Stop(server);
    if (old)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

TEST(TWindowFinder, TheFakeFinderStandsInWhileItLives) {
    TWindowFinder* before = &WindowFinder();
    {
        TFakeWindowFinder fake;
        fake.Present = true;
        fake.Title = "Travindox Viewer";
        uint64_t handle = 0;
        EXPECT_TRUE(WindowFinder().FindTopLevelWindow("Travindox Viewer", handle));
        EXPECT_EQ(fake.Handle, handle);
    }
    EXPECT_EQ(before, &WindowFinder());
}

}  // namespace
