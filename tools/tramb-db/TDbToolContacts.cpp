// The contact commands of tramb-db: add-qso, qsos, day and delete-qso, and
// the checks of the values they take.
#include <exception>
#include <iostream>
#include <memory>

#include "TDbTool.h"
#include "kernel/TDbKernel.h"
#include "kernel/TWriteBatch.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TRecordText.h"
#include "schema/TDBResultSet.h"

namespace {

bool AllDigits(const std::string& s, size_t from, size_t count) {
    for (size_t i = from; i < from + count; ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9')
            return false;
    }
    return true;
}

int TwoDigits(const std::string& s, size_t from) {
    return (s[from] - '0') * 10 + (s[from + 1] - '0');
}

// "mm/dd/yyyy", a month 01..12 and a day 01..31.
bool IsDate(const std::string& s) {
    if (s.size() != 10 || s[2] != '/' || s[5] != '/')
        return false;
    if (!AllDigits(s, 0, 2) || !AllDigits(s, 3, 2) || !AllDigits(s, 6, 4))
        return false;
    const int month = TwoDigits(s, 0);
    const int day = TwoDigits(s, 3);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

// "hh:mm", 00:00..23:59.
bool IsTime(const std::string& s) {
    if (s.size() != 5 || s[2] != ':' || !AllDigits(s, 0, 2) || !AllDigits(s, 3, 2))
        return false;
    return TwoDigits(s, 0) <= 23 && TwoDigits(s, 3) <= 59;
}

bool HasControlChars(const std::string& s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) < 32 || c == 127)
            return true;
    }
    return false;
}

std::string Join(const std::vector<std::string>& values) {
    std::string line;
    for (const std::string& v : values) {
        line += v.empty() ? std::string("-") : v;
        line += '|';
    }
    return TRecordText::UpperAZ(line);
}

// A contact in the row format of the export, without the link.
std::string QSOLine(const TQSO& q) {
    return Join({std::to_string(q.QSOID),
                 q.QSODate,
                 q.Call,
                 q.StartTime,
                 q.EndTime,
                 q.Frequency,
                 std::to_string(q.Power),
                 q.Mode,
                 std::to_string(q.SentRST),
                 std::to_string(q.RcvdRST),
                 std::to_string(q.RcvdQSL),
                 std::to_string(q.SentQSL),
                 std::to_string(q.LogID),
                 q.Zone,
                 q.Country,
                 q.County,
                 q.Grid,
                 q.QSLManager,
                 std::to_string(q.ColLayoutType),
                 q.Contest1,
                 q.Contest2,
                 q.Contest3,
                 q.Contest4});
}

}  // namespace

