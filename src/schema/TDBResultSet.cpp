#include "schema/TDBResultSet.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "schema/TDBRow.h"
#include "schema/TDBRows.h"
#include "schema/TDBTable.h"
#include "schema/TDatabase.h"
#include "schema/TTableDef.h"

namespace {
constexpr int32_t kFail = 999;
constexpr const char* kSequencesTable = "SEQUENCES";
constexpr int kSeqTablePos = 0;
constexpr int kSeqLastPos = 1;

bool IsKeyType(int32_t keyType) {
    return keyType == static_cast<int32_t>(DbFormat::kKeyPrimary) ||
           keyType == static_cast<int32_t>(DbFormat::kKeyMulti);
}

// The key field: the first of key type primary or multi; nullptr when none.
TDBFieldParent* KeyField(const TDBFields& fields) {
    for (int i = 0; i < fields.Count(); ++i)
        if (IsKeyType(fields.GetField(i)->KeyType))
            return fields.GetField(i);
    return nullptr;
}

bool HasMultiKey(const TDBFields& fields) {
    for (int i = 0; i < fields.Count(); ++i)
        if (fields.GetField(i)->KeyType == static_cast<int32_t>(DbFormat::kKeyMulti))
            return true;
    return false;
}

// Strict decimal conversion of a stored sequence number.
int32_t ToInt32(const std::string& text) {
    size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    bool digits = i < text.size();
    for (size_t j = i; j < text.size(); ++j)
        if (text[j] < '0' || text[j] > '9')
            digits = false;
    errno = 0;
    const long long v = digits ? std::strtoll(text.c_str(), nullptr, 10) : 0;
    if (!digits || errno != 0 || v < INT32_MIN || v > INT32_MAX)
        throw std::invalid_argument("'" + text + "' is not a valid integer value");
    return static_cast<int32_t>(v);
}
}  // namespace

TDBResultSet::TDBResultSet() = default;
TDBResultSet::~TDBResultSet() = default;

void TDBResultSet::HoldTable(uint32_t tableID) {
    tableHold_ =
        Database ? Database->Tables->FindSharedByID(static_cast<int32_t>(tableID)) : nullptr;
    Table = tableHold_.get();
}

int32_t TDBResultSet::Open(const std::string& tableName, const std::string& keyFrom,
                           const std::string& keyTo) {
    Table = nullptr;
    tableHold_.reset();
    CurrentRow.reset();
    Rows.clear();
    uint32_t tableID = 0;
    if (const int32_t status = OpenTable(tableName, tableID); status != kOK)
        return status;
    // One key value or none: a range (two different keys) selects nothing.
    const bool hasKey = keyFrom == keyTo && !keyFrom.empty();
    const std::string& key = keyFrom;
    if (!hasKey)
        return kOK;
    // The process-wide row list holds the rows of the last read only: it
    // never grows with every row a session reads.
    TDBRows::Reset();

    if (HasMultiKey(*CurrentFields)) {
        // All rows of the key in one walk of its chain: the rows, their
        // order and the shared row list are those of reading occurrence
        // 1, 2, 3, … until the first miss.
        std::vector<std::shared_ptr<TDBRow>> rows;
        auto take = [&] {
            for (const std::shared_ptr<TDBRow>& row : rows) Rows.push_back(row->Fields);
            if (!rows.empty())
                CurrentRow = rows.back();
        };
        try {
            Table->Rows->GetAllRows(tableID, key, rows);
        } catch (...) {
            take();
            throw;
        }
        take();
    } else if (std::shared_ptr<TDBRow> row = Table->Rows->GetRow(tableID, key, 0)) {
        Rows.push_back(row->Fields);
        CurrentRow = std::move(row);
    }
    if (Rows.empty())
        return kNoRow;
    Index = 0;
    CurrentFields = Rows.front();
    return kOK;
}

int32_t TDBResultSet::OpenTable(const std::string& tableName, uint32_t& tableID) {
    if (tableName.empty())
        return kNoTableName;
    if (!Database || !DbKernel)
        return kUnknownTable;
    if (Database->Tables->Count() == 0)
        Database->Tables->Load();
    TableName = tableName;
    tableID = Database->Tables->GetTableID(tableName);
    if (tableID == DbFormat::kNoTableID) {
        CurrentFields.reset();
        return kUnknownTable;
    }
    CurrentFields = DbKernel->CreateEmptyFieldsObject(tableID, 0);
    HoldTable(tableID);
    if (!Table || !CurrentFields)
        return kNotAllocated;
    return kOK;
}

