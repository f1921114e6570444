// Where each field of a table's field list lies inside a row slot. The
// encoding ends at the first field of type 999 (the list's RowID carrier).
// Integer fields take 4 bytes, character fields (and the system tables'
// text and password types) take Length bytes, any other type none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kernel/TDBFields.h"

struct TRowLayout {
    struct Item {
        int Index = 0;        // index in the field list
        uint32_t Offset = 0;  // from the start of the field bytes (slot + 8)
        uint32_t Width = 0;
        int32_t DataType = 0;
    };
    std::vector<Item> Items;      // every field before the RowID carrier
    int RowIDIndex = -1;          // index of the first type-999 field, -1 when none
    uint32_t RowSize = 0;         // the table's RowSize (the slot stride is RowSize + 12)
    uint32_t EncodedSize = 0;     // bytes the items cover (never more than RowSize)
    bool HasUnknownType = false;  // a field of an unexpected type before the carrier

    static TRowLayout Of(const TDBFields& fields, uint32_t rowSize);
    // The text of one field of the slot at slotOffset: integers in decimal,
    // character fields up to the first zero byte (trimmed when asked).
    static std::string ReadText(uint32_t slotOffset, const Item& item, bool trimmed);
    // Whether the field, trimmed and upper-cased, equals wanted (itself
    // trimmed and upper-cased): ReadText's comparison without building text.
    static bool KeyEquals(uint32_t slotOffset, const Item& item, const std::string& wanted);
};