int TDbTool::AddQso(const std::vector<std::string>& args) {
    static const std::vector<std::string> kTextOptions = {
        "--date",     "--call",     "--start",    "--end",  "--freq",   "--mode",
        "--zone",     "--country",  "--county",   "--grid", "--qslmgr", "--contest1",
        "--contest2", "--contest3", "--contest4", "--text"};
    static const std::vector<std::string> kIntOptions = {"--power", "--srst",  "--rrst",  "--rqsl",
                                                         "--sqsl",  "--logid", "--layout"};
    std::map<std::string, std::string> text;
    std::map<std::string, int32_t> ints;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        const size_t eq = name.find('=');
        if (name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        const bool isText =
            std::find(kTextOptions.begin(), kTextOptions.end(), name) != kTextOptions.end();
        const bool isInt =
            std::find(kIntOptions.begin(), kIntOptions.end(), name) != kIntOptions.end();
        if (!isText && !isInt)
            return UsageError("add-qso: unknown option '" + args[i] + "'");
        if (!hasValue) {
            if (i + 1 >= args.size())
                return UsageError("add-qso: " + name + " needs a value");
            value = args[++i];
        }
        if (text.count(name) || ints.count(name)) {
            return UsageError("add-qso: " + name + " given twice");
        }
        if (isInt) {
            int32_t n = 0;
            if (!TRecordText::TryStrToInt(value, n)) {
                return UsageError("add-qso: " + name + " must be a whole number, not '" + value +
                                  "'");
            }
            ints[name] = n;
        } else {
            if (name != "--text" && HasControlChars(value)) {
                return UsageError("add-qso: " + name + " holds control characters");
            }
            text[name] = value;
        }
    }
    auto t = [&](const char* n) { return text.count(n) ? text[n] : std::string(); };
    auto n = [&](const char* o) { return ints.count(o) ? ints[o] : 0; };

    if (!text.count("--date"))
        return UsageError("add-qso needs --date MM/DD/YYYY");
    if (!IsDate(t("--date"))) {
        return UsageError("add-qso: --date must be MM/DD/YYYY, not '" + t("--date") + "'");
    }
    if (TRecordText::Trim(t("--call")).empty())
        return UsageError("add-qso needs --call CALL");
    for (const char* o : {"--start", "--end"}) {
        if (!t(o).empty() && !IsTime(t(o))) {
            return UsageError(std::string("add-qso: ") + o + " must be HH:MM, not '" + t(o) + "'");
        }
    }

    if (!OpenExisting() || RefuseDamaged())
        return kExitFailed;
    std::vector<std::string> needed = {TQSOs::kLogTable, TQSOs::kDateIndexTable,
                                       TQSOs::kSequencesTable};
    if (text.count("--text"))
        needed.push_back(TQSOMemos::kTable);
    if (!RequireTables(needed))
        return kExitFailed;

    // Values longer than their columns would be cut without a word: refuse them.
    static const std::vector<std::pair<const char*, int>> kColumns = {
        {"--date", TQSOs::kColDate},         {"--call", TQSOs::kColCall},
        {"--start", TQSOs::kColStart},       {"--end", TQSOs::kColEnd},
        {"--freq", TQSOs::kColFrequency},    {"--mode", TQSOs::kColMode},
        {"--zone", TQSOs::kColZone},         {"--country", TQSOs::kColCountry},
        {"--county", TQSOs::kColCounty},     {"--grid", TQSOs::kColGrid},
        {"--qslmgr", TQSOs::kColQSLManager}, {"--contest1", TQSOs::kColContest1},
        {"--contest2", TQSOs::kColContest2}, {"--contest3", TQSOs::kColContest3},
        {"--contest4", TQSOs::kColContest4}};
    const TDBFieldsPtr layout =
        DbKernel->CreateEmptyFieldsObject(DbKernel->GetTableIDFromName(TQSOs::kLogTable), 0);
    for (const auto& [option, position] : kColumns) {
        const TDBFieldParent* f = layout ? layout->GetField(position) : nullptr;
        if (f && f->DataType == static_cast<int32_t>(DbFormat::kTypeCharacter) &&
            t(option).size() > static_cast<size_t>(f->Length)) {
            return UsageError(std::string("add-qso: ") + option + " '" + t(option) +
                              "' is longer than its column (" + std::to_string(f->Length) +
                              " characters)");
        }
    }

    // The contact and its text reach the disk in a few ordered flushes.
    auto batch = std::make_unique<TWriteBatch>();
    TQSOs qsos;
    const size_t pieces = text.count("--text") ? TQSOMemos::PieceCount(t("--text")) : 0;
    if (!qsos.HasRoomForContact(pieces)) {
        return Fail(
            "the log file is full: the contact could not be stored, nothing was written; "
            "compact the log with 'tramb-db compact' or start a new log file");
    }
    TQSO* q = qsos.AddQSO(t("--date"), t("--call"), t("--start"), t("--end"), t("--freq"),
                          n("--power"), t("--mode"), n("--srst"), n("--rrst"), n("--rqsl"),
                          n("--sqsl"), n("--logid"), t("--zone"), t("--country"), t("--county"),
                          t("--grid"), t("--qslmgr"), n("--layout"), t("--contest1"),
                          t("--contest2"), t("--contest3"), t("--contest4"));
    if (!q)
        return Fail(
            "the contact could not be stored (no number could be drawn, or a table of "
            "the log cannot be written)");
    if (text.count("--text")) {
        TQSOMemos memos;
        if (memos.SaveText(q->QSOID, t("--text")) != 0) {
            // A contact without the text asked for is not stored either.
            qsos.DeleteQSO(*q);
            return Fail("the contact's text could not be stored; the contact was not stored");
        }
    }
    batch.reset();  // on the disk before it is reported stored
    if (!Written())
        return kExitFailed;
    std::cout << q->QSOID << "\n";
    return kExitOK;
}

