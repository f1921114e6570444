#include "logfile/TLogMaintenance.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TWriteBatch.h"
#include "logfile/TLockedLogFile.h"
#include "logfile/TLogBackups.h"
#include "logfile/TLogCompactor.h"
#include "logfile/TLogFileLock.h"
#include "logfile/TSparseFile.h"
#include "records/TLogCheck.h"
#include "schema/TDatabase.h"

namespace {
bool IsDatabaseFile(const std::string& path, std::string& error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "no database file " + path;
        return false;
    }
    if (static_cast<uint64_t>(st.st_size) != DbFormat::kDbFileSize) {
        error = path + " is not a Tramb database (" + std::to_string(st.st_size) +
                " bytes; a database file has " + std::to_string(DbFormat::kDbFileSize) + ")";
        return false;
    }
    return true;
}

// Live and deleted rows of every table of the open database.
void CountRows(uint64_t& live, uint64_t& deleted) {
    live = deleted = 0;
    for (uint32_t t = 1; t <= DbFormat::kLastAllocatableTableID; ++t) {
        int32_t d = 0;
        std::vector<std::string> none;
        live += static_cast<uint64_t>(DbKernel->RawScanTable(0, t, d, none, 1));
        deleted += static_cast<uint64_t>(d);
    }
}
}  // namespace

bool TLogMaintenance::WithDatabase(const std::string& path, const std::function<bool()>& work) {
    if (!IsDatabaseFile(path, Error))
        return false;
    TDatabase db;
    if (db.StartDatabase(path) != 0 || TDbKernel::Base() == nullptr) {
        Error = TDbKernel::StartError().empty()
                    ? "cannot open the database " + path + " (is it in use by another process?)"
                    : TDbKernel::StartError() + " (" + path + ")";
        return false;
    }
    bool ok = work();
    if (const std::string unwritten = TWriteBatch::TakeFlushError(); !unwritten.empty() && ok) {
        Error = unwritten + " (" + path + ")";
        ok = false;
    }
    if (db.ShutdownDatabase(path) != 0 && ok) {
        Error = "closing the database " + path + " failed";
        ok = false;
    }
    return ok;
}

bool TLogMaintenance::Sound() {
    std::string report;
    return DbKernel != nullptr && TLogCheck::Run(*DbKernel, report) == 0;
}

bool TLogMaintenance::MeasureRoom(TLogRoom& room) {
    return WithDatabase(log_, [&] { return room.Measure(Error); });
}

bool TLogMaintenance::Backup(const std::string& folder, std::time_t when, std::string& made) {
    TLogFileLock lock;
    if (!IsDatabaseFile(log_, Error) || !lock.Lock(log_, Error))
        return false;
    TLockedLogFile::TInstalled locked(log_);
    TLogBackups backups(log_, folder);
    return WithDatabase(log_, [&] {
        if (!Sound()) {
            Error = kDamagedLog + log_;
            return false;
        }
        return backups.SaveImage(TDbKernel::Base(), DbFormat::kDbFileSize, when, made, Error);
    });
}

bool TLogMaintenance::Restore(const std::string& file, std::time_t when, std::string& keptAs) {
    keptAs.clear();
    TLogFileLock lock;
    std::error_code ec;
    const bool hadLog = std::filesystem::exists(log_, ec);
    if (hadLog && !lock.Lock(log_, Error))
        return false;
    if (!IsDatabaseFile(file, Error))
        return false;
    // The backup is checked as the very bytes that will become the log.
    const std::string tmp = TempPath("restore");
    bool ok = TSparseFile::Copy(file, tmp, Error) && WithDatabase(tmp, [&] {
                  if (Sound())
                      return true;
                  Error = kDamagedBackup + file + "; the log was not changed";
                  return false;
              });
    if (ok && hadLog)
        ok = TLogBackups(log_).SaveCopyOf(log_, when, keptAs, Error);
    ok = ok && TSparseFile::Replace(tmp, log_, Error);
    if (!ok)
        std::filesystem::remove(tmp, ec);
    return ok;
}

bool TLogMaintenance::Compact(std::time_t when, TCompaction& result) {
    result = TCompaction{};
    TLogFileLock lock;
    if (!IsDatabaseFile(log_, Error) || !lock.Lock(log_, Error))
        return false;
    TLockedLogFile::TInstalled locked(log_);
    std::vector<uint8_t> image;
    TLogCompactor compactor;
    bool ok = WithDatabase(log_, [&] {
        TLogRoom room;
        if (!Sound()) {
            Error = kDamagedLog + log_;
            return false;
        }
        if (!room.Measure(Error) ||
            !TLogBackups(log_).SaveImage(TDbKernel::Base(), DbFormat::kDbFileSize, when,
                                         result.Backup, Error))
            return false;
        result.RoomBefore = room.Contacts;
        return compactor.Build(image, Error);
    });
    if (!ok)
        return false;
    result.RowsKept = compactor.RowsKept;
    result.RowsDropped = compactor.RowsDropped;
    const std::string tmp = TempPath("compact");
    ok = TSparseFile::WriteImage(tmp, image.data(), image.size(), Error);
    image = std::vector<uint8_t>();
    ok = ok && WithDatabase(tmp, [&] {
             uint64_t live = 0;
             uint64_t deleted = 0;
             CountRows(live, deleted);
             TLogRoom room;
             if (!Sound() || live != result.RowsKept || deleted != 0) {
                 Error = "the compacted file did not come out sound; the log was not changed";
                 return false;
             }
             if (!room.Measure(Error))
                 return false;
             result.RoomAfter = room.Contacts;
             return true;
         });
    ok = ok && TSparseFile::Replace(tmp, log_, Error);
    std::error_code ec;
    if (!ok)
        std::filesystem::remove(tmp, ec);
    return ok;
}
