// Test helpers on the platform: scratch directories on /dev/shm, whole files
// read and written, and a bounded wait for an event that another process
// brings about.
#pragma once

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

// A new directory; the caller removes it.
inline std::string MakeTempDir(const char* tag) {
    std::string tmpl = std::string("/dev/shm/tramb-") + tag + "-XXXXXX";
    return mkdtemp(tmpl.data()) ? tmpl : throw std::runtime_error("no temporary directory");
}

struct TTempDir {
    std::string Path = MakeTempDir("test");
    ~TTempDir() { std::filesystem::remove_all(Path); }
};

inline std::string ReadFile(const std::string& name) {
    std::ostringstream text;
    text << std::ifstream(name, std::ios::binary).rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary | std::ios::trunc) << text;
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
