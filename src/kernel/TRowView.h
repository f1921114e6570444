// One row slot met during a walk of a key's chain, read field by field in
// place: nothing is copied until a field is asked for. Valid while the walk
// that handed it out runs.
#pragma once

#include <cstdint>
#include <string>

#include "kernel/TRowLayout.h"

class TRowView {
public:
    TRowView(const TRowLayout& layout, uint32_t slotOffset) : layout_(layout), slot_(slotOffset) {}

    // The text of the field at that index of the table's field list, as a
    // read of the whole row gives it: integers in decimal, character fields
    // up to their first zero byte, untrimmed; empty for any other field.
    std::string Text(int index) const;
    uint32_t SlotOffset() const { return slot_; }

private:
    const TRowLayout& layout_;
    uint32_t slot_;
};