int TDbTool::Qsos(const std::vector<std::string>& args) {
    if (args.size() != 1 || TRecordText::Trim(args[0]).empty()) {
        return UsageError("qsos takes one CALL");
    }
    if (!OpenExisting())
        return kExitFailed;
    if (!RequireTables({TQSOs::kLogTable}))
        return kExitFailed;
    TDBResultSet rs;
    const int32_t st = rs.Open(TQSOs::kLogTable, args[0], args[0]);
    if (st >= 999)
        return Fail("table QSOLOG cannot be opened (status " + std::to_string(st) + ")");
    for (const TDBFieldsPtr& row : rs.Rows) {
        std::cout << TRecordText::UpperAZ(TRecordText::RowLine(*row)) << "\n";
    }
    return kExitOK;
}

int TDbTool::Day(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return UsageError("day takes one date MM/DD/YYYY");
    if (!IsDate(args[0]))
        return UsageError("day: the date must be MM/DD/YYYY, not '" + args[0] + "'");
    if (!OpenExisting())
        return kExitFailed;
    if (!RequireTables({TQSOs::kLogTable, TQSOs::kDateIndexTable}))
        return kExitFailed;
    TQSOs qsos;
    qsos.LoadDay(args[0], args[0]);
    for (const auto& q : qsos.QSOs) std::cout << QSOLine(*q) << "\n";
    return kExitOK;
}

int TDbTool::DeleteQso(const std::vector<std::string>& args) {
    if (args.size() != 3)
        return UsageError("delete-qso takes CALL NUMBER DATE");
    const std::string& call = args[0];
    int32_t number = 0;
    if (TRecordText::Trim(call).empty())
        return UsageError("delete-qso: CALL is empty");
    if (!TRecordText::TryStrToInt(args[1], number)) {
        return UsageError("delete-qso: NUMBER must be a whole number, not '" + args[1] + "'");
    }
    if (!IsDate(args[2])) {
        return UsageError("delete-qso: DATE must be MM/DD/YYYY, not '" + args[2] + "'");
    }
    if (!OpenExisting() || RefuseDamaged())
        return kExitFailed;
    if (!RequireTables({TQSOs::kLogTable, TQSOs::kDateIndexTable, TQSOMemos::kTable})) {
        return kExitFailed;
    }

    // Only a contact that exists exactly so is deleted: the index and text
    // rows go by number, and must not be taken from another contact.
    TQSOs qsos;
    std::unique_ptr<TQSO> found;
    {
        TDBResultSet rs;
        if (rs.Open(TQSOs::kLogTable, call, call) == TDBResultSet::kOK) {
            for (const TDBFieldsPtr& row : rs.Rows) {
                std::unique_ptr<TQSO> q = qsos.QSOFromFields(*row);
                if (q->QSOID == number && q->QSODate == args[2]) {
                    found = std::move(q);
                    break;
                }
            }
        }
    }
    if (!found) {
        return Fail("no contact " + std::to_string(number) + " with " + call + " on " + args[2] +
                    "; nothing deleted");
    }
    qsos.DeleteQSO(*found);
    if (!Written())
        return kExitFailed;
    std::cout << "deleted contact " << number << " (" << found->Call << ", " << args[2] << ")\n";
    return kExitOK;
}
