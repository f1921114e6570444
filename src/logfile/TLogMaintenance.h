// The maintenance operations on a log file: backup, restore, compaction and
// the room report. Each holds the log's exclusive lock from start to end and
// replaces the log only by renaming a whole, fsynced and checked new file
// over it, so a crash at any moment leaves the old or the new file whole.
// Every failure leaves the log as it was and explains itself in Error.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "logfile/TLogRoom.h"

class TLogMaintenance {
public:
    // The exact refusal of a damaged backup (the file name follows).
    static constexpr const char* kDamagedBackup = "the backup fails the integrity check: ";
    static constexpr const char* kDamagedLog =
        "the log fails the integrity check; restore a backup or export the log first: ";

    explicit TLogMaintenance(std::string logPath) : log_(std::move(logPath)) {}

    // A checked copy of the log in folder (empty: "backups" beside the log).
    bool Backup(const std::string& folder, std::time_t when, std::string& made);
    // Replaces the log with a checked copy of file; the replaced log is kept
    // as a backup (keptAs, empty when there was no log).
    bool Restore(const std::string& file, std::time_t when, std::string& keptAs);

    struct TCompaction {
        std::string Backup;  // the copy of the log taken first
        int64_t RoomBefore = 0;
        int64_t RoomAfter = 0;
        uint64_t RowsKept = 0;
        uint64_t RowsDropped = 0;
    };
    // Rewrites the log with its live rows only.
    bool Compact(std::time_t when, TCompaction& result);
    // The room of the log.
    bool MeasureRoom(TLogRoom& room);

    std::string Error;

private:
    // Runs work with the file open in the kernel; false when the file is not
    // a database, cannot be opened, or work answers false.
    bool WithDatabase(const std::string& path, const std::function<bool()>& work);
    // Whether the open database passes the integrity check.
    static bool Sound();
    std::string TempPath(const char* what) const { return log_ + "." + what + ".tmp"; }

    std::string log_;
};
