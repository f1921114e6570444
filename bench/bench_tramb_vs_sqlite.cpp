// Our database and the log window measured side by side with SQLite (WAL,
// synchronous=FULL, one transaction per contact, indexes on the call sign
// and the date) and with an empty log, in one run; every figure with its
// ratio. Run with --help for the options.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "adif/TAdifImporter.h"
#include "adif/TAdifMapping.h"
#include "adif/TAdifWriter.h"
#include "kernel/TDbKernel.h"
#include "kernel/TWriteBatch.h"
#include "lib/BenchLog.h"
#include "lib/BenchWindow.h"
#include "platform/TDbFile.h"
#include "records/TLogCheck.h"
#include "records/TLogExport.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TRecordText.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"

namespace {

namespace fs = std::filesystem;
using namespace Bench;
using Clock = std::chrono::steady_clock;

constexpr const char* kUsage =
    "usage: bench_tramb_vs_sqlite [options] DIRECTORY\n"
    "\n"
    "Measures, each beside its yardstick in the same run:\n"
    "  - the log window's start-up and its reload of 180 days (CPU until idle,\n"
    "    peak memory; offscreen, one child process per case) on an empty log,\n"
    "    on a log of CONTACTS contacts over five years and on the largest log\n"
    "    the file holds, against the empty log;\n"
    "  - LoadDay (the contacts of one date) against SQLite's indexed query;\n"
    "  - reading all contacts of a station, the integrity check and the export\n"
    "    against SQLite; the integrity check of the largest log against one\n"
    "    second;\n"
    "  - saving a contact with its text, in DIRECTORY (put it on the real disk)\n"
    "    and in the scratch directory, against SQLite WAL synchronous=FULL,\n"
    "    with the flushes per save.\n"
    "\n"
    "  --contacts N   contacts of the middle log (20000)\n"
    "  --saves N      saves on the disk (100; ten times as many in scratch)\n"
    "  --runs N       window runs per case, the least CPU counts (2)\n"
    "  --scratch DIR  where the logs are built (/dev/shm)\n"
    "  --no-window    leave out the window\n"
    "  --only PARTS   run only these parts, a comma list of window, reads, saves\n"
    "  --keep DIR     build the logs in DIR and keep them; a later run with the\n"
    "                 same DIR and options on the same day uses them again\n"
    "  --adif N       records of the ADIF import, in scratch (20000; 0 leaves it out)\n"
    "  --help         this text\n";

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// The process's CPU time: on a shared machine the reads are compared by
// it, as waiting for a processor is no part of either side's work.
double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

std::string ReadText(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void Row(const std::string& task, double ours, double theirs, const char* goal) {
    std::printf("| %-46s | %10.2f | %10.2f | %6.2f | %-6s |\n", task.c_str(), ours, theirs,
                theirs > 0 ? ours / theirs : 0.0, goal);
}

void Header(const char* ours, const char* theirs) {
    std::printf("\n| %-46s | %10s | %10s | %6s | %-6s |\n", "task", ours, theirs, "ratio", "goal");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(48, '-').c_str(), std::string(12, '-').c_str(),
                std::string(12, '-').c_str(), std::string(8, '-').c_str(),
                std::string(8, '-').c_str());
}

struct TOptions {
    std::string Dir, Scratch = "/dev/shm", Keep;
    int32_t Contacts = 20000, Saves = 100, Runs = 2, Adif = 20000;
    bool Window = true, Reads = true, Writes = true;
};

bool ParseParts(const std::string& list, TOptions& o) {
    o.Window = o.Reads = o.Writes = false;
    std::stringstream in(list);
    std::string part;
    while (std::getline(in, part, ',')) {
        bool& flag = part == "window" ? o.Window : part == "reads" ? o.Reads : o.Writes;
        if (part != "window" && part != "reads" && part != "saves")
            return false;
        flag = true;
    }
    return true;
}

bool Parse(int argc, char** argv, TOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto number = [&](int32_t& out) {
            return i + 1 < argc && TRecordText::TryStrToInt(argv[++i], out) && out > 0;
        };
        if (a == "--contacts" ? !number(o.Contacts)
            : a == "--saves"  ? !number(o.Saves)
            : a == "--runs"   ? !number(o.Runs)
                              : false)
            return false;
        if (a == "--adif" && !(i + 1 < argc && TRecordText::TryStrToInt(argv[++i], o.Adif)))
            return false;
        if (a == "--adif")
            continue;
        if (a == "--scratch" && i + 1 < argc)
            o.Scratch = argv[++i];
        else if (a == "--keep" && i + 1 < argc)
            o.Keep = argv[++i];
        else if (a == "--only" && i + 1 < argc) {
            if (!ParseParts(argv[++i], o))
                return false;
        } else if (a == "--no-window")
            o.Window = false;
        else if (a.rfind("--", 0) != 0)
            o.Dir = a;
        else if (a != "--contacts" && a != "--saves" && a != "--runs")
            return false;
    }
    return !o.Dir.empty() && fs::is_directory(o.Dir) && fs::is_directory(o.Scratch) &&
           (o.Keep.empty() || fs::is_directory(o.Keep));
}

