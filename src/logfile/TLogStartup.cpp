#include "logfile/TLogStartup.h"

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "logfile/TLogBackups.h"
#include "logfile/TLogRoom.h"

std::string TLogStartup::KeepBackup(const std::string& logPath, std::time_t now) {
    if (TDbKernel::Base() == nullptr || TDbKernel::MapSize() != DbFormat::kDbFileSize)
        return std::string();
    std::string made;
    std::string error;
    if (TLogBackups(logPath).SaveImage(TDbKernel::Base(), DbFormat::kDbFileSize, now, made, error))
        return std::string();
    return "The backup copy of the database could not be made (" + error +
           "). Logging goes on without it.";
}

std::string TLogStartup::RestoreHint(const std::string& logPath) {
    const TLogBackups backups(logPath);
    const std::string newest = backups.Newest();
    if (newest.empty())
        return "No backup of the database was found in " + backups.Folder() + ".";
    return "The newest backup of the database is " + newest +
           ". To restore it, close this program and run: tramb-db --file " + logPath + " restore " +
           newest;
}

std::string TLogStartup::LowRoomWarning() {
    TLogRoom room;
    std::string error;
    if (!room.Measure(error) || room.Contacts >= TLogRoom::kLowRoom)
        return std::string();
    return "The database file has room for only " + std::to_string(room.Contacts) +
           " more contacts. Close this program and run 'tramb-db compact' to regain the room "
           "of deleted contacts, or start a new log.";
}
