// In-memory copy of one column record of a table slot.
#pragma once

#include <cstdint>
#include <string>

class TColumnDef {
public:
    std::string Name;
    int32_t Position = 0;
    int32_t DataType = 0;
    int32_t Length = 0;
    int32_t KeyType = 0;
    int32_t Reserved1 = 0;
    int32_t Reserved2 = 0;
    std::string TableName;  // used only to find the table ID when saving
    int32_t Spare = 0;      // not persisted

    // Fills the fields from column record `position` of slot `tableID`.
    int32_t LoadProperties(uint32_t tableID, int32_t position);
    // Writes this one column record into its slot; 999 when TableName is unknown.
    int32_t Save();
    // Blanks the column slot (name empty, codes 999) and saves; answers 0.
    int32_t Delete();
};
