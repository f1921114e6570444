// In-memory copy of one column record of a table slot.
#pragma once

#include <cstdint>
#include <string>

struct TColumnRecord;

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
    // Index of the column record this definition was loaded from, -1 when it
    // was built in memory. Free records of a new file carry Position = index + 1,
    // so a loaded definition is written back into the record it came from, not
    // into the one its Position names.
    int32_t Slot = -1;

    // Fills the fields from column record `position` of slot `tableID`.
    int32_t LoadProperties(uint32_t tableID, int32_t position);
    // Writes this one column record into its slot; 999 when TableName is unknown.
    int32_t Save();
    // Blanks the column slot (name empty, codes 999) and saves; answers the
    // status of that save, so a blanking that wrote nothing is not taken for done.
    int32_t Delete();
    // Copies the fields from a column record read from slot index `slot`.
    void AssignFrom(const TColumnRecord& record, int32_t slot);
};
