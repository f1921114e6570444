#include "schema/TTableDef.h"

#include <cstring>

#include "kernel/DbFormat.h"
#include "kernel/KernelRecords.h"
#include "kernel/TDbKernel.h"

namespace {
constexpr int32_t kFail = 999;
constexpr int32_t kNameUsedElsewhere = 998;

bool IsSlot(uint32_t tableID) {
    return tableID <= DbFormat::kLastSlot;
}
}  // namespace

TTableDef::TTableDef() : ColumnDefs(std::make_unique<TColumnDefs>()) {}

int32_t TTableDef::LoadProperties(int32_t mode, uint32_t tableID) {
    if (!DbKernel || !IsSlot(tableID))
        return kFail;
    TSlotRecords records;
    // The table record is all a definition holds: its columns are not copied.
    const int32_t status = DbKernel->ReadTableRecord(mode, tableID, records, false);
    if (status == 0 && records.Table) {
        const TTableRecord& table = *records.Table;
        Name.assign(table.Name, strnlen(table.Name, DbFormat::kNameAreaSize));
        TableID = table.TableID;
        OwnerWord = static_cast<int32_t>(table.OwnerWord);
        InUse = static_cast<int32_t>(table.InUse);
    }
    return status;
}

int32_t TTableDef::Save() {
    if (!DbKernel)
        return kFail;
    // Only a free slot is written (999 covers "no free slot" from the kernel).
    if (!IsSlot(TableID) || DbKernel->IsAvailableTableID(TableID) == 0)
        return kFail;
    if (Name.size() >= DbFormat::kNameAreaSize)
        return kFail;

    TTableRecord record;
    DbKernel->ConvToSpecialChars(Name, DbFormat::kNameSignificantChars, record.Name,
                                 DbFormat::kNameAreaSize, 1);
    record.TableID = TableID;
    record.OwnerWord = 0;
    record.InUse = static_cast<uint32_t>(InUse);

    if (DbKernel->IsDuplicateTableName(Name) != 0 && DbKernel->GetTableIDFromName(Name) != TableID)
        return kNameUsedElsewhere;

    TSlotRecordsView view;
    view.Table = &record;
    return DbKernel->WriteTableRecord(1, TableID, 1, static_cast<int32_t>(DbFormat::kTypeFree),
                                      view);
}

int32_t TTableDef::Delete() {
    if (!DbKernel || !IsSlot(TableID))
        return kFail;
    TTableRecord record;
    DbKernel->ConvToSpecialChars(DbFormat::kFreeTableName, DbFormat::kNameSignificantChars,
                                 record.Name, DbFormat::kNameAreaSize, 1);
    record.TableID = TableID;
    record.OwnerWord = 0;
    record.InUse = 0;
    TSlotRecordsView view;
    view.Table = &record;
    return DbKernel->WriteTableRecord(1, TableID, 1, static_cast<int32_t>(DbFormat::kTypeFree),
                                      view);
}
