#include "platform/TProcessLauncher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

TProcessLauncher::~TProcessLauncher() = default;

namespace {

bool WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

// Double fork: the intermediate child exits at once and is reaped here, the
// program runs as a grandchild adopted by init, so no zombie is left behind
// however long it runs. A close-on-exec pipe carries the errno of a failed
// chdir or execv back to the caller.
bool TProcessLauncher::Start(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& workingDirectory) {
    std::vector<std::string> argvText;
    argvText.push_back(program);
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;

    const pid_t child = fork();
    if (child < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        close(pipeFds[0]);
        const pid_t grandchild = fork();
        if (grandchild != 0)
            _exit(grandchild < 0 ? 1 : 0);
        setsid();
        // No inherited handles: everything above stderr goes, except the report pipe.
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != pipeFds[1])
                close(fd);
        int err = 0;
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0) {
            err = errno;
        } else {
            execv(program.c_str(), argv.data());
            err = errno;
        }
        WriteAll(pipeFds[1], &err, sizeof err);
        _exit(127);
    }
    close(pipeFds[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    bool started = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    int err = 0;
    ssize_t n;
    do {
        n = read(pipeFds[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    close(pipeFds[0]);
    if (n > 0)
        started = false;  // the grandchild reported a failed chdir/execv
    return started;
}

namespace {
TProcessLauncher& SystemLauncher() {
    static TProcessLauncher launcher;
    return launcher;
}
TProcessLauncher* installedLauncher = nullptr;
}  // namespace

TProcessLauncher& ProcessLauncher() {
    return installedLauncher ? *installedLauncher : SystemLauncher();
}

void SetProcessLauncher(TProcessLauncher* launcher) {
    installedLauncher = launcher;
}
