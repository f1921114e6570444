// The one access path to rows above the row layer: selects the rows of one
// table by one key value, walks them, appends, posts, deletes; hands out
// numbers of the per-table sequences in SEQUENCES.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kernel/TDBFields.h"

class TDBRow;
class TRowView;
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

    int32_t Eof = 0;  // 0 while a current row exists, -1 past the last
    std::vector<TDBFieldsPtr> Rows;
    std::string TableName;
    TDBTable* Table = nullptr;
    std::shared_ptr<TDBRow> CurrentRow;
    int32_t Index = -1;
    TTableDef* TableDef = nullptr;
    TDBFieldsPtr CurrentFields;

    // kOK (rows selected, or no key: keys empty or different), kNoRow,
    // kNotAllocated, kUnknownTable, kNoTableName. Eof is left as it was.
    int32_t Open(const std::string& tableName, const std::string& keyFrom,
                 const std::string& keyTo);
    // The rows Open would select for one key, handed to visit one at a time
    // as the kernel meets them and kept by nobody: kOK when a row was
    // visited, else Open's status. Rows and CurrentFields are left empty.
    int32_t VisitKey(const std::string& tableName, const std::string& key,
                     const std::function<void(const TRowView&)>& visit);
    void Next();
    // kOK with a fresh field list of the last opened table in CurrentFields;
    // kNoRow when no table was opened, kUnknownTable, kNotAllocated.
    int32_t AppendRow();
    // The kernel's write status: 0, or 999 also for a row that starts a new
    // bucket chain (stored all the same); 999 without writing when the list
    // has no key value.
    int32_t Post();
    // The kernel's delete status; 999 when there is no current row with a key.
    int32_t DeleteCurrent();
    int32_t Update();  // DeleteCurrent, then Post's status
    // The next number of the table's sequence (0 first). Raises
    // ExcVersionRestriction when tableName is not the opened table.
    int32_t GetSequencedNumber(const std::string& tableName);

private:
    // Keeps Table alive while the table objects are rebuilt (the kernel's
    // request for an empty field list reloads them).
    std::shared_ptr<TDBTable> tableHold_;
    void HoldTable(uint32_t tableID);
    // Open's steps up to the read: the table and its empty field list. kOK
    // with tableID set, or Open's status.
    int32_t OpenTable(const std::string& tableName, uint32_t& tableID);
};