// Saves on a new log in dir: ours (each save in a write batch) and SQLite's.
void MeasureSaves(const std::string& dir, const std::string& schema, int saves,
                  const std::vector<TContact>& contacts, const char* where) {
    const std::string text = std::string(280, 'x') + " the text of the contact";
    const std::string ours = dir + "/bench_save.sib";
    if (BuildOurLog(ours, schema, {}) < 0)
        return;
    TDatabase db;
    db.StartDatabase(ours);
    const uint64_t flushes = TDbFile::FlushCount();
    auto t0 = Clock::now();
    for (int i = 0; i < saves; ++i) {
        const TContact& c = contacts[static_cast<size_t>(i) % contacts.size()];
        TWriteBatch batch;
        TQSOs qsos;
        TQSO* q =
            qsos.AddQSO(c.Date, c.Call, c.Start, c.End, c.Frequency, c.Power, c.Mode, c.SentRST,
                        c.RcvdRST, 0, 0, 0, c.Zone, c.Country, "", c.Grid, "", 0, "", "", "", "");
        TQSOMemos memos;
        if (q)
            memos.SaveText(q->QSOID, text);
    }
    const double oursMs = MsSince(t0) / saves;
    const double perSave = static_cast<double>(TDbFile::FlushCount() - flushes) / saves;
    db.ShutdownDatabase(ours);
    fs::remove(ours);

    const std::string theirs = dir + "/bench_save.db";
    sqlite3* s = BuildSqliteLog(theirs, {});
    double sqliteMs = 0;
    if (s) {
        TSqliteLog log(s);
        t0 = Clock::now();
        for (int i = 0; i < saves; ++i)
            log.Save(contacts[static_cast<size_t>(i) % contacts.size()], text);
        sqliteMs = MsSince(t0) / saves;
    }
    sqlite3_close(s);
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(theirs + suffix);
    Row(std::string("save with text, ms (") + where + ")", oursMs, sqliteMs, "<= 2");
    std::printf("| %-46s | %10.2f | %10s | %6s | %-6s |\n",
                (std::string("  flushes per save (") + where + ")").c_str(), perSave, "", "",
                "<= 5");
}

// LoadDay, station reads, check and export on the middle log.
void MeasureReads(const std::string& ourLog, const std::string& scratch,
                  const std::vector<TContact>& contacts, std::mt19937& rng) {
    const std::string sqlitePath = scratch + "/bench_reads.db";
    sqlite3* s = BuildSqliteLog(sqlitePath, contacts);
    if (!s)
        return;
    std::vector<std::string> days, stations;
    const std::vector<std::string> calls = MakeCalls();
    for (int i = 0; i < 200; ++i) days.push_back(contacts[rng() % contacts.size()].Date);
    for (int i = 0; i < 1000; ++i) stations.push_back(calls[rng() % calls.size()]);

    TDatabase db;
    db.StartDatabase(ourLog);
    long ourRows = 0, theirRows = 0;
    double c0 = CpuMs();
    double firstDay = 0;
    for (const std::string& day : days) {
        TQSOs qsos;
        qsos.LoadDay(day, day);
        ourRows += static_cast<long>(qsos.QSOs.size());
        if (firstDay == 0)
            firstDay = CpuMs() - c0;
    }
    const double oursDay = CpuMs() - c0;
    c0 = CpuMs();
    {
        TStmt byDate(s, "SELECT * FROM qsolog WHERE qso_date = ? ORDER BY rowid");
        for (const std::string& day : days) {
            byDate.Text(1, day);
            std::vector<TQSO> qsos;
            while (byDate.Step() == SQLITE_ROW) {
                TQSO q;
                q.QSOID = sqlite3_column_int(byDate.get(), 0);
                q.QSODate = byDate.Col(1);
                q.Call = byDate.Col(2);
                q.StartTime = byDate.Col(3);
                q.EndTime = byDate.Col(4);
                q.Frequency = byDate.Col(5);
                q.Mode = byDate.Col(7);
                q.Country = byDate.Col(14);
                qsos.push_back(std::move(q));
            }
            theirRows += static_cast<long>(qsos.size());
            byDate.Reset();
        }
    }
    const double sqliteDay = CpuMs() - c0;
    Row("LoadDay of 200 days, CPU ms", oursDay, sqliteDay, "<= 1.5");
    std::printf("| %-46s | %10.2f | %10s | %6s | %-6s |\n", "  of which the first", firstDay, "",
                "", "");
    if (ourRows != theirRows)
        std::printf("WARNING: LoadDay gave %ld rows, SQLite %ld\n", ourRows, theirRows);

    auto t0 = Clock::now();
    for (const std::string& call : stations) {
        TDBResultSet rs;
        rs.Open(TQSOs::kLogTable, call, call);
    }
    const double oursStation = MsSince(t0);
    t0 = Clock::now();
    {
        TStmt byCall(s, "SELECT * FROM qsolog WHERE call = ? ORDER BY rowid");
        for (const std::string& call : stations) {
            byCall.Text(1, call);
            while (byCall.Step() == SQLITE_ROW) {
            }
            byCall.Reset();
        }
    }
    Row("all contacts of 1000 stations, ms", oursStation, MsSince(t0), "");

    t0 = Clock::now();
    std::string report;
    TLogCheck::Run(*DbKernel, report);
    const double oursCheck = MsSince(t0);
    t0 = Clock::now();
    Exec(s, "PRAGMA integrity_check");
    Row("integrity check, ms", oursCheck, MsSince(t0), "");

    t0 = Clock::now();
    int32_t exported = 0;
    TLogExport::ExportToFile(scratch + "/bench_export.txt", exported);
    const double oursExport = MsSince(t0);
    t0 = Clock::now();
    {
        std::FILE* out = std::fopen((scratch + "/bench_sqlite_export.txt").c_str(), "wb");
        TStmt all(s, "SELECT * FROM qsolog ORDER BY rowid");
        const int n = sqlite3_column_count(all.get());
        while (out && all.Step() == SQLITE_ROW) {
            std::string line;
            for (int i = 0; i < n; ++i) line += all.Col(i) + "|";
            std::fputs(TRecordText::UpperAZ(line).append("TAIL:0\r\n").c_str(), out);
        }
        if (out)
            std::fclose(out);
    }
    Row("export, ms", oursExport, MsSince(t0), "");
    db.ShutdownDatabase(ourLog);
    sqlite3_close(s);
    for (const char* name : {"/bench_reads.db", "/bench_reads.db-wal", "/bench_reads.db-shm",
                             "/bench_export.txt", "/bench_sqlite_export.txt"})
        fs::remove(scratch + name);
}

