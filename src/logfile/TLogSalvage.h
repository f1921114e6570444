// Copies what can still be read of a damaged log into a new log file: every
// contact with its date-index row (rebuilt when it is missing or unreadable),
// every text piece and every setting, keeping their numbers, with the
// sequences going on after the highest number found. Rows are read with the
// kernel's salvage scan, which walks the data pages past damage; they are
// written into the new file through the ordinary row writes, so its buckets
// and chains are built anew and sound.
//
// The damaged file is never written: its rows are read from a private copy.
// The new file is built beside the target under a temporary name, checked,
// and only then given the target's name, which must not exist.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TLogSalvage {
public:
    TLogSalvage(std::string source, std::string target)
        : source_(std::move(source)), target_(std::move(target)) {}

    // Builds the target with the log's schema script (the one `init` runs).
    // False, with Error set and no target made, on any failure.
    bool Run(const std::string& schemaScript);

    uint64_t Contacts = 0;  // contacts saved
    uint64_t Texts = 0;     // text pieces saved
    uint64_t Settings = 0;  // settings saved
    uint64_t Damaged = 0;   // slots of the five tables that could not be read
    std::string Error;

private:
    using TRow = std::vector<std::string>;  // values by column position
    using TRows = std::vector<TRow>;

    // Reads the open (copied) source database.
    void ReadSource();
    // Creates, fills and checks the new database at path.
    bool Build(const std::string& path, const std::string& schemaScript);
    // Each contact's date-index row: the readable one carrying its number,
    // date and call, else one made from the contact.
    TRows IndexRows() const;
    // The settings, a name read twice (a lost bucket lets a save append
    // instead of overwrite) only in its later row, the one saved last.
    TRows LatestSettings() const;
    // The last number handed out: the highest of every number in use and of
    // the old sequences of the log and its date index; -1 when there is none.
    int64_t LastNumber() const;
    // Writes the rows into the table of the open new database: the number
    // written (a row without a key value is counted damaged instead), -1
    // when the table cannot take rows.
    int64_t Write(const char* table, const TRows& rows);

    std::string source_, target_;
    TRows contacts_, index_, texts_, settings_, sequences_;
    uint32_t sourceLogID_ = 0, sourceIndexID_ = 0;
};
