// A field list: one TDBFieldParent per column slot, in position order, all of
// one table. The list owns its fields.
#pragma once

#include <memory>
#include <vector>

#include "kernel/TDBFieldParent.h"

class TDBFields {
public:
    TDBFields() = default;
    TDBFields(const TDBFields& other);  // deep copy
    TDBFields& operator=(const TDBFields& other);

    int Count() const { return static_cast<int>(fields_.size()); }
    // The field at index, or nullptr past the end (or for a negative index).
    TDBFieldParent* GetField(int index) const;
    // Appends (and takes) the field when the list is empty or the field has
    // the first field's TableID; a field of another table is dropped.
    void AddField(std::unique_ptr<TDBFieldParent> field);

private:
    std::vector<std::unique_ptr<TDBFieldParent>> fields_;
};

using TDBFieldsPtr = std::shared_ptr<TDBFields>;
