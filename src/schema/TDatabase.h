// The database object: starts and shuts down the kernel, holds the tables and
// the table definitions. One per process (Database).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "schema/TDBTables.h"
#include "schema/TTableDefs.h"

class TDatabase {
public:
    TDatabase();   // creates the process's profiler, Tables and TableDefs
    ~TDatabase();
    std::unique_ptr<TDBTables> Tables;
    std::unique_ptr<TTableDefs> TableDefs;

    // Creates the file when missing, else opens it; the kernel's status.
    int32_t StartDatabase(const std::string& path);
    // The listing of every table slot and its columns.
    void ReadTableRecords(std::string& text);
    int32_t ShutdownDatabase(const std::string& path);
};

extern TDatabase* Database;
