#include "TLogSnapshot.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "platform/TScriptedDialogs.h"
#include "records/TDbSystemSettings.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TSchemaScript.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"

namespace {
// The row text without its chain link: "v1|v2|...|Tail:n" -> "v1|v2|...|".
std::string WithoutTail(const std::string& tail) {
    const size_t at = tail.rfind("Tail:");
    return at == std::string::npos ? tail : tail.substr(0, at);
}

std::string Field(const std::string& row, size_t index) {
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) {
        start = row.find('|', start);
        if (start == std::string::npos)
            return std::string();
        ++start;
    }
    const size_t end = row.find('|', start);
    return row.substr(start, end == std::string::npos ? std::string::npos : end - start);
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
        std::string report;
        s.Sound = DbKernel->CheckDatabase(report, 0) == 0;
        // Every page in use must belong to a table that exists: a page of a
        // table whose definition never reached the disk would hand its rows
        // to the next table created under that ID.
        for (uint32_t page = 0; page < DbFormat::kDataPageCount; ++page) {
            uint32_t owner = 0;
            std::memcpy(
                &owner,
                TDbKernel::Base() + DbFormat::kDataRegionBase + page * DbFormat::kDataPageSize, 4);
            if (owner != 0 &&
                (owner > DbFormat::kLastUserTableID || DbKernel->IsAvailableTableID(owner) != 0))
                s.Complaints.push_back("page " + std::to_string(page) + " belongs to table " +
                                       std::to_string(owner) + ", which does not exist");
        }
        std::vector<std::string> names;
        for (const auto& table : TSchemaScript::kLogTables) names.push_back(table.Name);
        names.push_back("STATIONS");  // a table some scenarios create
        for (const std::string& name : names) {
            const uint32_t id = DbKernel->GetTableIDFromName(name);
            if (id == DbFormat::kNoTableID)
                continue;
            std::vector<std::string> tails;
            int32_t deleted = 0;
            DbKernel->RawScanTable(65, id, deleted, tails, 0);
            auto& rows = s.Rows[name];
            for (size_t i = 1; i < tails.size(); ++i) rows.push_back(WithoutTail(tails[i]));
        }
        std::set<std::string> calls;
        std::set<std::string> dates;
        for (const std::string& row : s.Rows[TQSOs::kLogTable]) {
            const int32_t number = std::stoi("0" + Field(row, TQSOs::kColNumber));
            if (!s.Contacts.emplace(number, row).second)
                s.Complaints.push_back("contact " + std::to_string(number) + " twice");
            calls.insert(Field(row, TQSOs::kColCall));
            dates.insert(Field(row, TQSOs::kColDate));
        }
        for (const std::string& call : calls) {
            TDBResultSet rs;
            if (rs.Open(TQSOs::kLogTable, call, call) != TDBResultSet::kOK)
                continue;
            for (const auto& r : rs.Rows)
                s.FoundByCall.insert(std::stoi("0" + r->GetField(TQSOs::kColNumber)->Value));
        }
        for (const std::string& date : dates) {
            TQSOs qsos;
            qsos.LoadDay(date, date);
            for (const auto& q : qsos.QSOs) s.InDateIndex.insert(q->QSOID);
        }
        for (const auto& [number, row] : s.Contacts) {
            TQSOMemos memos;
            memos.LoadForQSO(number);
            std::string text;
            for (const auto& m : memos.Memos) text += m->Text;
            if (!text.empty())
                s.Texts[number] = text;
        }
        for (const std::string& row : s.Rows["SYSTEM_SETTINGS"])
            s.Settings[Field(row, 0)] = Field(row, 1);
    } catch (const std::exception& e) {
        s.Complaints.push_back(std::string("exception: ") + e.what());
    }
    for (const std::string& m : dialogs.Messages) s.Complaints.push_back(m);
    db.ShutdownDatabase(path);
    return s;
}

std::vector<std::string> TLogSnapshot::RowsInNeither(const TLogSnapshot& a,
                                                     const TLogSnapshot& b) const {
    std::vector<std::string> odd;
    for (const auto& [table, rows] : Rows) {
        const auto in = [&](const TLogSnapshot& s, const std::string& row) {
            const auto it = s.Rows.find(table);
            return it != s.Rows.end() &&
                   std::find(it->second.begin(), it->second.end(), row) != it->second.end();
        };
        for (const std::string& row : rows)
            if (!in(a, row) && !in(b, row))
                odd.push_back(table + ": " + row);
    }
    return odd;
}

std::string TLogSnapshot::Describe() const {
    std::ostringstream out;
    if (!Opened)
        return "cannot be opened";
    out << (Sound ? "sound" : "CHECK FAILS") << "; contacts";
    for (const auto& [number, row] : Contacts) {
        out << " " << number;
        if (!InDateIndex.count(number))
            out << "(no index)";
        if (!FoundByCall.count(number))
            out << "(not by call)";
        if (Texts.count(number))
            out << "+text";
    }
    for (const auto& [name, value] : Settings) out << "; " << name << "=" << value;
    const auto stations = Rows.find("STATIONS");
    if (stations != Rows.end())
        out << "; table STATIONS with " << stations->second.size() << " row(s)";
    if (!Complaints.empty())
        out << "; " << Complaints.size() << " complaint(s): " << Complaints.front();
    return out.str();
}
