// One field of a row as it travels between the kernel and the layers above:
// the column's properties and the row's value, always as text (integers in
// decimal).
#pragma once

#include <cstdint>
#include <string>

class TDBFieldParent {
public:
    int32_t Reserved0 = 0;
    int32_t Position = 0;
    std::string Name;
    int32_t Length = 0;
    int32_t IsPrimary = 0;  // -1 when KeyType is the primary key
    int32_t KeyType = 0;
    int32_t Reserved1 = 0;
    int32_t DataType = 0;
    int32_t TableID = 0;
    std::string Value;
};