int32_t TDBResultSet::VisitKey(const std::string& tableName, const std::string& key,
                               const std::function<void(const TRowView&)>& visit) {
    Table = nullptr;
    tableHold_.reset();
    CurrentRow.reset();
    Rows.clear();
    uint32_t tableID = 0;
    const int32_t status = OpenTable(tableName, tableID);
    CurrentFields.reset();
    if (status != kOK)
        return status;
    if (key.empty())
        return kOK;
    return DbKernel->VisitKeyRows(tableID, key, visit) == 0 ? kOK : kNoRow;
}

void TDBResultSet::Next() {
    if (Index == -1)
        Index = 0;
    if (static_cast<size_t>(Index) + 2 <= Rows.size()) {
        ++Index;
        CurrentFields = Rows[static_cast<size_t>(Index)];
        Eof = 0;
    } else {
        Eof = -1;
    }
}

int32_t TDBResultSet::AppendRow() {
    if (!Database || !DbKernel)
        return kUnknownTable;
    if (Database->TableDefs->Count() == 0)
        Database->TableDefs->Load(0);
    if (TableName.empty())
        return kNoRow;
    const uint32_t tableID = Database->Tables->GetTableID(TableName);
    if (tableID == DbFormat::kNoTableID)
        return kUnknownTable;
    TableDef = Database->TableDefs->Items(static_cast<int>(tableID));
    if (TableDef && TableDef->ColumnDefs->Count() == 0)
        TableDef->ColumnDefs->Load(tableID, "AppendRow");
    if (Database->Tables->Count() == 0)
        Database->Tables->Load();
    HoldTable(tableID);
    if (!Table)
        return kNotAllocated;
    // A fresh list for the new row, never the kernel's shared one.
    TDBFieldsPtr fields = DbKernel->CreateEmptyFieldsObject(tableID, 100);
    HoldTable(tableID);  // the request above rebuilt the table objects
    if (!fields)
        return kNotAllocated;
    CurrentFields = std::move(fields);
    return kOK;
}

int32_t TDBResultSet::Post() {
    if (!CurrentFields || CurrentFields->Count() == 0)
        return kFail;
    const TDBFieldParent* key = KeyField(*CurrentFields);
    if (!key || key->Value.empty())
        return kFail;  // a row without a key value is not written
    TDBRows rows;      // starts the shared row list afresh
    return rows.AddRow(CurrentFields);
}

int32_t TDBResultSet::DeleteCurrent() {
    if (!CurrentFields || CurrentFields->Count() == 0)
        return kFail;
    const TDBFieldParent* key = KeyField(*CurrentFields);
    if (!key || key->Value.empty())
        return kFail;
    if (Table)
        return Table->Rows->DeleteRow(CurrentFields);
    TDBRow row;
    return row.Delete(CurrentFields);
}

int32_t TDBResultSet::Update() {
    DeleteCurrent();
    return Post();
}

int32_t TDBResultSet::GetSequencedNumber(const std::string& tableName) {
    if (tableName != TableName)
        throw ExcVersionRestriction(KernelMessages::kVersionRestriction);
    if (!DbKernel)
        return 0;
    const std::string key = std::to_string(DbKernel->GetTableIDFromName(tableName));

    TDBResultSet sequence;
    if (sequence.Open(kSequencesTable, key, key) < kFail) {
        TDBFieldParent* table = sequence.CurrentFields->GetField(kSeqTablePos);
        TDBFieldParent* last = sequence.CurrentFields->GetField(kSeqLastPos);
        if (!table || !last)
            return 0;
        const int32_t number = ToInt32(last->Value);
        if (number == INT32_MAX)
            throw std::overflow_error("The sequence of " + tableName + " is exhausted");
        last->Value = std::to_string(number + 1);
        sequence.Post();  // overwrites the table's sequence row in place
        return number + 1;
    }
    if (sequence.AppendRow() == kOK) {
        TDBFieldParent* table = sequence.CurrentFields->GetField(kSeqTablePos);
        TDBFieldParent* last = sequence.CurrentFields->GetField(kSeqLastPos);
        if (table && last) {
            table->Value = key;
            last->Value.assign(1, '0');  // (assign: GCC 12 warns falsely on = "0")
            sequence.Post();
        }
    }
    return 0;
}
