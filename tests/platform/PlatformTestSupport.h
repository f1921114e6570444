// Test helpers on the platform: a scratch directory on /dev/shm removed with
// its contents, a whole file read, and a bounded wait for an event that
// another process brings about.
#pragma once

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

struct TTempDir {
    std::string Path = MakeTemp();
    ~TTempDir() { std::filesystem::remove_all(Path); }
    static std::string MakeTemp() {
        std::string tmpl = "/dev/shm/tramb-test-XXXXXX";
        return mkdtemp(tmpl.data()) ? tmpl : throw std::runtime_error("no temporary directory");
    }
};

inline std::string ReadFile(const std::string& name) {
    std::ostringstream text;
    text << std::ifstream(name, std::ios::binary).rdbuf();
    return text.str();
}

// True as soon as ready() holds; false only when it still fails after a
// minute, which no healthy machine takes.
inline bool WaitFor(const std::function<bool()>& ready) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
