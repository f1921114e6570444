// How the kernel learns a table's columns when it builds an empty field list.
// The schema layer installs an implementation (it keeps the definitions in
// memory); without one the kernel reads the column records from the file.
// The kernel may not include the layers above it, hence the inversion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TKernelColumnInfo {
    std::string Name;
    int32_t Position = 0;
    int32_t DataType = 0;
    int32_t Length = 0;
    int32_t KeyType = 0;
};

class TKernelSchemaHooks {
public:
    virtual ~TKernelSchemaHooks();
    // The 65 column definitions of the table, in position order, free slots
    // included; false when no table of that ID is in use.
    virtual bool GetColumnsForFields(uint32_t tableID, std::vector<TKernelColumnInfo>& columns) = 0;
};

void SetKernelSchemaHooks(TKernelSchemaHooks* hooks);
TKernelSchemaHooks* KernelSchemaHooks();
