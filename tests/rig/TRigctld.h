// Hamlib's rigctld serving its dummy rig on a free loopback port, and
// rigctl commands sent to it: a radio for the tests that the reader reaches
// over the network.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

class TRigctld {
public:
    ~TRigctld() { Stop(); }

    // A loopback TCP port nobody listens on at the moment of asking.
    static int FreePort() {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
        close(s);
        return ntohs(a.sin_port);
    }

    bool Start(int port) {
        port_ = port;
        pid_ = Spawn({"rigctld", "-m", "1", "-T", "127.0.0.1", "-t", std::to_string(port)});
        return pid_ > 0;
    }
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

    // Runs rigctl against the server with the commands ("F", "7030000",
    // "M", "CW", "0"); true when it succeeded.
    bool Command(std::vector<std::string> commands) const {
        std::vector<std::string> args = {"rigctl", "-m", "2", "-r", Address()};
        args.insert(args.end(), commands.begin(), commands.end());
        const pid_t pid = Spawn(args);
        int status = 0;
        return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    }

private:
    static pid_t Spawn(const std::vector<std::string>& args) {
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_t pid = -1;
        return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
    }

    pid_t pid_ = -1;
    int port_ = 0;
};
