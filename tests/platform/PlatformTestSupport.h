// Test helpers on the platform: scratch directories on /dev/shm and whole
// files read and written.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

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
