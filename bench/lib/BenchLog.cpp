#include "BenchLog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "kernel/TWriteBatch.h"
#include "platform/TScriptedDialogs.h"
#include "records/TQSOs.h"
#include "records/TRecordText.h"
#include "records/TSchemaScript.h"
#include "schema/TDatabase.h"

namespace Bench {

namespace fs = std::filesystem;

std::string DateBack(int daysBack) {
    using namespace std::chrono;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const sys_days today = year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday;
    const year_month_day d{today - days{daysBack}};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02u/%02u/%04d", static_cast<unsigned>(d.month()),
                  static_cast<unsigned>(d.day()), static_cast<int>(d.year()));
    return buf;
}

std::vector<std::string> MakeCalls() {
    static const char* kPrefixes[] = {"W", "K", "N", "AA", "KB", "WA", "VE", "DL", "G", "JA"};
    std::vector<std::string> calls;
    for (int i = 0; i < kDistinctCalls; ++i) {
        std::string c = kPrefixes[i % 10];
        c += static_cast<char>('0' + (i / 10) % 10);
        int n = i / 100;
        for (int k = 0; k < 3; ++k) {
            c += static_cast<char>('A' + n % 26);
            n = n / 26 + k * 7 + i % 13;
        }
        calls.push_back(c);
    }
    return calls;
}

std::vector<TContact> MakeContacts(int count, std::mt19937& rng) {
    const std::vector<std::string> calls = MakeCalls();
    static const char* kModes[] = {"CW", "SSB", "FT8", "RTTY"};
    static const char* kFreqs[] = {"7.025", "14.025", "14.074", "21.200", "28.400"};
    std::vector<TContact> out;
    out.reserve(static_cast<size_t>(count));
    std::vector<std::string> dates(kDays);
    for (int d = 0; d < kDays; ++d) dates[static_cast<size_t>(d)] = DateBack(kDays - 1 - d);
    for (int i = 0; i < count; ++i) {
        TContact c;
        c.Date = dates[static_cast<size_t>(static_cast<int64_t>(i) * kDays / count)];
        c.Call = calls[rng() % calls.size()];
        char t[32];
        std::snprintf(t, sizeof t, "%02d:%02d", static_cast<int>(rng() % 24),
                      static_cast<int>(rng() % 60));
        c.Start = c.End = t;
        c.Frequency = kFreqs[rng() % 5];
        c.Mode = kModes[rng() % 4];
        c.Zone = "05";
        c.Country = "U.S.A.";
        c.Grid = "FN42";
        c.Power = 100;
        c.SentRST = 599;
        c.RcvdRST = 579;
        out.push_back(std::move(c));
    }
    return out;
}

int BuildOurLog(const std::string& path, const std::string& schema,
                const std::vector<TContact>& contacts) {
    fs::remove(path);
    TScriptedDialogs dialogs;  // the kernel's "database full" lands here
    TDatabase db;
    if (db.StartDatabase(path) != 0)
        return -1;
    int done = 0, failed = 0;
    std::string error;
    if (TSchemaScript::Run(schema, done, failed, error) != 0) {
        std::fprintf(stderr, "schema script failed: %s\n", error.c_str());
        return -1;
    }
    db.Tables->Load();
    int stored = 0;
    {
        TWriteBatch batch;
        for (const TContact& c : contacts) {
            TQSOs qsos;
            if (!qsos.AddQSO(c.Date, c.Call, c.Start, c.End, c.Frequency, c.Power, c.Mode,
                             c.SentRST, c.RcvdRST, 0, 0, 0, c.Zone, c.Country, "", c.Grid, "", 0,
                             "", "", "", "") ||
                !dialogs.Messages.empty())
                break;
            ++stored;
        }
    }
    db.ShutdownDatabase(path);
    return stored;
}

bool Exec(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s: %s\n", sql, err ? err : "?");
        sqlite3_free(err);
        return false;
    }
    return true;
}

TStmt::TStmt(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite prepare: %s: %s\n", sql, sqlite3_errmsg(db));
        std::exit(1);
    }
}
TStmt::~TStmt() {
    sqlite3_finalize(st_);
}
void TStmt::Text(int i, const std::string& s) {
    sqlite3_bind_text(st_, i, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}
void TStmt::Int(int i, int64_t v) {
    sqlite3_bind_int64(st_, i, v);
}
void TStmt::Reset() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}
std::string TStmt::Col(int i) {
    const unsigned char* t = sqlite3_column_text(st_, i);
    return t ? reinterpret_cast<const char*>(t) : "";
}

