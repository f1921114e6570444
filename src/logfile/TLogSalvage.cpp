#include "logfile/TLogSalvage.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TWriteBatch.h"
#include "logfile/TLogFileLock.h"
#include "logfile/TSparseFile.h"
#include "records/TDbSystemSettings.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TRecordText.h"
#include "records/TSchemaScript.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"

namespace {
// Positions of QSO_TEXT and SEQUENCES rows.
constexpr int kTextNumber = 0;
constexpr int kSequenceTable = 0;
constexpr int kSequenceLast = 1;

// Live rows of a table of the open database (0 when it is missing).
int32_t LiveRows(const char* table) {
    std::vector<std::string> none;
    int32_t deleted = 0;
    return DbKernel->RawScanTable(0, DbKernel->GetTableIDFromName(table), deleted, none, 1);
}

void Largest(const std::string& text, int64_t& last) {
    int32_t n = 0;
    if (TRecordText::TryStrToInt(text, n))
        last = std::max<int64_t>(last, n);
}

// Removes a temporary file when it goes out of scope.
struct TTempFile {
    std::string Path;
    ~TTempFile() {
        std::error_code ec;
        std::filesystem::remove(Path, ec);
    }
};
}  // namespace

bool TLogSalvage::Run(const std::string& schemaScript) {
    Contacts = Texts = Settings = Damaged = 0;
    struct stat st {};
    if (::lstat(target_.c_str(), &st) == 0) {
        Error = target_ + " already exists; salvage never overwrites a file";
        return false;
    }
    if (::stat(source_.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        Error = "no database file " + source_;
        return false;
    }
    if (static_cast<uint64_t>(st.st_size) != DbFormat::kDbFileSize) {
        Error = source_ + " is not a Tramb database (" + std::to_string(st.st_size) + " bytes)";
        return false;
    }
    // The damaged file is read through a copy taken under its lock, so no
    // open, flush or close of the kernel ever touches it.
    const TTempFile copy{target_ + ".source.tmp"};
    {
        TLogFileLock lock;
        if (!lock.Lock(source_, Error) || !TSparseFile::Copy(source_, copy.Path, Error))
            return false;
    }
    {
        TDatabase db;
        if (db.StartDatabase(copy.Path) != 0 || TDbKernel::Base() == nullptr) {
            Error = "cannot open the database " + source_;
            return false;
        }
        ReadSource();
        db.ShutdownDatabase(copy.Path);
    }
    const TTempFile made{target_ + ".salvage.tmp"};
    std::error_code ec;
    std::filesystem::remove(made.Path, ec);
    if (!Build(made.Path, schemaScript))
        return false;
    // link() gives the new file its name only when that name is still free.
    if (::link(made.Path.c_str(), target_.c_str()) != 0) {
        Error = "cannot create " + target_ + ": " + std::strerror(errno);
        return false;
    }
    return TSparseFile::SyncFolder(TSparseFile::FolderOf(target_), Error);
}

void TLogSalvage::ReadSource() {
    const std::pair<const char*, TRows*> tables[] = {{TQSOs::kLogTable, &contacts_},
                                                     {TQSOs::kDateIndexTable, &index_},
                                                     {TQSOMemos::kTable, &texts_},
                                                     {TDbSystemSettings::kTable, &settings_},
                                                     {TQSOs::kSequencesTable, &sequences_}};
    for (const auto& [name, rows] : tables) {
        const uint32_t id = DbKernel->GetTableIDFromName(name);
        if (id == DbFormat::kNoTableID)
            continue;
        const TDbKernel::TSalvageCounts counts =
            DbKernel->SalvageScanTable(id, [rows = rows](const TDBFields& fields, uint32_t) {
                TRow row;
                for (int i = 0; i < fields.Count(); ++i) {
                    if (static_cast<uint32_t>(fields.GetField(i)->DataType) == DbFormat::kTypeFree)
                        break;
                    row.push_back(fields.GetField(i)->Value);
                }
                rows->push_back(std::move(row));
            });
        Damaged += static_cast<uint64_t>(counts.Damaged);
    }
    sourceLogID_ = DbKernel->GetTableIDFromName(TQSOs::kLogTable);
    sourceIndexID_ = DbKernel->GetTableIDFromName(TQSOs::kDateIndexTable);
}

TLogSalvage::TRows TLogSalvage::IndexRows() const {
    TRows rows;
    std::vector<bool> used(index_.size(), false);
    for (const TRow& c : contacts_) {
        if (c.size() <= TQSOs::kColCall)
            continue;
        TRow made = {c[TQSOs::kColDate], c[TQSOs::kColNumber], c[TQSOs::kColCall]};
        for (size_t i = 0; i < index_.size(); ++i) {
            const TRow& x = index_[i];
            if (!used[i] && x.size() > TQSOs::kIdxCall &&
                x[TQSOs::kIdxNumber] == c[TQSOs::kColNumber] &&
                x[TQSOs::kIdxDate] == c[TQSOs::kColDate] &&
                TRecordText::UpperAZ(x[TQSOs::kIdxCall]) == c[TQSOs::kColCall]) {
                used[i] = true;
                made = x;
                break;
            }
        }
        rows.push_back(std::move(made));
    }
    return rows;
}

int64_t TLogSalvage::LastNumber() const {
    int64_t last = -1;
    for (const TRow& r : contacts_)
        if (!r.empty())
            Largest(r[TQSOs::kColNumber], last);
    for (const TRow& r : index_)
        if (r.size() > TQSOs::kIdxNumber)
            Largest(r[TQSOs::kIdxNumber], last);
    // A text whose contact was lost keeps its number from being handed out again.
    for (const TRow& r : texts_)
        if (!r.empty())
            Largest(r[kTextNumber], last);
    for (const TRow& r : sequences_)
        if (r.size() > kSequenceLast && (r[kSequenceTable] == std::to_string(sourceLogID_) ||
                                         r[kSequenceTable] == std::to_string(sourceIndexID_)))
            Largest(r[kSequenceLast], last);
    return last;
}

bool TLogSalvage::Write(const char* table, const TRows& rows) {
    TDBResultSet rs;
    if (rs.Open(table, "", "") >= 999)
        return false;
    for (const TRow& row : rows) {
        if (rs.AppendRow() >= 999 || !rs.CurrentFields)
            return false;
        TDBFields& f = *rs.CurrentFields;
        for (size_t i = 0; i < row.size() && static_cast<int>(i) < f.Count(); ++i) {
            if (static_cast<uint32_t>(f.GetField(static_cast<int>(i))->DataType) ==
                DbFormat::kTypeFree)
                break;
            f.GetField(static_cast<int>(i))->Value = row[i];
        }
        rs.Post();  // a row that starts a chain answers 999 too: counted below
        TWriteBatch::CommitIfLarge();
    }
    return true;
}

bool TLogSalvage::Build(const std::string& path, const std::string& schemaScript) {
    TDatabase db;
    if (db.StartDatabase(path) != 0 || TDbKernel::Base() == nullptr) {
        Error = "cannot create the database " + path;
        return false;
    }
    int carriedOut = 0;
    int failed = -1;
    std::string why;
    bool ok = TSchemaScript::Run(schemaScript, carriedOut, failed, why) == 0;
    if (!ok)
        Error = "the schema script failed: " + why;
    db.Tables->Load();
    const TRows index = IndexRows();
    TRows sequences;
    if (const int64_t last = LastNumber(); last >= 0)
        for (const char* table : {TQSOs::kLogTable, TQSOs::kDateIndexTable})
            sequences.push_back(
                {std::to_string(DbKernel->GetTableIDFromName(table)), std::to_string(last)});
    if (ok) {
        const TWriteBatch batch;
        ok = Write(TQSOs::kLogTable, contacts_) && Write(TQSOs::kDateIndexTable, index) &&
             Write(TQSOMemos::kTable, texts_) && Write(TDbSystemSettings::kTable, settings_) &&
             Write(TQSOs::kSequencesTable, sequences);
    }
    if (ok) {
        Contacts = static_cast<uint64_t>(LiveRows(TQSOs::kLogTable));
        Texts = static_cast<uint64_t>(LiveRows(TQSOMemos::kTable));
        Settings = static_cast<uint64_t>(LiveRows(TDbSystemSettings::kTable));
        std::string report;
        ok = Contacts == contacts_.size() && Texts == texts_.size() &&
             LiveRows(TQSOs::kDateIndexTable) == static_cast<int32_t>(index.size()) &&
             DbKernel->CheckDatabase(report, 0) == 0;
        if (!ok)
            Error = "the new log did not come out whole (is the disk full?); nothing was made";
    } else if (Error.empty()) {
        Error = "the rows could not be written into the new log; nothing was made";
    }
    if (db.ShutdownDatabase(path) != 0 && ok) {
        Error = "closing the new log " + path + " failed";
        ok = false;
    }
    return ok;
}
