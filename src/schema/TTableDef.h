// In-memory copy of one table record, with its column definitions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "schema/TColumnDefs.h"

class TTableDef {
public:
    TTableDef();
    std::string Name;
    uint32_t TableID = 0;
    int32_t OwnerWord = 0;
    int32_t InUse = 0;
    std::unique_ptr<TColumnDefs> ColumnDefs;

    int32_t LoadProperties(int32_t mode, uint32_t tableID);
    // 0, 998 (name used by another table), 999 (slot not free) or the kernel's status.
    int32_t Save();
    // Writes the table record back as "UNALLOCATED TABLE", not in use.
    int32_t Delete();
};