TSqliteLog::TSqliteLog(sqlite3* database)
    : db(database),
      seqGet(db, "SELECT last_number FROM sequences WHERE table_id = ?"),
      seqPut(db, "INSERT OR REPLACE INTO sequences (table_id, last_number) VALUES (?, ?)"),
      log(db, "INSERT INTO qsolog VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
      idx(db, "INSERT INTO qso_date_index VALUES (?,?,?)"),
      text(db, "INSERT INTO qso_text VALUES (?,?)") {}

int64_t TSqliteLog::NextNumber(int table) {
    seqGet.Int(1, table);
    int64_t n = 0;
    if (seqGet.Step() == SQLITE_ROW)
        n = sqlite3_column_int64(seqGet.get(), 0) + 1;
    seqGet.Reset();
    seqPut.Int(1, table);
    seqPut.Int(2, n);
    seqPut.Step();
    seqPut.Reset();
    return n;
}

int64_t TSqliteLog::Insert(const TContact& c) {
    const int64_t number = NextNumber(6);
    log.Int(1, number);
    log.Text(2, c.Date);
    log.Text(3, TRecordText::UpperAZ(c.Call));
    log.Text(4, c.Start);
    log.Text(5, c.End);
    log.Text(6, c.Frequency);
    log.Int(7, c.Power);
    log.Text(8, c.Mode);
    log.Int(9, c.SentRST);
    log.Int(10, c.RcvdRST);
    for (int i = 11; i <= 13; ++i) log.Int(i, 0);
    log.Text(14, c.Zone);
    log.Text(15, c.Country);
    log.Text(16, "");
    log.Text(17, c.Grid);
    log.Text(18, "");
    log.Int(19, 0);
    for (int i = 20; i <= 23; ++i) log.Text(i, "");
    const bool ok = log.Step() == SQLITE_DONE;
    log.Reset();
    if (!ok)
        return -1;
    idx.Text(1, c.Date);
    idx.Int(2, NextNumber(7));
    idx.Text(3, c.Call);
    const bool indexed = idx.Step() == SQLITE_DONE;
    idx.Reset();
    return indexed ? number : -1;
}

bool TSqliteLog::Save(const TContact& c, const std::string& body) {
    if (!Exec(db, "BEGIN"))
        return false;
    const int64_t id = Insert(c);
    if (id < 0)
        return false;
    // Pieces as long as our text table's, each its own row.
    for (size_t at = 0; at < body.size(); at += kTextPiece) {
        text.Int(1, id);
        text.Text(2, body.substr(at, kTextPiece));
        const bool ok = text.Step() == SQLITE_DONE;
        text.Reset();
        if (!ok)
            return false;
    }
    return Exec(db, "COMMIT");
}

sqlite3* BuildSqliteLog(const std::string& path, const std::vector<TContact>& contacts) {
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path + suffix);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        return nullptr;
    const bool ok =
        Exec(db, "PRAGMA journal_mode=WAL") && Exec(db, "PRAGMA synchronous=FULL") &&
        Exec(db,
             "CREATE TABLE qsolog (qso_id INTEGER, qso_date TEXT, call TEXT, start_time TEXT,"
             " end_time TEXT, frequency TEXT, power INTEGER, mode TEXT, s_rst INTEGER,"
             " r_rst INTEGER, r_qsl INTEGER, s_qsl INTEGER, log_id INTEGER, zone TEXT,"
             " country TEXT, county TEXT, grid TEXT, qsl_manager TEXT, col_layout_type INTEGER,"
             " contest1 TEXT, contest2 TEXT, contest3 TEXT, contest4 TEXT)") &&
        Exec(db, "CREATE INDEX qsolog_call ON qsolog(call)") &&
        Exec(db, "CREATE INDEX qsolog_date ON qsolog(qso_date)") &&
        Exec(db, "CREATE TABLE qso_date_index (qso_date TEXT, index_number INTEGER, call TEXT)") &&
        Exec(db, "CREATE INDEX qso_date_index_date ON qso_date_index(qso_date)") &&
        Exec(db, "CREATE TABLE qso_text (qso_id INTEGER, text_piece TEXT)") &&
        Exec(db, "CREATE INDEX qso_text_id ON qso_text(qso_id)") &&
        Exec(db, "CREATE TABLE sequences (table_id INTEGER PRIMARY KEY, last_number INTEGER)");
    bool stored = ok && Exec(db, "BEGIN");
    if (stored) {
        TSqliteLog log(db);
        for (size_t i = 0; stored && i < contacts.size(); ++i)
            stored = log.Insert(contacts[i]) >= 0;
    }
    if (!stored || !Exec(db, "COMMIT")) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

}  // namespace Bench
