// A scratch directory removed with its contents, and a bounded wait for an
// event that another process brings about.
#pragma once

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

struct TTempDir {
    TTempDir() {
        std::string tmpl = "/dev/shm/tramb-platform-XXXXXX";
        Path = mkdtemp(tmpl.data()) ? tmpl : std::string();
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    std::string Path;
};

// True as soon as ready() holds; false only when it still fails after a
// minute, which no healthy machine takes.
inline bool WaitFor(const std::function<bool()>& ready) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
