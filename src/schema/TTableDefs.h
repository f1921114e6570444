// The 101 table definitions, entry i = table slot i after Load.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "schema/TTableDef.h"

class TTableDefs {
public:
    void Load(int32_t mode);
    // The kernel's ID of the name; raises ExcSQLSyntaxError
    // "SPECIFIED TABLE COULD NOT BE FOUND " when unknown.
    uint32_t GetTableID(const std::string& name);
    // A definition saved into the first free slot (not yet in use), or nullptr.
    std::unique_ptr<TTableDef> NewTableDef(const std::string& name);
    int Count() const { return static_cast<int>(items_.size()); }
    TTableDef* Items(int i) const;

private:
    std::vector<std::unique_ptr<TTableDef>> items_;
};
