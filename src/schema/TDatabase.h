// The database object: starts and shuts down the kernel, holds the tables and
// the table definitions. One per process (Database).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "schema/TDBTables.h"
#include "schema/TTableDefs.h"

class TSchemaKernelHooks;

class TDatabase {
public:
    // Creates the process's profiler (when there is none yet), Tables and
    // TableDefs; becomes the process's Database when there is none yet.
    TDatabase();
    // Uninstalls the kernel hooks; the process's database also shuts down and
    // frees the kernel object that StartDatabase created.
    ~TDatabase();
    std::unique_ptr<TDBTables> Tables;
    std::unique_ptr<TTableDefs> TableDefs;

    // Creates the file when missing, else opens it; the kernel's status
    // (TDbKernel::StartError() tells why a start failed when it can). A
    // kernel started before is shut down and replaced first, and this object
    // becomes the process's Database.
    int32_t StartDatabase(const std::string& path);
    // The listing of every table slot and its columns.
    void ReadTableRecords(std::string& text);
    int32_t ShutdownDatabase(const std::string& path);
    // After a table was created or dropped: the kernel forgets the table's
    // cached layout and every in-memory definition and table object is read
    // again, so the change is seen at once.
    void SchemaChanged(uint32_t tableID);

private:
    std::unique_ptr<TSchemaKernelHooks> hooks_;
};

extern TDatabase* Database;
