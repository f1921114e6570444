#include "schema/TSchemaKernelHooks.h"

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "schema/TDatabase.h"

bool TSchemaKernelHooks::GetColumnsForFields(uint32_t tableID,
                                             std::vector<TKernelColumnInfo>& columns) {
    columns.clear();
    // A slot the file marks free has no columns: answering at once spares the
    // rebuild of the table objects below, which the integrity check would
    // otherwise run for every unused table ID.
    if (DbKernel && tableID <= DbFormat::kLastSlot && DbKernel->IsAvailableTableID(tableID) != 0)
        return false;
    TTableDefs& defs = *database_.TableDefs;
    if (defs.Count() == 0) defs.Load(0);
    TTableDef* def = nullptr;
    if (tableID != DbFormat::kNoTableID && tableID <= DbFormat::kLastSlot) {
        def = defs.Items(static_cast<int>(tableID));
        if (def && def->ColumnDefs->Count() == 0)
            def->ColumnDefs->Load(tableID, "Create empty fields object");
    }
    database_.Tables->Load();
    if (!def || def->InUse == 0 || !database_.Tables->FindByID(static_cast<int32_t>(tableID)))
        return false;

    const TColumnDefs& defsOfTable = *def->ColumnDefs;
    columns.reserve(static_cast<size_t>(defsOfTable.Count()));
    for (int i = 0; i < defsOfTable.Count(); ++i) {
        const TColumnDef& c = *defsOfTable.Items(i);
        TKernelColumnInfo info;
        info.Name = c.Name;
        info.Position = c.Position;
        info.DataType = c.DataType;
        info.Length = c.Length;
        info.KeyType = c.KeyType;
        columns.push_back(std::move(info));
    }
    return true;
}
