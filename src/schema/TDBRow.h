// One row read, written or deleted through the kernel.
#pragma once

#include <cstdint>
#include <string>

#include "kernel/TDBFields.h"

class TDBRow {
public:
    TDBRow();
    // A row already read (State 0) holding that list.
    explicit TDBRow(TDBFieldsPtr fields);
    uint8_t State = 3;  // 3 when created, 0 after a read or write
    int32_t TableID = 0;
    int32_t Unused1 = 0;
    int32_t Unused2 = 0;
    TDBFieldsPtr Fields;

    int32_t ClearFields();
    // Builds the table's 65-field list and reads the row (occurrence 0: the
    // row whose primary key is key; 1, 2, …: the n-th row of a multi key).
    int32_t GetFields(uint32_t tableID, const std::string& key, int32_t occurrence);
    // The list GetFields hands to the kernel: the table's 65 fields from its
    // column definitions, key fields holding key. 999 (fields untouched) when
    // the table has no definition or no table object.
    static int32_t BuildFields(uint32_t tableID, const std::string& key, TDBFields& fields);
    int32_t Write(TDBFieldsPtr fields);   // 999 for an empty list
    int32_t Delete(TDBFieldsPtr fields);  // 0 for an empty list
};
