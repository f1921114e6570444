// The tables a log file holds and the columns the log relies on (the ones
// data/schema.sql creates): which are missing or malformed in the open
// database, and the creation of just the missing ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TLogTables {
public:
    struct TTable {
        const char* Name;
        // One word per column in position order: "I" integer, "Cn" at least
        // n characters; a trailing "P" marks the primary key, "M" the multi
        // key; no other column may be a key.
        const char* Columns;
        bool Logging;  // needed to log contacts (HAMCLS is not)
    };
    static const std::vector<TTable>& Tables();

    enum class TState { kSound, kMissing, kMalformed };
    static TState StateOf(const TTable& table);

    // The logging tables that are missing and those present without the
    // columns the log needs; true when there are none of either.
    static bool CheckLogging(std::vector<std::string>& missing,
                             std::vector<std::string>& malformed);
    // The operator's message about them: what is wrong and how to repair it.
    static std::string Problem(const std::vector<std::string>& missing,
                               const std::vector<std::string>& malformed);

    // Creates, from the schema script, the log's tables that are missing,
    // when every one present is sound. A SEQUENCES made anew continues the
    // numbers the stored contacts already carry. 0 (created lists the
    // tables made, possibly none) or 999 with error set.
    static int32_t CreateMissing(const std::string& script, std::vector<std::string>& created,
                                 std::string& error);

private:
    // The largest number in a column of a table's live rows; -1 when none.
    static int64_t LargestNumber(const char* table, int position);
    // Sets the table's sequence so that its next number follows last.
    static bool SetSequence(const char* table, int64_t last);
};
