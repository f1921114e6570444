// The tables in use, built from the table definitions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "schema/TDBTable.h"

class TTableDefs;

class TDBTables {
public:
    TDBTables();
    ~TDBTables();
    void Load();
    int Count() const { return static_cast<int>(items_.size()); }
    TDBTable* Items(int i) const;
    TDBTable* FindByID(int32_t tableID) const;  // nullptr when none; negative never matches
    uint32_t GetTableID(const std::string& name);  // 999 when unknown

private:
    std::vector<std::unique_ptr<TDBTable>> items_;
};
