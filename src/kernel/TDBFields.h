// A field list: one TDBFieldParent per column slot, in position order, all of
// one table. The list owns its fields (see ShareFieldsFrom for copies).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kernel/TDBFieldParent.h"

class TDBFields {
public:
    TDBFields() = default;
    TDBFields(const TDBFields& other);  // deep copy
    // A list of the given fields, in order, kept in one block; all of one table.
    explicit TDBFields(std::vector<TDBFieldParent> fields);
    TDBFields& operator=(const TDBFields& other);

    int Count() const { return static_cast<int>(fields_.size()); }
    // The field at index, or nullptr past the end (or for a negative index).
    TDBFieldParent* GetField(int index) const;
    // Appends (and takes) the field when the list is empty or the field has
    // the first field's TableID; a field of another table is dropped.
    void AddField(std::unique_ptr<TDBFieldParent> field);

    // From index on, this list's fields are kept in one block that every
    // later copy of the list shares instead of copying, until one of the
    // shared fields is asked for: then that list takes its own copy of them.
    // Rows read by key are copies of one list whose fields after the RowID
    // carrier are never filled in; sharing them keeps a row small.
    void ShareFieldsFrom(int index);

    // The offset of the row slot a read filled this list from; 0 for a list
    // no read filled. Deleting the list may zero only that slot's RowID.
    uint32_t SlotRead() const { return slotRead_; }
    void SetSlotRead(uint32_t offset) { slotRead_ = offset; }

private:
    // Gives this list its own copy of the shared fields.
    void OwnSharedFields() const;

    // The fields in order. A copy keeps its own fields in one block;
    // fields added one by one are owned singly. No store moves a field once
    // it is in the list, so the pointers that GetField hands out stay valid.
    mutable std::vector<TDBFieldParent*> fields_;
    std::vector<TDBFieldParent> block_;
    std::vector<std::unique_ptr<TDBFieldParent>> added_;
    // Shared fields, standing at fields_[sharedFrom_ ..]; never handed out.
    mutable std::shared_ptr<const std::vector<TDBFieldParent>> shared_;
    mutable int sharedFrom_ = 0;
    mutable std::vector<TDBFieldParent> ownedShared_;
    uint32_t slotRead_ = 0;
};

using TDBFieldsPtr = std::shared_ptr<TDBFields>;
