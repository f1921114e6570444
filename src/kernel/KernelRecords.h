// In-memory copies of the table and column records of a table slot, byte for
// byte as they lie in the file (see DbFormat.h).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "kernel/DbFormat.h"

struct TTableRecord {
    char Name[DbFormat::kNameAreaSize] = {};
    uint32_t TableID = 0;
    uint32_t OwnerWord = 0;
    uint32_t InUse = 0;
};

struct TColumnRecord {
    char Name[DbFormat::kNameAreaSize] = {};
    uint32_t Position = 0;
    uint32_t DataType = 0;
    uint32_t Length = 0;
    uint32_t KeyType = 0;
    uint32_t Reserved1 = 0;
    uint32_t Reserved2 = 0;
};

static_assert(sizeof(TTableRecord) == DbFormat::kTableRecordSize);
static_assert(sizeof(TColumnRecord) == DbFormat::kColumnRecordSize);

// One slot's records as the kernel hands them out: fresh copies the caller
// owns; all null when nothing was read (no open database).
struct TSlotRecords {
    std::unique_ptr<TTableRecord> Table;
    std::array<std::unique_ptr<TColumnRecord>, DbFormat::kColumnsPerTable> Columns;
};

// What CreateKernelMappingInMemory and WriteTableRecord take: a table record
// and 65 column records, any of which may be null (null entries are skipped).
struct TSlotRecordsView {
    const TTableRecord* Table = nullptr;
    std::array<const TColumnRecord*, DbFormat::kColumnsPerTable> Columns{};
};
