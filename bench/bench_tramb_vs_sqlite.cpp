// The same log work done with our database and with SQLite (WAL,
// synchronous=FULL, one transaction per contact, an index on the call sign),
// in one run and in one directory, each figure with the ratio ours/SQLite.
//
//   bench_tramb_vs_sqlite DIRECTORY [CONTACTS]     (CONTACTS defaults to 20000)
//
// The contacts use 2,000 distinct call signs spread over five years; each is
// stored as the log window stores one: the QSOLOG row with its sequence
// number, the date-index row with its own sequence number.
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "kernel/TDbKernel.h"
#include "records/TLogExport.h"
#include "records/TQSOs.h"
#include "records/TRecordText.h"
#include "records/TSchemaScript.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDistinctCalls = 2000;
constexpr int kDays = 5 * 365 + 1;

struct TContact {
    std::string Date, Call, Start, End, Frequency, Mode, Zone, Country, Grid;
    int32_t Power, SentRST, RcvdRST;
};

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

std::string DateOfDay(int day) {
    // Day 0 is 01/01/2019; a plain calendar walk is enough here.
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = 2019;
    for (;;) {
        const bool leap = year % 4 == 0;
        const int len = leap ? 366 : 365;
        if (day < len)
            break;
        day -= len;
        ++year;
    }
    int month = 0;
    for (;; ++month) {
        const int len = kMonthDays[month] + (month == 1 && year % 4 == 0 ? 1 : 0);
        if (day < len)
            break;
        day -= len;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", month + 1, day + 1, year);
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
    // Days in order, as a log grows; calls at random.
    for (int i = 0; i < count; ++i) {
        TContact c;
        const int day = static_cast<int>(static_cast<int64_t>(i) * kDays / count);
        c.Date = DateOfDay(day);
        c.Call = calls[rng() % calls.size()];
        char t[32];
        std::snprintf(t, sizeof t, "%02d:%02d", static_cast<int>(rng() % 24),
                      static_cast<int>(rng() % 60));
        c.Start = t;
        c.End = t;
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

struct TFigures {
    double Store = 0, Station = 0, Day = 0, Check = 0, Export = 0;
    long StationRows = 0, DayRows = 0, Exported = 0;
};

// ---- Ours -------------------------------------------------------------------

std::string ReadText(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool RunOurs(const std::string& dir, const std::vector<TContact>& contacts,
             const std::vector<std::string>& stations, const std::vector<std::string>& days,
             const std::string& schema, TFigures& f) {
    const std::string path = dir + "/bench_tramb.sib";
    fs::remove(path);
    TDatabase db;
    if (db.StartDatabase(path) != 0) {
        std::fprintf(stderr, "cannot create %s\n", path.c_str());
        return false;
    }
    int done = 0, failed = 0;
    std::string error;
    if (TSchemaScript::Run(schema, done, failed, error) != 0) {
        std::fprintf(stderr, "schema script failed: %s\n", error.c_str());
        return false;
    }
    db.Tables->Load();

    auto t0 = Clock::now();
    for (const TContact& c : contacts) {
        TQSOs qsos;
        if (!qsos.AddQSO(c.Date, c.Call, c.Start, c.End, c.Frequency, c.Power, c.Mode, c.SentRST,
                         c.RcvdRST, 0, 0, 0, c.Zone, c.Country, "", c.Grid, "", 0, "", "", "",
                         "")) {
            std::fprintf(stderr, "AddQSO failed\n");
            return false;
        }
    }
    f.Store = MsSince(t0);

    t0 = Clock::now();
    for (const std::string& call : stations) {
        TDBResultSet rs;
        if (rs.Open(TQSOs::kLogTable, call, call) != 0)
            continue;
        TQSOs reader;
        for (const auto& row : rs.Rows) {
            auto q = reader.QSOFromFields(*row);
            f.StationRows += q->QSOID >= 0;
        }
    }
    f.Station = MsSince(t0);

    t0 = Clock::now();
    for (const std::string& day : days) {
        TQSOs qsos;
        qsos.LoadDay(day, day);
        f.DayRows += static_cast<long>(qsos.QSOs.size());
    }
    f.Day = MsSince(t0);

    t0 = Clock::now();
    std::string report;
    const int32_t st = DbKernel->CheckDatabase(report, 0);
    f.Check = MsSince(t0);
    if (st != 0)
        std::fprintf(stderr, "our integrity check reports damage:\n%s\n", report.c_str());

    t0 = Clock::now();
    int32_t count = 0;
    if (TLogExport::ExportToFile(dir + "/bench_tramb_export.txt", count) != TLogExport::kOK) {
        std::fprintf(stderr, "our export failed\n");
    }
    f.Export = MsSince(t0);
    f.Exported = count;
    db.ShutdownDatabase(path);
    return true;
}

// ---- SQLite -----------------------------------------------------------------

bool Exec(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s: %s\n", sql, err ? err : "?");
        sqlite3_free(err);
        return false;
    }
    return true;
}

class TStmt {
  public:
    TStmt(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "sqlite prepare: %s: %s\n", sql, sqlite3_errmsg(db));
            std::exit(1);
        }
    }
    ~TStmt() { sqlite3_finalize(st_); }
    sqlite3_stmt* get() const { return st_; }
    void Text(int i, const std::string& s) {
        sqlite3_bind_text(st_, i, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    void Int(int i, int64_t v) { sqlite3_bind_int64(st_, i, v); }
    int Step() { return sqlite3_step(st_); }
    void Reset() {
        sqlite3_reset(st_);
        sqlite3_clear_bindings(st_);
    }
    std::string Col(int i) {
        const unsigned char* t = sqlite3_column_text(st_, i);
        return t ? reinterpret_cast<const char*>(t) : "";
    }

  private:
    sqlite3_stmt* st_ = nullptr;
};

bool RunSqlite(const std::string& dir, const std::vector<TContact>& contacts,
               const std::vector<std::string>& stations, const std::vector<std::string>& days,
               TFigures& f) {
    const std::string path = dir + "/bench_sqlite.db";
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path + suffix);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        return false;
    if (!Exec(db, "PRAGMA journal_mode=WAL") || !Exec(db, "PRAGMA synchronous=FULL") ||
        !Exec(db,
              "CREATE TABLE qsolog (qso_id INTEGER, qso_date TEXT, call TEXT, start_time TEXT,"
              " end_time TEXT, frequency TEXT, power INTEGER, mode TEXT, s_rst INTEGER,"
              " r_rst INTEGER, r_qsl INTEGER, s_qsl INTEGER, log_id INTEGER, zone TEXT,"
              " country TEXT, county TEXT, grid TEXT, qsl_manager TEXT, col_layout_type INTEGER,"
              " contest1 TEXT, contest2 TEXT, contest3 TEXT, contest4 TEXT)") ||
        !Exec(db, "CREATE INDEX qsolog_call ON qsolog(call)") ||
        !Exec(db, "CREATE TABLE qso_date_index (qso_date TEXT, index_number INTEGER, call TEXT)") ||
        !Exec(db, "CREATE INDEX qso_date_index_date ON qso_date_index(qso_date)") ||
        !Exec(db, "CREATE TABLE qso_text (qso_id INTEGER, text_piece TEXT)") ||
        !Exec(db, "CREATE TABLE sequences (table_id INTEGER PRIMARY KEY, last_number INTEGER)")) {
        sqlite3_close(db);
        return false;
    }
    {
        TStmt seqGet(db, "SELECT last_number FROM sequences WHERE table_id = ?");
        TStmt seqPut(db, "INSERT OR REPLACE INTO sequences (table_id, last_number) VALUES (?, ?)");
        TStmt insLog(db,
                     "INSERT INTO qsolog VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        TStmt insIdx(db, "INSERT INTO qso_date_index VALUES (?,?,?)");
        auto nextNumber = [&](int table) {
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
        };

        auto t0 = Clock::now();
        for (const TContact& c : contacts) {
            Exec(db, "BEGIN");
            const int64_t number = nextNumber(6);
            insLog.Int(1, number);
            insLog.Text(2, c.Date);
            insLog.Text(3, TRecordText::UpperAZ(c.Call));
            insLog.Text(4, c.Start);
            insLog.Text(5, c.End);
            insLog.Text(6, c.Frequency);
            insLog.Int(7, c.Power);
            insLog.Text(8, c.Mode);
            insLog.Int(9, c.SentRST);
            insLog.Int(10, c.RcvdRST);
            for (int i = 11; i <= 13; ++i) insLog.Int(i, 0);
            insLog.Text(14, c.Zone);
            insLog.Text(15, c.Country);
            insLog.Text(16, "");
            insLog.Text(17, c.Grid);
            insLog.Text(18, "");
            insLog.Int(19, 0);
            for (int i = 20; i <= 23; ++i) insLog.Text(i, "");
            if (insLog.Step() != SQLITE_DONE)
                return false;
            insLog.Reset();
            const int64_t indexNumber = nextNumber(7);
            insIdx.Text(1, c.Date);
            insIdx.Int(2, indexNumber);
            insIdx.Text(3, c.Call);
            if (insIdx.Step() != SQLITE_DONE)
                return false;
            insIdx.Reset();
            Exec(db, "COMMIT");
        }
        f.Store = MsSince(t0);
    }

    TStmt byCall(db, "SELECT * FROM qsolog WHERE call = ? ORDER BY rowid");
    auto t0 = Clock::now();
    for (const std::string& call : stations) {
        byCall.Text(1, call);
        while (byCall.Step() == SQLITE_ROW) {
            TQSO q;
            q.QSOID = sqlite3_column_int(byCall.get(), 0);
            q.QSODate = byCall.Col(1);
            q.Call = byCall.Col(2);
            q.Frequency = byCall.Col(5);
            q.Mode = byCall.Col(7);
            f.StationRows += q.QSOID >= 0;
        }
        byCall.Reset();
    }
    f.Station = MsSince(t0);

    TStmt dayCalls(db, "SELECT call FROM qso_date_index WHERE qso_date = ? ORDER BY rowid");
    t0 = Clock::now();
    for (const std::string& day : days) {
        // The same walk as LoadDay: the day's calls once each, then each call's contacts.
        std::vector<std::string> calls;
        dayCalls.Text(1, day);
        while (dayCalls.Step() == SQLITE_ROW) {
            const std::string c = TRecordText::UpperAZ(dayCalls.Col(0));
            bool seen = false;
            for (const auto& x : calls) seen = seen || x == c;
            if (!seen)
                calls.push_back(c);
        }
        dayCalls.Reset();
        for (const std::string& call : calls) {
            byCall.Text(1, call);
            while (byCall.Step() == SQLITE_ROW) {
                if (byCall.Col(1) == day)
                    ++f.DayRows;
            }
            byCall.Reset();
        }
    }
    f.Day = MsSince(t0);

    t0 = Clock::now();
    {
        TStmt check(db, "PRAGMA integrity_check");
        if (check.Step() != SQLITE_ROW || check.Col(0) != "ok") {
            std::fprintf(stderr, "sqlite integrity check: %s\n", check.Col(0).c_str());
        }
    }
    f.Check = MsSince(t0);

    t0 = Clock::now();
    {
        std::FILE* out = std::fopen((dir + "/bench_sqlite_export.txt").c_str(), "wb");
        if (!out)
            return false;
        std::fputs("QSO_LOG:\r\n", out);
        const char* const kScans[] = {"SELECT * FROM qsolog ORDER BY rowid",
                                      "SELECT * FROM qso_text ORDER BY rowid"};
        for (int scan = 0; scan < 2; ++scan) {
            TStmt all(db, kScans[scan]);
            const int n = sqlite3_column_count(all.get());
            while (all.Step() == SQLITE_ROW) {
                std::string line;
                for (int i = 0; i < n; ++i) {
                    const std::string v = all.Col(i);
                    line += v.empty() ? "-" : v;
                    line += '|';
                }
                line = TRecordText::UpperAZ(line) + "TAIL:0\r\n";
                std::fputs(line.c_str(), out);
                ++f.Exported;
            }
            if (scan == 0)
                std::fputs("QSO_TEXT:\r\n", out);
        }
        std::fclose(out);
    }
    f.Export = MsSince(t0);
    sqlite3_close(db);
    return true;
}

void Line(const char* task, double ours, double theirs) {
    std::printf("| %-40s | %12.1f | %12.1f | %8.2f |\n", task, ours, theirs,
                theirs > 0 ? ours / theirs : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s DIRECTORY [CONTACTS]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    int32_t count = 20000;
    if (argc == 3 && (!TRecordText::TryStrToInt(argv[2], count) || count < 1)) {
        std::fprintf(stderr, "CONTACTS must be a positive whole number\n");
        return 2;
    }
    if (!fs::is_directory(dir)) {
        std::fprintf(stderr, "%s is not a directory\n", dir.c_str());
        return 2;
    }
    // The log's schema script, next to this source unless TRAMB_SCHEMA names it.
    const char* script = std::getenv("TRAMB_SCHEMA");
    const std::string schemaPath =
        script ? script : (fs::path(__FILE__).parent_path() / "../data/schema.sql").string();
    const std::string schema = ReadText(schemaPath);
    if (schema.empty()) {
        std::fprintf(stderr, "cannot read the schema script (set TRAMB_SCHEMA)\n");
        return 1;
    }

    std::mt19937 rng(20240611);
    const std::vector<TContact> contacts = MakeContacts(count, rng);
    const std::vector<std::string> calls = MakeCalls();
    const int stationReads = 1000;
    const int dayLoads = 200;
    std::vector<std::string> stations;
    for (int i = 0; i < stationReads; ++i) stations.push_back(calls[rng() % calls.size()]);
    std::vector<std::string> days;
    const int lastDay = static_cast<int>(static_cast<int64_t>(count - 1) * kDays / count);
    for (int i = 0; i < dayLoads; ++i)
        days.push_back(DateOfDay(static_cast<int>(rng() % (lastDay + 1))));

    TFigures ours, sqlite;
    if (!RunOurs(dir, contacts, stations, days, schema, ours))
        return 1;
    if (!RunSqlite(dir, contacts, stations, days, sqlite))
        return 1;

    std::printf("%d contacts, %d distinct calls over five years, directory %s\n", count,
                kDistinctCalls, dir.c_str());
    std::printf("| %-40s | %12s | %12s | %8s |\n", "task (ms)", "Tramb", "SQLite", "ratio");
    std::printf("|%s|%s|%s|%s|\n", std::string(42, '-').c_str(), std::string(14, '-').c_str(),
                std::string(14, '-').c_str(), std::string(10, '-').c_str());
    Line(("store " + std::to_string(count) + " contacts").c_str(), ours.Store, sqlite.Store);
    Line("  per contact", ours.Store / count, sqlite.Store / count);
    Line(("read all contacts of " + std::to_string(stationReads) + " stations").c_str(),
         ours.Station, sqlite.Station);
    Line(("LoadDay of " + std::to_string(dayLoads) + " days").c_str(), ours.Day, sqlite.Day);
    Line("integrity check", ours.Check, sqlite.Check);
    Line("export", ours.Export, sqlite.Export);
    std::printf("rows read: stations %ld / %ld, days %ld / %ld, exported %ld / %ld\n",
                ours.StationRows, sqlite.StationRows, ours.DayRows, sqlite.DayRows, ours.Exported,
                sqlite.Exported);
    const bool same = ours.StationRows == sqlite.StationRows && ours.DayRows == sqlite.DayRows &&
                      ours.Exported == sqlite.Exported;
    if (!same)
        std::printf("WARNING: the two databases did not return the same rows\n");
    for (const char* name :
         {"/bench_tramb.sib", "/bench_tramb_export.txt", "/bench_sqlite.db", "/bench_sqlite.db-wal",
          "/bench_sqlite.db-shm", "/bench_sqlite_export.txt"}) {
        std::error_code ec;
        fs::remove(dir + name, ec);
    }
    return same ? 0 : 1;
}
