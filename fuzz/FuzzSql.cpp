// Input: up to four SQL statement texts separated by NUL bytes, carried out
// in order on a fresh log database. Then every table in use gets a row
// written, read back by key and deleted, and the database is checked: a
// statement must never leave a definition the kernel cannot store rows of.
#include <string>
#include <vector>

#include "FuzzGuard.h"
#include "FuzzTargets.h"
#include "TFuzzWorkspace.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "schema/TDatabase.h"
#include "schema/TSQLStatements.h"

using namespace DbFormat;

namespace {
void WriteReadDelete(uint32_t tableID) {
    TDBFieldsPtr fields = DbKernel->CreateEmptyFieldsObject(tableID, 1);
    if (!fields)
        return;
    std::string key;
    for (int i = 0; i < fields->Count(); ++i) {
        TDBFieldParent* f = fields->GetField(i);
        const auto type = static_cast<uint32_t>(f->DataType);
        if (type == kTypeFree)
            break;
        f->Value = type == kTypeInteger ? "42" : "k1abc";
        if (key.empty() && (f->KeyType == static_cast<int32_t>(kKeyPrimary) ||
                            f->KeyType == static_cast<int32_t>(kKeyMulti)))
            key = f->Value;
    }
    int32_t found = 0;
    FuzzGuard([&] { DbKernel->WriteDataRow(tableID, found, *fields, 0); });
    TDBFieldsPtr back = DbKernel->CreateEmptyFieldsObject(tableID, 1);
    if (!back)
        return;
    for (int i = 0; i < back->Count() && i < fields->Count(); ++i)
        back->GetField(i)->Value = fields->GetField(i)->Value;
    if (FuzzGuard([&] { DbKernel->ReadDataRow(tableID, *back, 1, key); }))
        FuzzGuard([&] { DbKernel->MarkDataRowDeleted(*back); });
}
}  // namespace

int FuzzSql(const uint8_t* data, size_t size) {
    TFuzzWorkspace& ws = TFuzzWorkspace::Get();
    const std::string& path = ws.LogTemplate();
    if (!ws.Open(path)) {
        ws.Close();
        return 0;
    }
    std::vector<std::string> statements(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            if (statements.size() == 4)
                break;
            statements.emplace_back();
        } else {
            statements.back().push_back(static_cast<char>(data[i]));
        }
    }
    for (const std::string& text : statements) {
        FuzzGuard([&] {
            auto statement = TSQLStatements::NewStatement(text);
            statement->Execute();
        });
    }
    FuzzGuard([&] { Database->Tables->Load(); });
    for (uint32_t t = kFirstUserTableID; t <= kLastAllocatableTableID; ++t)
        if (DbKernel->IsAvailableTableID(t) == 0)
            WriteReadDelete(t);
    std::string report;
    FuzzGuard([&] { DbKernel->CheckDatabase(report, 0); });
    ws.Close();
    return 0;
}

#ifdef TRAMB_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzSql(data, size);
}
#endif
