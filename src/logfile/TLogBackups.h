// The backups of one log file: a folder (by default "backups" beside the log)
// holding sparse copies named by the UTC time they were taken,
// "<log name without extension>-YYYYMMDD-HHMMSS.sib", with "-2", "-3", …
// before ".sib" when a second copy is taken in the same second. The newest
// kKeep are kept; taking a backup removes the older ones.
//
// A backup is written under a ".part" name and renamed when it is whole, so
// a copy cut off by a crash is never listed as a backup.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

class TLogBackups {
public:
    static constexpr size_t kKeep = 10;
    static constexpr const char* kFolderName = "backups";
    static constexpr const char* kSuffix = ".sib";

    // folder empty: "backups" beside the log.
    explicit TLogBackups(const std::string& logPath, const std::string& folder = std::string());

    const std::string& Folder() const { return folder_; }
    // Full paths of this log's backups, oldest first.
    std::vector<std::string> List() const;
    // The newest backup's path; empty when there is none.
    std::string Newest() const;

    // Writes size bytes of image as the backup taken at when, then removes
    // all but the newest kKeep. False with error set on failure.
    bool SaveImage(const uint8_t* image, uint64_t size, std::time_t when, std::string& path,
                   std::string& error);
    // The same for a copy of a file.
    bool SaveCopyOf(const std::string& file, std::time_t when, std::string& path,
                    std::string& error);

private:
    // A free name for a backup taken at when, with the folder made.
    bool NewName(std::time_t when, std::string& path, std::string& error) const;
    bool Publish(const std::string& part, const std::string& path, std::string& error) const;
    void Rotate() const;

    std::string stem_;
    std::string folder_;
};
