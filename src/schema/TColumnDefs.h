// The 65 column definitions of one table slot.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "schema/TColumnDef.h"

class TColumnDefs {
public:
    // Frees all entries, then loads column records 0..64 of the slot (free
    // slots included), timed by the profiler as "ColumnDefsLoad: " + label.
    void Load(uint32_t tableID, const std::string& label);
    int Count() const { return static_cast<int>(items_.size()); }
    TColumnDef* Items(int i) const;
    void Add(std::unique_ptr<TColumnDef> def) { items_.push_back(std::move(def)); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TColumnDef>> items_;
};
