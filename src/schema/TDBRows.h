// Creates row objects on demand; those that succeeded are kept in one list
// shared by every TDBRows of the process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kernel/TDBFields.h"
#include "schema/TDBRow.h"

class TDBRows {
public:
    TDBRows();  // replaces the shared list by a new empty one
    static void Reset();
    std::shared_ptr<TDBRow> GetRow(uint32_t tableID, const std::string& key, int32_t occurrence);
    // The rows GetRow gives for occurrence 1, 2, 3, … until the first nil,
    // read in one walk of the key's chain; appended to out and to the shared
    // list in that order (also those read before a corrupt-chain exception).
    void GetAllRows(uint32_t tableID, const std::string& key,
                    std::vector<std::shared_ptr<TDBRow>>& out);
    int32_t AddRow(TDBFieldsPtr fields);     // the kernel's write status
    int32_t DeleteRow(TDBFieldsPtr fields);  // the kernel's delete status
    static size_t SharedCount();
};
