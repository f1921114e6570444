// What the log window does about its file at start-up, after the integrity
// check and before anything is written: keep a backup of a sound file, point
// at the newest backup when the check fails, and warn when the file is
// nearly full. Each answers the message to show, empty when there is none.
#pragma once

#include <ctime>
#include <string>

class TLogStartup {
public:
    // Copies the open database (as the kernel maps it) into the log's
    // backups folder; the message when that failed.
    static std::string KeepBackup(const std::string& logPath, std::time_t now);
    // The second message after a failed check: the newest backup and the
    // command that restores it, or that there is none.
    static std::string RestoreHint(const std::string& logPath);
    // The warning when room is left for fewer than TLogRoom::kLowRoom contacts.
    static std::string LowRoomWarning();
};
