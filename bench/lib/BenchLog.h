// The logs the benchmark works on: the same contacts in our database file
// and in an SQLite database, five years of them ending today.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace Bench {

struct TContact {
    std::string Date, Call, Start, End, Frequency, Mode, Zone, Country, Grid;
    int32_t Power = 0, SentRST = 0, RcvdRST = 0;
};

constexpr int kDistinctCalls = 2000;
constexpr int kDays = 5 * 365 + 1;

// "mm/dd/yyyy" of the day daysBack days before today (local time).
std::string DateBack(int daysBack);
std::vector<std::string> MakeCalls();
// count contacts, days in order from five years ago to today, calls at random.
std::vector<TContact> MakeContacts(int count, std::mt19937& rng);

// A new log file at path with the log's tables, holding the contacts, stored
// in one write batch. Stops early when the file is full; answers the number
// stored, -1 when the file could not be made.
int BuildOurLog(const std::string& path, const std::string& schema,
                const std::vector<TContact>& contacts);

// The SQLite counterpart (WAL, synchronous=FULL), contacts stored in one
// transaction. nullptr on failure; the caller closes it.
sqlite3* BuildSqliteLog(const std::string& path, const std::vector<TContact>& contacts);
bool Exec(sqlite3* db, const char* sql);

class TStmt {
public:
    TStmt(sqlite3* db, const char* sql);
    ~TStmt();
    sqlite3_stmt* get() const { return st_; }
    void Text(int i, const std::string& s);
    void Int(int i, int64_t v);
    int Step() { return sqlite3_step(st_); }
    void Reset();
    std::string Col(int i);

private:
    sqlite3_stmt* st_ = nullptr;
};

// Our statements of the log on an SQLite database.
struct TSqliteLog {
    static constexpr size_t kTextPiece = 249;  // as our text table's pieces
    explicit TSqliteLog(sqlite3* database);
    sqlite3* db;
    TStmt seqGet, seqPut, log, idx, text;
    int64_t NextNumber(int table);
    // The QSOLOG row with its number and the date-index row; the number or -1.
    int64_t Insert(const TContact& c);
    // One contact stored as the log window stores it, text included, in one
    // transaction.
    bool Save(const TContact& c, const std::string& body);
};

}  // namespace Bench
