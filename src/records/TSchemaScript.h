// A script of SQL data-definition statements, one statement ending where a
// line ends with ";" (the ";" is not part of it), carried out one by one
// through TSQLStatement. The log's own script (data/schema.sql) creates the
// six tables below, in this order, into the free slots 5 to 10.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TSchemaScript {
  public:
    struct TLogTable {
        const char* Name;
        uint32_t TableID;
    };
    // The tables of the log and the IDs the rest of the system relies on
    // (the administration window's diagnostics look at table 5).
    static constexpr std::array<TLogTable, 6> kLogTables = {{{"HAMCLS", 5},
                                                             {"QSOLOG", 6},
                                                             {"QSO_DATE_INDEX", 7},
                                                             {"QSO_TEXT", 8},
                                                             {"SYSTEM_SETTINGS", 9},
                                                             {"SEQUENCES", 10}}};

    // The statements of the script, each without its ";"; lines keep their
    // line breaks (LF), trailing CRs are dropped, blank statements skipped.
    static std::vector<std::string> Split(const std::string& script);

    // Carries out every statement in order and stops at the first that fails.
    // 0 when all were carried out; otherwise 999 with failedIndex (from 0) and
    // the statement's error text (never empty). carriedOut counts the
    // statements that succeeded before.
    static int32_t Run(const std::string& script, int& carriedOut, int& failedIndex,
                       std::string& error);
};
