#include "TLogSnapshot.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "platform/TScriptedDialogs.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TSchemaScript.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"

namespace {
std::string Field(const std::string& row, size_t index) {
    std::istringstream in(row);
    std::string value;
    for (size_t i = 0; i <= index; ++i)
        if (!std::getline(in, value, '|'))
            return "";
    return value;
}

void Read(TLogSnapshot& s) {
    std::string report;
    s.Sound = DbKernel->CheckDatabase(report, 0) == 0;
    // Every page in use must belong to a table that exists: a page of a
    // table whose definition never reached the disk would hand its rows to
    // the next table created under that ID.
    for (uint32_t page = 0; page < DbFormat::kDataPageCount; ++page) {
        uint32_t owner = 0;
        std::memcpy(&owner,
                    TDbKernel::Base() + DbFormat::kDataRegionBase + page * DbFormat::kDataPageSize,
                    4);
        if (owner != 0 &&
            (owner > DbFormat::kLastUserTableID || DbKernel->IsAvailableTableID(owner) != 0))
            s.Complaints.push_back("page " + std::to_string(page) + " of missing table " +
                                   std::to_string(owner));
    }
    std::vector<std::string> names{"STATIONS"};  // a table some scenarios create
    for (const auto& table : TSchemaScript::kLogTables) names.push_back(table.Name);
    for (const std::string& name : names) {
        const uint32_t id = DbKernel->GetTableIDFromName(name);
        std::vector<std::string> tails;
        int32_t deleted = 0;
        if (id != DbFormat::kNoTableID)
            DbKernel->RawScanTable(65, id, deleted, tails, 0);
        for (size_t i = 1; i < tails.size(); ++i)
            s.Rows[name].push_back(tails[i].substr(0, tails[i].rfind("Tail:")));
    }
    for (const std::string& row : s.Rows[TQSOs::kLogTable]) {
        const int32_t number = std::stoi("0" + Field(row, TQSOs::kColNumber));
        if (!s.Contacts.emplace(number, row).second)
            s.Complaints.push_back("contact " + std::to_string(number) + " twice");
        TDBResultSet rs;
        const std::string call = Field(row, TQSOs::kColCall);
        rs.Open(TQSOs::kLogTable, call, call);
        if (std::none_of(rs.Rows.begin(), rs.Rows.end(), [&](const TDBFieldsPtr& r) {
                return r->GetField(TQSOs::kColNumber)->Value == std::to_string(number);
            }))
            s.Complaints.push_back("contact " + std::to_string(number) +
                                   " unreachable by its call");
        TQSOs day;
        day.LoadDay(Field(row, TQSOs::kColDate), Field(row, TQSOs::kColDate));
        for (const auto& q : day.QSOs) s.InDateIndex.insert(q->QSOID);
        TQSOMemos memos;
        memos.LoadForQSO(number);
        for (const auto& m : memos.Memos) s.Texts[number] += m->Text;
    }
}
}  // namespace

TLogSnapshot TLogSnapshot::Take(const std::string& path) {
    TLogSnapshot s;
    TScriptedDialogs dialogs;
    TDatabase db;
    if (db.StartDatabase(path) != 0 || TDbKernel::Base() == nullptr)
        return s;
    s.Opened = true;
    try {
        Read(s);
    } catch (const std::exception& e) {
        s.Complaints.push_back(std::string("exception: ") + e.what());
    }
    s.Complaints.insert(s.Complaints.end(), dialogs.Messages.begin(), dialogs.Messages.end());
    db.ShutdownDatabase(path);
    return s;
}

std::vector<std::string> TLogSnapshot::RowsInNeither(const TLogSnapshot& a,
                                                     const TLogSnapshot& b) const {
    std::vector<std::string> odd;
    const auto in = [](const TLogSnapshot& s, const std::string& table, const std::string& row) {
        const auto it = s.Rows.find(table);
        return it != s.Rows.end() && std::count(it->second.begin(), it->second.end(), row) > 0;
    };
    for (const auto& [table, rows] : Rows)
        for (const std::string& row : rows)
            if (!in(a, table, row) && !in(b, table, row))
                odd.push_back(table + ": " + row);
    return odd;
}

std::string TLogSnapshot::Describe() const {
    std::string out = !Opened ? "cannot be opened" : Sound ? "sound" : "CHECK FAILS";
    for (const auto& [table, rows] : Rows) out += "; " + table + " " + std::to_string(rows.size());
    return Complaints.empty() ? out : out + "; " + Complaints.front();
}
