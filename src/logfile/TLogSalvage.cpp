#include "logfile/TLogSalvage.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <unordered_map>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
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
// Positions in QSO_TEXT, SYSTEM_SETTINGS and SEQUENCES rows.
constexpr int kTextNumber = 0;
constexpr int kSettingName = 0;
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
    if (::stat(source_.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) != DbFormat::kDbFileSize) {
        Error = "no database file " + source_ + " (a file of " +
                std::to_string(DbFormat::kDbFileSize) + " bytes)";
        return false;
    }
    // The damaged file is read through a copy taken under its lock, so no
    // open, flush or close of the kernel ever touches it.
    {
        const TTempFile copy{target_ + ".source.tmp"};
        TLogFileLock lock;
        if (!lock.Lock(source_, Error) || !TSparseFile::Copy(source_, copy.Path, Error))
            return false;
        lock.Unlock();
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
    // link() gives the new file its name only when that name is still free;
    // where links are not supported (a FAT stick), a rename after a look.
    bool named = ::link(made.Path.c_str(), target_.c_str()) == 0;
    if (!named && errno != EEXIST && ::lstat(target_.c_str(), &st) != 0)
        named = std::rename(made.Path.c_str(), target_.c_str()) == 0;
    if (!named) {
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
    TDbKernel::TSalvagePages pages;  // the source is only read
    for (const auto& [name, rows] : tables) {
        const uint32_t id = DbKernel->GetTableIDFromName(name);
        if (id == DbFormat::kNoTableID)
            continue;
        const TDbKernel::TSalvageCounts counts = DbKernel->SalvageScanTable(
            id,
            [rows = rows](const TDBFields& fields, uint32_t) {
                TRow row;
                for (int i = 0; i < fields.Count(); ++i) {
                    if (static_cast<uint32_t>(fields.GetField(i)->DataType) == DbFormat::kTypeFree)
                        break;
                    row.push_back(fields.GetField(i)->Value);
                }
                rows->push_back(std::move(row));
            },
            &pages);
        Damaged += static_cast<uint64_t>(counts.Damaged);
    }
    sourceLogID_ = DbKernel->GetTableIDFromName(TQSOs::kLogTable);
    sourceIndexID_ = DbKernel->GetTableIDFromName(TQSOs::kDateIndexTable);
}

TLogSalvage::TRows TLogSalvage::IndexRows() const {
    std::unordered_map<std::string, std::vector<size_t>> byNumber;
    for (size_t i = 0; i < index_.size(); ++i)
        if (index_[i].size() > TQSOs::kIdxCall)
            byNumber[index_[i][TQSOs::kIdxNumber]].push_back(i);
    TRows rows;
    std::vector<bool> used(index_.size(), false);
    for (const TRow& c : contacts_) {
        if (c.size() <= TQSOs::kColCall || TrimText(c[TQSOs::kColCall]).empty() ||
            TrimText(c[TQSOs::kColDate]).empty())
            continue;
        TRow made = {c[TQSOs::kColDate], c[TQSOs::kColNumber], c[TQSOs::kColCall]};
        for (const size_t i : byNumber[c[TQSOs::kColNumber]]) {
            const TRow& x = index_[i];
            if (!used[i] && x[TQSOs::kIdxDate] == c[TQSOs::kColDate] &&
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

TLogSalvage::TRows TLogSalvage::LatestSettings() const {
    std::unordered_map<std::string, size_t> last;
    for (size_t i = 0; i < settings_.size(); ++i)
        if (!settings_[i].empty())
            last[UpperText(TrimText(settings_[i][kSettingName]))] = i;
    TRows rows;
    for (size_t i = 0; i < settings_.size(); ++i)
        if (!settings_[i].empty() && last[UpperText(TrimText(settings_[i][kSettingName]))] == i)
            rows.push_back(settings_[i]);
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

int64_t TLogSalvage::Write(const char* table, const TRows& rows) {
    TDBResultSet rs;
    if (rs.Open(table, "", "") >= 999)
        return -1;
    int64_t written = 0;
    for (const TRow& row : rows) {
        if (rs.AppendRow() >= 999 || !rs.CurrentFields)
            return -1;
        TDBFields& f = *rs.CurrentFields;
        for (size_t i = 0; i < row.size() && static_cast<int>(i) < f.Count(); ++i) {
            if (static_cast<uint32_t>(f.GetField(static_cast<int>(i))->DataType) ==
                DbFormat::kTypeFree)
                break;
            f.GetField(static_cast<int>(i))->Value = row[i];
        }
        // A row without a key value was never stored by the log: damage.
        const TDBFieldParent* key = f.GetField(DbKernelHelper->GetPrimaryKeyIndex(f));
        if (key == nullptr || TrimText(key->Value).empty()) {
            ++Damaged;
            continue;
        }
        rs.Post();  // a row that starts a chain answers 999 too: counted in Build
        ++written;
        TWriteBatch::CommitIfLarge();
    }
    return written;
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
    const TRows settings = LatestSettings();
    TRows sequences;
    if (const int64_t last = LastNumber(); last >= 0)
        for (const char* table : {TQSOs::kLogTable, TQSOs::kDateIndexTable})
            sequences.push_back(
                {std::to_string(DbKernel->GetTableIDFromName(table)), std::to_string(last)});
    // Each table's rows as written, checked against what the new file holds.
    const std::pair<const char*, const TRows*> tables[] = {{TQSOs::kLogTable, &contacts_},
                                                           {TQSOs::kDateIndexTable, &index},
                                                           {TQSOMemos::kTable, &texts_},
                                                           {TDbSystemSettings::kTable, &settings},
                                                           {TQSOs::kSequencesTable, &sequences}};
    int64_t written[std::size(tables)] = {};
    if (ok) {
        const TWriteBatch batch;
        for (size_t t = 0; t < std::size(tables) && ok; ++t)
            ok = (written[t] = Write(tables[t].first, *tables[t].second)) >= 0;
    }
    std::string report;
    for (size_t t = 0; t < std::size(tables) && ok; ++t)
        ok = LiveRows(tables[t].first) == written[t];
    if (ok && DbKernel->CheckDatabase(report, 0) != 0)
        ok = false;
    if (!ok && Error.empty())
        Error = "the new log did not come out whole (is the disk full?); nothing was made";
    Contacts = static_cast<uint64_t>(written[0]);
    Texts = static_cast<uint64_t>(written[2]);
    Settings = static_cast<uint64_t>(written[3]);
    if (db.ShutdownDatabase(path) != 0 && ok) {
        Error = "closing the new log " + path + " failed";
        ok = false;
    }
    return ok;
}
