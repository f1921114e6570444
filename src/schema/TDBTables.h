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
    // The same, shared: a holder keeps the table object alive across a reload.
    std::shared_ptr<TDBTable> FindSharedByID(int32_t tableID) const;
    uint32_t GetTableID(const std::string& name);  // 999 when unknown
    // Drops every table object (a new file was opened).
    void Clear() { items_.clear(); }
    // Empties the process-wide definitions behind Load, so that the next Load
    // reads the slots again (a table was created or dropped).
    static void ForgetDefinitions();

private:
    std::vector<std::shared_ptr<TDBTable>> items_;
};