// The log's integrity check of the largest log, against one second.
void MeasureFullCheck(const std::string& ourLog, int contacts) {
    TDatabase db;
    if (db.StartDatabase(ourLog) != 0)
        return;
    std::string report;
    const auto t0 = Clock::now();
    const int32_t status = TLogCheck::Run(*DbKernel, report);
    Row("integrity check, " + std::to_string(contacts) + " contacts, ms", MsSince(t0), 1000.0,
        "< 0.5");
    if (status != 0)
        std::printf("WARNING: the full log fails the check:\n%s\n", report.c_str());
    db.ShutdownDatabase(ourLog);
}

// An ADIF file of count contacts, each with a line of text, imported into
// an empty log (reading the file included), against SQLite storing the same
// contacts one transaction each.
void MeasureAdifImport(const std::string& dir, const std::string& schema, int count,
                       std::mt19937& rng) {
    const std::vector<TContact> contacts = MakeContacts(count, rng);
    const std::string text = "the text of the contact";
    const std::string file = dir + "/bench_import.adi";
    {
        std::ofstream out(file, std::ios::binary);
        out << TAdifWriter::Header("20240101 000000");
        for (const TContact& c : contacts) {
            TQSO q;
            q.QSODate = c.Date, q.Call = c.Call, q.StartTime = c.Start, q.EndTime = c.End;
            q.Frequency = c.Frequency, q.Power = c.Power, q.Mode = c.Mode;
            q.SentRST = c.SentRST, q.RcvdRST = c.RcvdRST, q.Zone = c.Zone;
            q.Country = c.Country, q.Grid = c.Grid;
            out << TAdifWriter::Record(TAdifMapping::ToFields(q, text));
        }
    }
    const std::string ours = dir + "/bench_import.sib";
    if (BuildOurLog(ours, schema, {}) < 0)
        return;
    TDatabase db;
    db.StartDatabase(ours);
    TAdifImporter importer;
    TAdifImportSummary summary;
    auto t0 = Clock::now();
    importer.Import(file, summary);
    const double oursMs = MsSince(t0);
    db.ShutdownDatabase(ours);
    fs::remove(ours);

    const std::string theirs = dir + "/bench_import.db";
    sqlite3* s = BuildSqliteLog(theirs, {});
    double sqliteMs = 0;
    if (s) {
        TSqliteLog log(s);
        t0 = Clock::now();
        for (const TContact& c : contacts) log.Save(c, text);
        sqliteMs = MsSince(t0);
    }
    sqlite3_close(s);
    for (const std::string& f :
         {file, file + TAdifImporter::kReportSuffix, theirs, theirs + "-wal", theirs + "-shm"})
        fs::remove(f);
    Row("ADIF import of " + std::to_string(count) + " records, ms", oursMs, sqliteMs, "<= 2");
    if (summary.Imported != count)
        std::printf("WARNING: %d of %d records imported\n", summary.Imported, count);
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows in a log file too
    if (argc == 4 && std::string(argv[1]) == "--window-child")
        return WindowChild(argv[2], argv[3]);
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    TOptions o;
    if (!Parse(argc, argv, o)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const char* script = std::getenv("TRAMB_SCHEMA");
    const std::string schema = ReadText(
        script ? script : (fs::path(__FILE__).parent_path() / "../data/schema.sql").string());
    if (schema.empty()) {
        std::fprintf(stderr, "cannot read the schema script (set TRAMB_SCHEMA)\n");
        return 1;
    }
    const std::string work =
        o.Keep.empty() ? o.Scratch + "/tramb-bench-" + std::to_string(::getpid()) : o.Keep;
    // Logs kept from an earlier run of the same day and size are used again.
    const std::string stamp = work + "/logs.txt";
    const std::string wanted = DateBack(0) + " " + std::to_string(o.Contacts);
    std::vector<int> sizes;
    int capacity = 0;
    if (!o.Keep.empty()) {
        std::istringstream kept(ReadText(stamp));
        std::string date, contacts;
        int empty = 0, middle = 0, full = 0;
        if (kept >> date >> contacts >> capacity >> empty >> middle >> full &&
            date + " " + contacts == wanted)
            sizes = {empty, middle, full};
    }
    std::mt19937 rng(20240611);
    const std::vector<TContact> mid = MakeContacts(o.Contacts, rng);
    // The largest log: as many contacts as the file holds, found by filling
    // a first file, then five years of that many ending today.
    std::vector<TContact> most = MakeContacts(200000, rng);
    fs::create_directories(work + "/full");
    if (sizes.empty())
        capacity = BuildOurLog(work + "/full/db_default.sib", schema, most);
    if (capacity > 0 && static_cast<size_t>(capacity) < most.size())
        most = MakeContacts(capacity, rng);
    const std::vector<std::pair<std::string, const std::vector<TContact>*>> logs = {
        {"empty", nullptr}, {"mid", &mid}, {"full", &most}};
    if (sizes.empty()) {
        for (const auto& [name, contacts] : logs) {
            fs::create_directories(work + "/" + name);
            const auto t0 = Clock::now();
            sizes.push_back(BuildOurLog(work + "/" + name + "/db_default.sib", schema,
                                        contacts ? *contacts : std::vector<TContact>{}));
            std::printf("log '%s': %d contacts, built in %.0f ms\n", name.c_str(), sizes.back(),
                        MsSince(t0));
            if (sizes.back() < 0)
                return 1;
        }
        std::ofstream(stamp) << wanted << " " << capacity << " " << sizes[0] << " " << sizes[1]
                             << " " << sizes[2] << "\n";
    }

    if (o.Window) {
        std::vector<TWindowFigures> f(logs.size());
        for (size_t i = 0; i < logs.size(); ++i) {
            if (!MeasureWindow(argv[0], work + "/" + logs[i].first, o.Runs, f[i])) {
                std::fprintf(stderr, "the window run on the %s log failed\n",
                             logs[i].first.c_str());
                return 1;
            }
        }
        Header("this log", "empty log");
        for (size_t i = 1; i < logs.size(); ++i) {
            const std::string n = std::to_string(sizes[i]) + " contacts";
            const char* goal = i == 1 ? "<= 2.5" : "<= 4";
            Row("window start-up CPU ms, " + n, f[i].StartCpuMs, f[0].StartCpuMs, goal);
            Row("  peak memory MB", f[i].StartRssKb / 1024.0, f[0].StartRssKb / 1024.0, "<= 2");
            Row("reload 180 days CPU ms, " + n, f[i].ReloadCpuMs, f[0].ReloadCpuMs, goal);
            Row("  peak memory MB", f[i].ReloadRssKb / 1024.0, f[0].ReloadRssKb / 1024.0, "<= 2");
        }
    }

    if (o.Reads || o.Writes)
        Header("Tramb", "SQLite");
    if (o.Reads) {
        MeasureReads(work + "/mid/db_default.sib", work, mid, rng);
        MeasureFullCheck(work + "/full/db_default.sib", sizes.back());
    }
    if (o.Writes) {
        MeasureSaves(o.Dir, schema, o.Saves, mid, "disk");
        MeasureSaves(work, schema, o.Saves * 10, mid, "scratch");
        if (o.Adif > 0)
            MeasureAdifImport(work, schema, o.Adif, rng);
    }
    std::error_code ec;
    if (o.Keep.empty())
        fs::remove_all(work, ec);
    return 0;
}
