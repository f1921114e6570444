#include "records/TLogTables.h"

#include <algorithm>
#include <sstream>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TSchemaScript.h"
#include "schema/TDBResultSet.h"
#include "schema/TDBTables.h"
#include "schema/TDatabase.h"

using namespace DbFormat;

namespace {

// The column a word of TTable::Columns asks for.
struct TWanted {
    uint32_t DataType = kTypeInteger;
    int32_t Length = 0;
    uint32_t KeyType = kKeyNone;
};

TWanted Parse(const std::string& word) {
    TWanted w;
    std::string body = word;
    if (!body.empty() && (body.back() == 'P' || body.back() == 'M')) {
        w.KeyType = body.back() == 'P' ? kKeyPrimary : kKeyMulti;
        body.pop_back();
    }
    if (!body.empty() && body[0] == 'C') {
        w.DataType = kTypeCharacter;
        w.Length = std::stoi(body.substr(1));
    }
    return w;
}

bool IsKey(int32_t keyType) {
    return keyType == static_cast<int32_t>(kKeyPrimary) ||
           keyType == static_cast<int32_t>(kKeyMulti);
}

std::string Join(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
    return text;
}

// The CREATE TABLE statement of a table in the script, or "".
std::string CreateStatement(const std::string& script, const std::string& table) {
    for (const std::string& st : TSchemaScript::Split(script)) {
        std::istringstream words(st);
        std::string create, kw, name;
        words >> create >> kw >> name;
        name = name.substr(0, name.find('('));
        if (create == "CREATE" && kw == "TABLE" && name == table)
            return st;
    }
    return std::string();
}

}  // namespace

const std::vector<TLogTables::TTable>& TLogTables::Tables() {
    static const std::vector<TTable> kTables = {
        {"HAMCLS", "C15P C30 C40 C30 C2", false},
        {TQSOs::kLogTable, "I C10 C15M C5 C5 C12 I C10 I I I I I C2 C20 C20 C5 C6 I C4 C4 C4 C4",
         true},
        {TQSOs::kDateIndexTable, "C10M I C15", true},
        {TQSOMemos::kTable, "IM C249", true},
        {"SYSTEM_SETTINGS", "C30P C64", true},
        {TQSOs::kSequencesTable, "IP I", true}};
    return kTables;
}

TLogTables::TState TLogTables::StateOf(const TTable& table) {
    const uint32_t id = DbKernel ? DbKernel->GetTableIDFromName(table.Name) : kNoTableID;
    const TDBFieldsPtr fields =
        id == kNoTableID ? nullptr : DbKernel->CreateEmptyFieldsObject(id, 0);
    if (!fields)
        return TState::kMissing;
    std::istringstream words(table.Columns);
    std::string word;
    int position = 0;
    for (; words >> word; ++position) {
        const TWanted want = Parse(word);
        const TDBFieldParent* f = fields->GetField(position);
        if (f == nullptr || f->DataType != static_cast<int32_t>(want.DataType) ||
            (want.DataType == kTypeCharacter && f->Length < want.Length) ||
            (want.KeyType == kKeyNone ? IsKey(f->KeyType)
                                      : f->KeyType != static_cast<int32_t>(want.KeyType)))
            return TState::kMalformed;
    }
    // No column behind them may take the key either.
    for (int i = position; i < fields->Count(); ++i)
        if (IsKey(fields->GetField(i)->KeyType) &&
            fields->GetField(i)->DataType != static_cast<int32_t>(kTypeFree))
            return TState::kMalformed;
    return TState::kSound;
}

bool TLogTables::CheckLogging(std::vector<std::string>& missing,
                              std::vector<std::string>& malformed) {
    missing.clear();
    malformed.clear();
    for (const TTable& t : Tables()) {
        if (!t.Logging)
            continue;
        const TState state = StateOf(t);
        if (state == TState::kMissing)
            missing.push_back(t.Name);
        else if (state == TState::kMalformed)
            malformed.push_back(t.Name);
    }
    return missing.empty() && malformed.empty();
}

