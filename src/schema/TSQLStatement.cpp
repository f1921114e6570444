#include "schema/TSQLStatement.h"

#include <array>
#include <vector>

#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"
#include "schema/TSQLParser.h"

namespace {
constexpr int32_t kFail = 999;
enum Kind : int32_t { kCreateTable = 0, kDropTable = 1, kCreateUser = 2, kDropUser = 3 };
constexpr std::array<const char*, 4> kPhrases = {"Create Table", "Drop Table", "CreateUser",
                                                 "DropUser"};

constexpr const char* kNoTableName = "No table name specified";
constexpr const char* kNoDatabase = "No database is open";
constexpr const char* kFirstClauseMessage =
    "CLAUSE MUST CONTAIN \"NULL\" or \"NOT NULL\" or \"PRIMARY KEY\"";
constexpr const char* kSecondClauseMessage = "CLAUSE MUST BE \"PRIMARY KEY\" or \"FOREIGN KEY\"";
constexpr const char* kInvalidDrop =
    "INVALID DROP SYNTAX. Example syntax: DROP TABLE SOMETABLE";
constexpr const char* kTooManyTokens = "TOO MANY TOKENS IN COLUMN LIST: AT MOST 101 ARE ACCEPTED";
constexpr const char* kBadColumnName = "COLUMN NAME MUST BE 1 TO 30 CHARACTERS LONG";
constexpr const char* kNameTooLong = "NAME TOO LONG: NAMES MUST BE SHORTER THAN 256 CHARACTERS";
constexpr size_t kMaxColumnName = DbFormat::kNameSignificantChars;

bool Is(const std::string& token, const char* word) { return TSQLParser::UpperCase(token) == word; }

const std::string& TokenAt(const std::vector<std::string>& tokens, size_t i) {
    static const std::string none;
    return i < tokens.size() ? tokens[i] : none;
}

// The tokens of a CREATE's column list, line breaks dropped.
int ColumnTokens(const std::string& text, std::vector<std::string>& tokens) {
    const std::string flat =
        TSQLParser::RemoveChar(TSQLParser::RemoveChar(text, '\n'), '\r');
    return TSQLParser::SplitTokens(
        TSQLParser::NormalizeSeparators(TSQLParser::ExtractColumnList(flat)), tokens);
}

// Length of the longest token of the column list, however many there are.
size_t LongestToken(const std::string& text) {
    const std::string flat =
        TSQLParser::RemoveChar(TSQLParser::RemoveChar(text, '\n'), '\r');
    const std::string list = TSQLParser::NormalizeSeparators(TSQLParser::ExtractColumnList(flat));
    size_t longest = 0;
    size_t run = 0;
    for (char c : list) {
        run = c == ' ' ? 0 : run + 1;
        if (run > longest) longest = run;
    }
    return longest;
}
}  // namespace

TSQLStatement::TSQLStatement(const std::string& text)
    : Text(text), ResultSet(std::make_unique<TDBResultSet>()) {}

TSQLStatement::~TSQLStatement() = default;

int32_t TSQLStatement::Execute() {
    LastError.clear();
    if (Category != 0) return kFail;  // nothing is carried out for the other family
    int32_t kind = 0;
    if (GetStatementKind(kind) != 0) {
        LastError = Text.empty() ? "No statement given" : "Unknown statement";
        return kFail;
    }
    return ProcessDDL(kind);
}

int32_t TSQLStatement::GetStatementKind(int32_t& kind) {
    if (Text.empty()) return kFail;
    const std::string upper = TSQLParser::UpperCase(Text);
    for (size_t i = 0; i < kPhrases.size(); ++i) {
        if (upper.find(TSQLParser::UpperCase(kPhrases[i])) != std::string::npos) {
            kind = static_cast<int32_t>(i);
            return 0;
        }
    }
    return kFail;
}

int32_t TSQLStatement::ProcessDDL(int32_t kind) {
    LastError.clear();
    try {
        switch (kind) {
            case kCreateTable: CreateTable(); break;
            case kDropTable: DropTable(); break;
            case kCreateUser:
            case kDropUser: break;
            default: LastError = "Unknown statement"; return kFail;
        }
    } catch (const std::exception& e) {
        // What was written stays; there is no undo.
        LastError = e.what();
        return kFail;
    } catch (...) {
        LastError = "Unexpected error";
        return kFail;
    }
    return 0;
}

