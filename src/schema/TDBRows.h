// Creates row objects on demand; those that succeeded are kept in one list
// shared by every TDBRows of the process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kernel/TDBFields.h"
#include "schema/TDBRow.h"

class TDBRows {
public:
    TDBRows();  // replaces the shared list by a new empty one
    static void Reset();
    std::shared_ptr<TDBRow> GetRow(uint32_t tableID, const std::string& key, int32_t occurrence);
    int32_t AddRow(TDBFieldsPtr fields);     // the kernel's write status
    int32_t DeleteRow(TDBFieldsPtr fields);  // the kernel's delete status
    static size_t SharedCount();
};
