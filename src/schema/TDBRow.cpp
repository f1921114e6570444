#include "schema/TDBRow.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "schema/TDatabase.h"

namespace {
constexpr int32_t kFail = 999;

// A decimal 32-bit integer, optionally signed, nothing else around it.
bool IsInt32Text(const std::string& text) {
    if (text.empty()) return false;
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size()) return false;
    for (size_t j = i; j < text.size(); ++j)
        if (text[j] < '0' || text[j] > '9') return false;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    return errno == 0 && v >= INT32_MIN && v <= INT32_MAX;
}
}  // namespace

TDBRow::TDBRow() : Fields(std::make_shared<TDBFields>()) {}

int32_t TDBRow::ClearFields() {
    Fields = std::make_shared<TDBFields>();
    return 0;
}

int32_t TDBRow::GetFields(uint32_t tableID, const std::string& key, int32_t occurrence) {
    ClearFields();
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
        Fields->AddField(std::move(field));
    }
    State = 0;
    return DbKernel->ReadDataRow(tableID, *Fields, occurrence, key);
}

int32_t TDBRow::Write(TDBFieldsPtr fields) {
    if (!fields || fields->Count() == 0 || !DbKernel) return kFail;
    // The kernel writes field by field; a number it cannot convert would stop
    // it halfway through the row, so every integer value is checked first.
    for (int i = 0; i < fields->Count(); ++i) {
        const TDBFieldParent& f = *fields->GetField(i);
        if (f.DataType == static_cast<int32_t>(DbFormat::kTypeFree)) break;
        if (f.DataType == static_cast<int32_t>(DbFormat::kTypeInteger) && !f.Value.empty() &&
            !IsInt32Text(f.Value))
            throw std::invalid_argument("'" + f.Value + "' is not a valid integer value");
    }
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