void TSQLStatement::CreateTable() {
    if (!Database || !DbKernel || !TDbKernel::Base()) throw ExcCreateTableFailed(kNoDatabase);
    const std::string name = TSQLParser::ExtractTableName(Text);
    if (TSQLParser::Trim(name).empty()) throw ExcCreateTableFailed(kNoTableName);

    // Refusals that need nothing written: names that do not fit the 256-byte
    // name area would be cut by the kernel.
    std::vector<std::string> tokens;
    const int count = ColumnTokens(Text, tokens);
    if (name.size() >= DbFormat::kNameAreaSize || LongestToken(Text) >= DbFormat::kNameAreaSize)
        throw ExcSQLSyntaxError(kNameTooLong);

    std::unique_ptr<TTableDef> def = Database->TableDefs->NewTableDef(name);
    if (!def) throw ExcDuplicateTableName(name);
    const uint32_t tableID = def->TableID;
    // From here on the file changes; the in-memory schema follows it whatever
    // the outcome.
    struct Refresh {
        uint32_t id;
        ~Refresh() {
            if (Database) Database->SchemaChanged(id);
        }
    } refresh{tableID};

    if (count < 0) throw ExcSQLSyntaxError(kTooManyTokens);
    const std::string tableName = TSQLParser::UpperCase(name);
    int32_t saved = 0;
    bool hasKey = false;
    for (size_t i = 0; i < static_cast<size_t>(count);) {
        const std::string& columnName = tokens[i];
        if (columnName.empty() || columnName.size() > kMaxColumnName)
            throw ExcSQLSyntaxError(kBadColumnName);
        TColumnDef column;
        column.Position = column.DataType = column.Length = column.KeyType = DbFormat::kSqlReserved;
        column.Reserved1 = column.Reserved2 = column.Spare = DbFormat::kSqlReserved;
        column.KeyType = static_cast<int32_t>(DbFormat::kKeyNone);
        column.Name = TSQLParser::UpperCase(columnName);
        TSQLParser::ParseDataType(TokenAt(tokens, i + 1), column.DataType, column.Length);

        const std::string& clause = TokenAt(tokens, i + 2);
        if (Is(clause, "NULL")) {
            i += 3;
        } else if (Is(clause, "NOT")) {
            if (!Is(TokenAt(tokens, i + 3), "NULL")) throw ExcSQLSyntaxError(kFirstClauseMessage);
            i += 4;
        } else if (Is(clause, "PRIMARY") || Is(clause, "FOREIGN") || Is(clause, "MULTI")) {
            if (!Is(TokenAt(tokens, i + 3), "KEY")) throw ExcSQLSyntaxError(kSecondClauseMessage);
            column.KeyType = static_cast<int32_t>(Is(clause, "PRIMARY")   ? DbFormat::kKeyPrimary
                                                  : Is(clause, "FOREIGN") ? DbFormat::kKeyForeign
                                                                          : DbFormat::kKeyMulti);
            i += 4;
        } else {
            throw ExcSQLSyntaxError(kFirstClauseMessage);
        }
        if (column.KeyType == static_cast<int32_t>(DbFormat::kKeyPrimary) ||
            column.KeyType == static_cast<int32_t>(DbFormat::kKeyMulti))
            hasKey = true;

        column.TableName = tableName;
        column.Position = saved;
        if (column.Save() != 0) throw ExcCreateTableFailed(name);
        ++saved;
    }
    if (saved == 0) throw ExcCreateTableFailed(name);
    // The kernel stores and reads rows by their key only.
    if (!hasKey) throw ExcCreateTableFailed(KernelMessages::kNoPrimaryKey);

    // A failed CREATE may have left more columns in this slot than this one
    // defines; they are blanked so the table has exactly its own columns.
    TColumnDefs leftovers;
    leftovers.Load(tableID, "Process DDL script");
    for (int c = saved; c < leftovers.Count(); ++c) {
        TColumnDef* column = leftovers.Items(c);
        if (column->DataType == static_cast<int32_t>(DbFormat::kTypeFree)) continue;
        column->TableName = tableName;
        if (column->Delete() != 0) throw ExcCreateTableFailed(name);
    }

    def->InUse = 1;
    if (def->Save() != 0) throw ExcCreateTableFailed(name);
}

void TSQLStatement::DropTable() {
    if (!Database || !DbKernel || !TDbKernel::Base()) throw ExcDropTableFailed(kNoDatabase);
    std::vector<std::string> tokens;
    const int count = TSQLParser::SplitTokens(TSQLParser::NormalizeSeparators(Text), tokens);
    if (count != 3 || !Is(tokens[0], "DROP") || !Is(tokens[1], "TABLE") || tokens[2].empty())
        throw ExcSQLSyntaxError(kInvalidDrop);
    const std::string& name = tokens[2];
    if (name.size() >= DbFormat::kNameAreaSize) throw ExcSQLSyntaxError(kNameTooLong);

    Database->TableDefs->Load(0);
    const uint32_t tableID = Database->TableDefs->GetTableID(name);
    TTableDef* def = tableID >= DbFormat::kFirstUserTableID
                         ? Database->TableDefs->Items(static_cast<int>(tableID))
                         : nullptr;
    if (!def) throw ExcDropTableFailed(name);
    struct Refresh {
        uint32_t id;
        ~Refresh() {
            if (Database) Database->SchemaChanged(id);
        }
    } refresh{tableID};

    // The rows go with the table, wiped while their layout is still known: a
    // table created later in this slot must not meet rows of another layout in
    // its pages and bucket chains.
    if (def->InUse != 0) DbKernel->BruteForceDeleteDataRows(tableID);

    def->ColumnDefs->Load(tableID, "Process DDL script");
    const std::string tableName = TSQLParser::UpperCase(name);
    for (int c = 0; c < def->ColumnDefs->Count(); ++c) {
        TColumnDef* column = def->ColumnDefs->Items(c);
        column->TableName = tableName;
        if (column->Delete() != 0) throw ExcDropTableFailed(name);
    }
    if (def->Delete() != 0) throw ExcDropTableFailed(name);
}
