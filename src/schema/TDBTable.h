// A table that is in use, as the row layer sees it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "schema/TDBRows.h"

class TDBTable {
public:
    TDBTable();
    std::string Name;
    uint32_t TableID = 0;
    int32_t OwnerWord = 0;
    int32_t InUse = 0;
    std::unique_ptr<TDBRows> Rows;
};
