#include "schema/TColumnDef.h"

#include <cstring>

#include "kernel/DbFormat.h"
#include "kernel/KernelRecords.h"
#include "kernel/TDbKernel.h"

namespace {
constexpr int32_t kFail = 999;

bool IsColumnIndex(int32_t index) {
    return index >= 0 && index < static_cast<int32_t>(DbFormat::kColumnsPerTable);
}
}  // namespace

void TColumnDef::AssignFrom(const TColumnRecord& record, int32_t slot) {
    Name.assign(record.Name, strnlen(record.Name, DbFormat::kNameAreaSize));
    Position = static_cast<int32_t>(record.Position);
    DataType = static_cast<int32_t>(record.DataType);
    Length = static_cast<int32_t>(record.Length);
    KeyType = static_cast<int32_t>(record.KeyType);
    Reserved1 = static_cast<int32_t>(record.Reserved1);
    Reserved2 = static_cast<int32_t>(record.Reserved2);
    Slot = slot;
}

int32_t TColumnDef::LoadProperties(uint32_t tableID, int32_t position) {
    if (!DbKernel || !IsColumnIndex(position)) return kFail;
    TSlotRecords records;
    const int32_t status = DbKernel->ReadTableRecord(0, tableID, records);
    const auto& column = records.Columns[static_cast<size_t>(position)];
    if (status == 0 && column) AssignFrom(*column, position);
    return status;
}

int32_t TColumnDef::Save() {
    if (!DbKernel) return kFail;
    // The record written: the one the definition was loaded from, else the one
    // its Position names. A name that does not fit the name area is refused
    // rather than cut.
    const int32_t index = Slot >= 0 ? Slot : Position;
    if (!IsColumnIndex(index) || Name.size() >= DbFormat::kNameAreaSize) return kFail;

    const uint32_t tableID = DbKernel->GetTableIDFromName(TableName);
    if (tableID == DbFormat::kNoTableID) return kFail;

    TSlotRecords records;
    const int32_t status = DbKernel->GetDBArchitectureRecord(tableID, records);
    TColumnRecord* column = records.Columns[static_cast<size_t>(index)].get();
    if (status != 0) return status;
    if (!column) return kFail;  // nothing was read: no open database

    DbKernel->ConvToSpecialChars(Name, DbFormat::kNameSignificantChars, column->Name,
                                 DbFormat::kNameAreaSize, 1);
    column->Position = static_cast<uint32_t>(Position);
    column->DataType = static_cast<uint32_t>(DataType);
    column->Length = static_cast<uint32_t>(Length);
    column->KeyType = static_cast<uint32_t>(KeyType);
    column->Reserved1 = static_cast<uint32_t>(Reserved1);
    column->Reserved2 = static_cast<uint32_t>(Reserved2);

    // Mode 0 with a column index writes that one column record only.
    TSlotRecordsView view;
    view.Columns[static_cast<size_t>(index)] = column;
    return DbKernel->WriteTableRecord(0, tableID, 0, index, view);
}

int32_t TColumnDef::Delete() {
    Name.clear();
    DataType = static_cast<int32_t>(DbFormat::kTypeFree);
    Length = static_cast<int32_t>(DbFormat::kTypeFree);
    KeyType = static_cast<int32_t>(DbFormat::kTypeFree);
    Reserved1 = static_cast<int32_t>(DbFormat::kTypeFree);
    Reserved2 = static_cast<int32_t>(DbFormat::kTypeFree);
    Spare = static_cast<int32_t>(DbFormat::kTypeFree);
    return Save();
}
