#include "platform/TWindowFinder.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

TWindowFinder::~TWindowFinder() = default;

namespace {

std::string FindXdotool() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return {};
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty())
            continue;
        const std::string candidate = dir + "/xdotool";
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// Runs a program (no shell) and returns what it wrote to stdout; false when
// it could not be run or did not exit with 0.
bool RunCapture(const std::vector<std::string>& args, std::string& output) {
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        dup2(fds[1], 1);
        const int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0)
            dup2(devNull, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    output.clear();
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        output.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string EscapeRegex(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos)
            out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

}  // namespace

bool TWindowFinder::FindTopLevelWindow(const std::string& title, uint64_t& handle) {
    const std::string xdotool = FindXdotool();
    if (xdotool.empty())
        return false;
    std::string ids;
    // Depth 2 reaches the client windows a reparenting window manager puts in its frames.
    if (!RunCapture(
            {xdotool, "search", "--maxdepth", "2", "--name", "^" + EscapeRegex(title) + "$"}, ids))
        return false;
    std::istringstream lines(ids);
    std::string id;
    while (lines >> id) {
        std::string name;
        if (!RunCapture({xdotool, "getwindowname", id}, name))
            continue;
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
        if (name != title)
            continue;
        char* end = nullptr;
        const unsigned long long value = std::strtoull(id.c_str(), &end, 10);
        if (end == nullptr || *end != '\0')
            continue;
        handle = value;
        return true;
    }
    return false;
}

void TWindowFinder::BringToFront(uint64_t handle) {
    const std::string xdotool = FindXdotool();
    if (xdotool.empty())
        return;
    const std::string id = std::to_string(handle);
    std::string ignored;
    RunCapture({xdotool, "windowmap", id}, ignored);
    // Activation needs a window manager; raising works without one.
    RunCapture({xdotool, "windowactivate", id}, ignored);
    RunCapture({xdotool, "windowraise", id}, ignored);
}

namespace {
TWindowFinder& SystemFinder() {
    static TWindowFinder finder;
    return finder;
}
TWindowFinder* installedFinder = nullptr;
}  // namespace

TWindowFinder& WindowFinder() {
    return installedFinder ? *installedFinder : SystemFinder();
}

void SetWindowFinder(TWindowFinder* finder) {
    installedFinder = finder;
}
