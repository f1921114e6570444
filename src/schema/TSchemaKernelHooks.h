// Answers the kernel's question for a table's columns from the schema layer's
// in-memory definitions, loading them on first use.
#pragma once

#include <cstdint>
#include <vector>

#include "kernel/TKernelSchemaHooks.h"

class TDatabase;

class TSchemaKernelHooks : public TKernelSchemaHooks {
public:
    explicit TSchemaKernelHooks(TDatabase& database) : database_(database) {}
    // Loads the table definitions when none are loaded and the table's column
    // definitions when they are not ("Create empty fields object"), reloads the
    // table objects, and answers the 65 columns; false when the table is not in use.
    bool GetColumnsForFields(uint32_t tableID, std::vector<TKernelColumnInfo>& columns) override;

private:
    TDatabase& database_;
};