std::string TLogTables::Problem(const std::vector<std::string>& missing,
                                const std::vector<std::string>& malformed) {
    std::string text;
    if (!missing.empty())
        text += "The log file lacks the table(s) " + Join(missing) +
                ". Run \"tramb-db init\" in the log's folder: it creates the missing tables and "
                "keeps the contacts. ";
    if (!malformed.empty())
        text += "The table(s) " + Join(malformed) +
                " lack the columns the log needs; \"tramb-db init\" cannot repair them: export "
                "the log with \"tramb-db export\" and start a new log file. ";
    return text + "The program will now be stopped.";
}

int32_t TLogTables::CreateMissing(const std::string& script, std::vector<std::string>& created,
                                  std::string& error) {
    created.clear();
    std::vector<const TTable*> wanted;
    for (const TTable& t : Tables()) {
        const TState state = StateOf(t);
        if (state == TState::kMalformed) {
            error = "table " + std::string(t.Name) + " lacks the columns the log needs";
            return 999;
        }
        if (state == TState::kMissing)
            wanted.push_back(&t);
    }
    for (const TTable* t : wanted) {
        const std::string st = CreateStatement(script, t->Name);
        int carried = 0, failed = -1;
        if (st.empty() || TSchemaScript::Run(st + ";\n", carried, failed, error) != 0) {
            error = "creating " + std::string(t->Name) + " failed: " +
                    (st.empty() ? "the schema script has no statement for it" : error);
            return 999;
        }
        created.push_back(t->Name);
    }
    if (Database && Database->Tables)
        Database->Tables->Load();
    // A new sequence table would hand out 0, 1, … again: numbers the stored
    // contacts and their texts already carry. Both sequences go on from the
    // largest number in use, so that they stay together.
    if (std::find(created.begin(), created.end(), TQSOs::kSequencesTable) != created.end()) {
        const int64_t last = std::max(LargestNumber(TQSOs::kLogTable, TQSOs::kColNumber),
                                      LargestNumber(TQSOs::kDateIndexTable, TQSOs::kIdxNumber));
        if (last >= 0 &&
            !(SetSequence(TQSOs::kLogTable, last) && SetSequence(TQSOs::kDateIndexTable, last))) {
            error = "the new SEQUENCES table could not take the numbers in use";
            return 999;
        }
    }
    return 0;
}

int64_t TLogTables::LargestNumber(const char* table, int position) {
    const uint32_t id = DbKernel->GetTableIDFromName(table);
    if (id == kNoTableID)
        return -1;
    std::vector<std::string> tails;
    int32_t deleted = 0;
    DbKernel->RawScanTable(position, id, deleted, tails, 0);
    int64_t largest = -1;
    for (const std::string& tail : tails) {
        int64_t n = 0;
        size_t i = 0;
        for (; i < tail.size() && tail[i] >= '0' && tail[i] <= '9' && n <= INT32_MAX; ++i)
            n = n * 10 + (tail[i] - '0');
        if (i > 0 && i < tail.size() && tail[i] == '|' && n <= INT32_MAX)
            largest = std::max(largest, n);
    }
    return largest;
}

bool TLogTables::SetSequence(const char* table, int64_t last) {
    TDBResultSet rs;
    if (rs.Open(TQSOs::kSequencesTable, "", "") >= 999 || rs.AppendRow() >= 999 ||
        !rs.CurrentFields)
        return false;
    const std::string key = std::to_string(DbKernel->GetTableIDFromName(table));
    rs.CurrentFields->GetField(0)->Value = key;
    rs.CurrentFields->GetField(1)->Value = std::to_string(last);
    rs.Post();
    TDBResultSet check;
    return check.Open(TQSOs::kSequencesTable, key, key) == TDBResultSet::kOK &&
           check.CurrentFields->GetField(1)->Value == std::to_string(last);
}
