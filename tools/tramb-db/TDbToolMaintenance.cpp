// tramb-db backup, restore, compact and room: the log-file maintenance
// commands. They open the log themselves (under its lock), not through
// TDbTool::OpenExisting; compact opens it first for the damage guard only.
#include <ctime>
#include <iostream>

#include "TDbTool.h"
#include "logfile/TLogMaintenance.h"
#include "logfile/TLogRoom.h"

int TDbTool::Backup(const std::vector<std::string>& args) {
    if (args.size() > 1 || (args.size() == 1 && args[0].empty()))
        return UsageError("backup takes at most one DIR");
    TLogMaintenance m(path_);
    std::string made;
    if (!m.Backup(args.empty() ? std::string() : args[0], std::time(nullptr), made))
        return Fail(m.Error);
    std::cout << "backup written: " << made << "\n";
    return kExitOK;
}

int TDbTool::Restore(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty())
        return UsageError("restore takes one FILE");
    TLogMaintenance m(path_);
    std::string kept;
    if (!m.Restore(args[0], std::time(nullptr), kept))
        return Fail(m.Error);
    std::cout << "restored " << path_ << " from " << args[0] << "\n";
    if (!kept.empty())
        std::cout << "the replaced log was kept as " << kept << "\n";
    return kExitOK;
}

int TDbTool::Compact(const std::vector<std::string>& args) {
    if (!args.empty())
        return UsageError("compact takes no arguments");
    // The guard needs the file open; compaction opens it itself, under its lock.
    if (!OpenExisting() || RefuseDamaged() || !Shutdown())
        return kExitFailed;
    TLogMaintenance m(path_);
    TLogMaintenance::TCompaction c;
    if (!m.Compact(std::time(nullptr), c))
        return Fail(m.Error);
    std::cout << "backup written: " << c.Backup << "\n"
              << "room before: " << c.RoomBefore << " contacts\n"
              << "room after: " << c.RoomAfter << " contacts\n"
              << c.RowsKept << " rows kept, " << c.RowsDropped << " deleted rows dropped\n";
    return kExitOK;
}

int TDbTool::Room(const std::vector<std::string>& args) {
    if (!args.empty())
        return UsageError("room takes no arguments");
    TLogMaintenance m(path_);
    TLogRoom room;
    if (!m.MeasureRoom(room))
        return Fail(m.Error);
    std::cout << room.Report();
    return kExitOK;
}
