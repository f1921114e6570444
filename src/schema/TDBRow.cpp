#include "schema/TDBRow.h"

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "schema/TDatabase.h"

namespace {
constexpr int32_t kFail = 999;

}  // namespace

TDBRow::TDBRow() : Fields(std::make_shared<TDBFields>()) {}

TDBRow::TDBRow(TDBFieldsPtr fields) : State(0), Fields(std::move(fields)) {}

int32_t TDBRow::ClearFields() {
    Fields = std::make_shared<TDBFields>();
    return 0;
}

int32_t TDBRow::GetFields(uint32_t tableID, const std::string& key, int32_t occurrence) {
    ClearFields();
    if (BuildFields(tableID, key, *Fields) != 0) return kFail;
    State = 0;
    return DbKernel->ReadDataRow(tableID, *Fields, occurrence, key);
}

int32_t TDBRow::BuildFields(uint32_t tableID, const std::string& key, TDBFields& fields) {
    if (!Database || !DbKernel) return kFail;
    TTableDefs& defs = *Database->TableDefs;
    if (defs.Count() == 0) defs.Load(0);
    TTableDef* def = tableID <= DbFormat::kLastSlot ? defs.Items(static_cast<int>(tableID)) : nullptr;
    if (!def) return kFail;
    if (def->ColumnDefs->Count() == 0) def->ColumnDefs->Load(tableID, "GetFields");
    if (Database->Tables->Count() == 0) Database->Tables->Load();
    // No table object, no field list: the kernel is not asked about a table
    // that is not in use.
    if (!Database->Tables->FindByID(static_cast<int32_t>(tableID))) return kFail;

    const TColumnDefs& columns = *def->ColumnDefs;
    for (int i = 0; i < columns.Count(); ++i) {
        const TColumnDef& c = *columns.Items(i);
        auto field = std::make_unique<TDBFieldParent>();
        field->DataType = c.DataType;
        field->Length = c.Length;
        field->Position = c.Position;
        field->Name = c.Name;
        field->KeyType = c.KeyType;
        field->TableID = static_cast<int32_t>(tableID);
        const bool isKey = c.KeyType == static_cast<int32_t>(DbFormat::kKeyPrimary) ||
                           c.KeyType == static_cast<int32_t>(DbFormat::kKeyMulti);
        if (isKey) field->Value = key;
        field->IsPrimary = c.KeyType == static_cast<int32_t>(DbFormat::kKeyPrimary) ? -1 : 0;
        fields.AddField(std::move(field));
    }
    return 0;
}

int32_t TDBRow::Write(TDBFieldsPtr fields) {
    if (!fields || fields->Count() == 0 || !DbKernel) return kFail;
    TableID = fields->GetField(0)->TableID;
    Fields = std::move(fields);
    State = 0;
    int32_t found = 0;
    return DbKernel->WriteDataRow(static_cast<uint32_t>(TableID), found, *Fields, State);
}

int32_t TDBRow::Delete(TDBFieldsPtr fields) {
    if (!fields || fields->Count() == 0) return 0;
    if (!DbKernel) return kFail;
    TableID = fields->GetField(0)->TableID;
    Fields = std::move(fields);
    return DbKernel->MarkDataRowDeleted(*Fields);
}
