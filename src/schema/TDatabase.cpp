#include "schema/TDatabase.h"

#include <cstring>
#include <filesystem>

#include "kernel/DbFormat.h"
#include "kernel/KernelRecords.h"
#include "kernel/TDbKernel.h"
#include "kernel/TProfiler.h"
#include "platform/TDialogs.h"
#include "schema/TSchemaKernelHooks.h"

TDatabase* Database = nullptr;

namespace {
constexpr int32_t kFail = 999;

// The kernel object StartDatabase created, and which database started it. A
// plain pointer: a kernel still running at exit is not torn down during
// static destruction, when the state it would touch may be gone already.
TDbKernel* g_startedKernel = nullptr;
const TDatabase* g_kernelStarter = nullptr;

// Closes the open file and frees the kernel object StartDatabase created
// (the helper object goes with it, so this precedes creating the next one).
void ReleaseStartedKernel() {
    if (!g_startedKernel) return;
    if (TDbKernel::Base()) g_startedKernel->CloseDB();
    if (DbKernel == g_startedKernel) DbKernel = nullptr;
    delete g_startedKernel;
    g_startedKernel = nullptr;
    g_kernelStarter = nullptr;
}
}  // namespace

TDatabase::TDatabase()
    : Tables(std::make_unique<TDBTables>()),
      TableDefs(std::make_unique<TTableDefs>()),
      hooks_(std::make_unique<TSchemaKernelHooks>(*this)) {
    // One profiler per process; it lives until the process ends.
    if (!Profiler) Profiler = new TProfiler();
    if (!Database) Database = this;
}

TDatabase::~TDatabase() {
    if (KernelSchemaHooks() == hooks_.get()) SetKernelSchemaHooks(nullptr);
    if (g_kernelStarter == this) ReleaseStartedKernel();
    if (Database == this) Database = nullptr;
}

int32_t TDatabase::StartDatabase(const std::string& path) {
    // A kernel started before is shut down first: the open database is
    // process-wide and a second one cannot be mapped over it.
    if (DbKernel && TDbKernel::Base()) DbKernel->CloseDB();
    ReleaseStartedKernel();
    g_startedKernel = new TDbKernel();
    DbKernel = g_startedKernel;
    g_kernelStarter = this;
    // The started database is the process's database: the row layer and the
    // kernel's hooks must read the same definitions.
    Database = this;
    SetKernelSchemaHooks(hooks_.get());

    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    const int32_t status = exists ? DbKernel->StartExistingDB(path) : DbKernel->CreateInitialDB(path);

    // Nothing read from an earlier file may survive.
    Tables->Clear();
    TDBTables::ForgetDefinitions();
    TableDefs->Load(0);
    return status;
}

void TDatabase::ReadTableRecords(std::string& text) {
    text.clear();
    text += "System tables ...\r\n";
    int32_t status = kFail;
    for (uint32_t id = 0; id < DbFormat::kTableSlotCount && DbKernel; ++id) {
        TSlotRecords records;
        status = DbKernel->ReadTableRecord(0, id, records);
        if (!records.Table || !records.Columns[0]) continue;
        const TTableRecord& table = *records.Table;
        text += "Table ID: " + std::to_string(id) + "\r\n";
        text += "Table: " + std::string(table.Name, strnlen(table.Name, DbFormat::kNameAreaSize)) +
                "\r\n";
        if (table.InUse == 0) continue;
        for (const auto& column : records.Columns) {
            if (!column || column->DataType == DbFormat::kTypeFree) continue;
            text += "     Column: " +
                    std::string(column->Name, strnlen(column->Name, DbFormat::kNameAreaSize)) +
                    " Type:" + std::to_string(column->DataType) +
                    " Len:" + std::to_string(column->Length) +
                    " PriKey:" + std::to_string(column->KeyType) + "\r\n";
        }
    }
    if (status != 0) Dialogs().ShowMessage("Drat");
}

int32_t TDatabase::ShutdownDatabase(const std::string& /*path*/) {
    return DbKernel ? DbKernel->CloseDB() : kFail;
}

void TDatabase::SchemaChanged(uint32_t tableID) {
    if (DbKernel) DbKernel->ForgetTable(tableID);
    TableDefs->Load(0);
    TDBTables::ForgetDefinitions();
    Tables->Load();
}
