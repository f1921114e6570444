// Files of the hardening and fuzz tests: a scratch directory ($TMPDIR, else
// /dev/shm: every field write is a synchronous flush), whole files read into
// memory, and a log database made from the log's schema script.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "records/TSchemaScript.h"
#include "schema/TDatabase.h"

namespace HardeningFiles {

inline std::string MakeTempDir(const char* tag) {
    const char* base = std::getenv("TMPDIR");
    base = base ? base : std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string dir = std::string(base) + "/tramb-" + tag + "-XXXXXX";
    return ::mkdtemp(dir.data()) ? dir : std::string();
}

inline std::string ReadFile(const std::string& name) {
    std::ostringstream out;  // one bulk copy: the files are 45 MB
    out << std::ifstream(name, std::ios::binary).rdbuf();
    return out.str();
}

// Creates a log database at path, runs fill on it with the database open and
// closes it. False when any step fails.
inline bool MakeLogDatabase(const std::string& path, const std::function<void()>& fill) {
    TDatabase db;
    int done = 0;
    int failed = -1;
    std::string error;
    if (db.StartDatabase(path) != 0 ||
        TSchemaScript::Run(ReadFile(TRAMB_SOURCE_DIR "/data/schema.sql"), done, failed, error))
        return false;
    db.Tables->Load();
    if (fill)
        fill();
    return db.ShutdownDatabase(path) == 0;
}

}  // namespace HardeningFiles
