// Files of the hardening tests: a scratch directory on /dev/shm, copies of
// whole database files, and a log database made from the log's schema script.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "kernel/TDbKernel.h"
#include "records/TSchemaScript.h"
#include "schema/TDatabase.h"

namespace HardeningFiles {

inline std::string MakeTempDir(const char* tag) {
    std::string base = "/dev/shm";
    if (!std::filesystem::is_directory(base)) {
        const char* t = std::getenv("TMPDIR");
        base = t ? t : "/tmp";
    }
    std::string tmpl = base + "/tramb-" + tag + "-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    const char* made = ::mkdtemp(buf.data());
    return made ? std::string(made) : std::string();
}

inline std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void CopyFile(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

// Creates a log database at path (schema script of data/), runs fill on it
// with the database open, and closes it. False when any step fails.
inline bool MakeLogDatabase(const std::string& path, const std::function<void()>& fill) {
    TDatabase db;
    if (db.StartDatabase(path) != 0)
        return false;
    int done = 0;
    int failed = -1;
    std::string error;
    const std::string script = ReadFile(std::string(TRAMB_SOURCE_DIR) + "/data/schema.sql");
    if (TSchemaScript::Run(script, done, failed, error) != 0)
        return false;
    db.Tables->Load();
    if (fill)
        fill();
    return db.ShutdownDatabase(path) == 0;
}

}  // namespace HardeningFiles
