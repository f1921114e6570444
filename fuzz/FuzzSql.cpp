// Input: up to four SQL statement texts separated by NUL bytes, carried out
// in order on a log database. Then every table in use gets a row written,
// read back by key and deleted, and the database is checked: a statement
// must never leave a definition the kernel cannot store rows of.
#include "FuzzGuard.h"
#include "FuzzTargets.h"
#include "TFuzzWorkspace.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "schema/TSQLStatements.h"

using namespace DbFormat;

namespace {
void WriteReadDelete(uint32_t tableID) {
    TDBFieldsPtr fields = DbKernel->CreateEmptyFieldsObject(tableID, 1);
    TDBFieldsPtr back = DbKernel->CreateEmptyFieldsObject(tableID, 1);
    if (!fields || !back)
        return;
    std::string key;
    const auto type = [&](int i) { return static_cast<uint32_t>(fields->GetField(i)->DataType); };
    for (int i = 0; i < fields->Count() && type(i) != kTypeFree; ++i) {
        TDBFieldParent* f = fields->GetField(i);
        f->Value = type(i) == kTypeInteger ? "42" : "k1abc";
        if (key.empty() && (f->KeyType == static_cast<int32_t>(kKeyPrimary) ||
                            f->KeyType == static_cast<int32_t>(kKeyMulti)))
            key = f->Value;
    }
    int32_t found = 0;
    FuzzGuard([&] { DbKernel->WriteDataRow(tableID, found, *fields, 0); });
    for (int i = 0; i < back->Count() && i < fields->Count(); ++i)
        back->GetField(i)->Value = fields->GetField(i)->Value;
    if (FuzzGuard([&] { DbKernel->ReadDataRow(tableID, *back, 1, key); }))
        FuzzGuard([&] { DbKernel->MarkDataRowDeleted(*back); });
}
}  // namespace

int FuzzSql(const uint8_t* data, size_t size) {
    TFuzzWorkspace& ws = TFuzzWorkspace::Get();
    if (!ws.Open())
        return 0;
    std::vector<std::string> statements(1);
    for (size_t i = 0; i < size && (data[i] != 0 || statements.size() < 4); ++i)
        if (data[i] == 0)
            statements.emplace_back();
        else
            statements.back().push_back(static_cast<char>(data[i]));
    for (const std::string& text : statements)
        FuzzGuard([&] { TSQLStatements::NewStatement(text)->Execute(); });
    FuzzGuard([&] { Database->Tables->Load(); });
    for (uint32_t t = kFirstUserTableID; t <= kLastAllocatableTableID; ++t)
        if (DbKernel->IsAvailableTableID(t) == 0)
            WriteReadDelete(t);
    std::string report;
    FuzzGuard([&] { DbKernel->CheckDatabase(report, 0); });
    ws.Close();
    return 0;
}
