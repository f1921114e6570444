// The one access path to rows above the row layer: selects the rows of one
// table by one key value, walks them, appends, posts, deletes; hands out
// numbers of the per-table sequences in SEQUENCES.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kernel/TDBFields.h"

class TDBRow;
class TDBTable;
class TTableDef;

class TDBResultSet {
public:
    static constexpr int32_t kOK = 0;
    static constexpr int32_t kNoRow = 1000;
    static constexpr int32_t kNotAllocated = 1002;
    static constexpr int32_t kUnknownTable = 1003;
    static constexpr int32_t kNoTableName = 1004;

    TDBResultSet();
    ~TDBResultSet();

    int32_t Eof = 0;  // the design's EOF flag: 0 while a current row exists, -1 past the last
    std::vector<TDBFieldsPtr> Rows;
    std::string TableName;
    TDBTable* Table = nullptr;
    std::shared_ptr<TDBRow> CurrentRow;
    int32_t Index = -1;
    TTableDef* TableDef = nullptr;
    TDBFieldsPtr CurrentFields;

    int32_t Open(const std::string& tableName, const std::string& keyFrom, const std::string& keyTo);
    void Next();
    int32_t AppendRow();
    int32_t Post();
    int32_t DeleteCurrent();
    int32_t Update();
    int32_t GetSequencedNumber(const std::string& tableName);

private:
    // Keeps Table alive while the table objects are rebuilt (the kernel's
    // request for an empty field list reloads them).
    std::shared_ptr<TDBTable> tableHold_;
    void HoldTable(uint32_t tableID);
};
