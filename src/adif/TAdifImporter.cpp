#include "adif/TAdifImporter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "adif/TAdifLog.h"
#include "adif/TAdifMapping.h"
#include "adif/TAdifReader.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TWriteBatch.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TRecordText.h"

namespace {

bool ReadFile(const std::string& name, std::string& text, std::string& error) {
    std::ifstream in(name, std::ios::binary);
    if (!in) {
        error = "cannot open " + name + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) {
        error = "cannot read " + name;
        return false;
    }
    text = ss.str();
    return true;
}

bool TableInUse(const char* name) {
    const uint32_t id = DbKernel->GetTableIDFromName(name);
    return id != DbFormat::kNoTableID && DbKernel->CreateEmptyFieldsObject(id, 0) != nullptr;
}

}  // namespace

std::string TAdifImporter::Label(const TAdifRecord& record) {
    const std::string call = TRecordText::Trim(record.Value("CALL"));
    return "record " + std::to_string(record.Number) + (call.empty() ? "" : " (" + call + ")");
}

int32_t TAdifImporter::Import(const std::string& fileName, TAdifImportSummary& s) {
    s = TAdifImportSummary();
    Error.clear();
    keys_.clear();
    rejected_.clear();
    duplicates_.clear();
    changed_.clear();
    if (!DbKernel || !TDbKernel::Base()) {
        Error = "no log is open";
        return kFailed;
    }
    for (const char* table :
         {TQSOs::kLogTable, TQSOs::kDateIndexTable, TQSOs::kSequencesTable, TQSOMemos::kTable}) {
        if (!TableInUse(table)) {
            Error = std::string("the log has no table ") + table;
            return kFailed;
        }
    }
    std::string text;
    if (!ReadFile(fileName, text, Error))
        return kFailed;
    TAdifReader reader;
    reader.Parse(text);
    text.clear();

    TWriteBatch::Commit();  // the scan reads the file directly
    std::vector<TQSO> stored;
    if (!TAdifLog::StoredContacts(stored)) {
        Error = "the log's contacts cannot be read (a damaged chain: run the database check)";
        return kFailed;
    }
    for (const TQSO& q : stored) keys_.insert(TAdifMapping::DuplicateKey(q));
    stored.clear();
    const std::vector<int> widths = TAdifLog::ColumnWidths();

    s.Read = static_cast<int>(reader.Records.size());
    contactsLeft_ = piecesLeft_ = 0;
    std::unique_ptr<TWriteBatch> batch;
    int inBatch = 0;
    for (size_t i = 0; i < reader.Records.size(); ++i) {
        const TAdifRecord& record = reader.Records[i];
        if (!batch)
            batch = std::make_unique<TWriteBatch>();
        const size_t notesBefore = changed_.size();
        const TOutcome outcome = ImportRecord(record, widths);
        if (outcome == TOutcome::kFull) {
            s.Full = true;
            s.StoppedAt = record.Number;
            changed_.resize(notesBefore);
            break;
        }
        if (outcome == TOutcome::kImported) {
            ++s.Imported;
            s.Changed += static_cast<int>(changed_.size() - notesBefore);
        } else {
            changed_.resize(notesBefore);  // nothing of it was stored
            ++(outcome == TOutcome::kDuplicate ? s.Duplicates : s.Rejected);
        }
        if (++inBatch == kContactsPerBatch) {
            batch.reset();  // committed: on the disk
            inBatch = 0;
        }
        const int done = static_cast<int>(i + 1);
        if (Progress && !Progress(done, s.Read) && done < s.Read) {
            s.Cancelled = true;
            s.StoppedAt = reader.Records[i + 1].Number;
            break;
        }
    }
    batch.reset();
    s.ReportFile = fileName + kReportSuffix;
    WriteReport(fileName, s);
    return kOK;
}

TAdifImporter::TOutcome TAdifImporter::ImportRecord(const TAdifRecord& record,
                                                    const std::vector<int>& widths) {
    TQSO q;
    std::string text, reason;
    std::vector<std::string> notes;
    if (!TAdifMapping::FromRecord(record, widths, q, text, reason, notes)) {
        rejected_.push_back(Label(record) + ": " + reason);
        return TOutcome::kRejected;
    }
    const std::string key = TAdifMapping::DuplicateKey(q);
    if (keys_.count(key)) {
        duplicates_.push_back(Label(record) + ": " + q.QSODate + " " + q.StartTime +
                              " is already in the log");
        return TOutcome::kDuplicate;
    }
    if (CountryOf)
        TAdifMapping::FillCountry(q, widths, CountryOf);
    for (const std::string& note : notes) changed_.push_back(Label(record) + ": " + note);
    const TOutcome outcome = Store(q, text, record.Number);
    if (outcome == TOutcome::kImported)
        keys_.insert(key);
    return outcome;
}

TAdifImporter::TOutcome TAdifImporter::Store(const TQSO& q, const std::string& text, int number) {
    // The contact, its index row and its text reach the disk together.
    const TWriteBatch batch;
    TQSOs qsos;
    if (!HasRoom(text.empty() ? 0 : TQSOMemos::PieceCount(text)))
        return TOutcome::kFull;
    TQSO* added = qsos.AddQSO(q.QSODate, q.Call, q.StartTime, q.EndTime, q.Frequency, q.Power,
                              q.Mode, q.SentRST, q.RcvdRST, q.RcvdQSL, q.SentQSL, q.LogID, q.Zone,
                              q.Country, q.County, q.Grid, q.QSLManager, q.ColLayoutType,
                              q.Contest1, q.Contest2, q.Contest3, q.Contest4);
    if (!added) {
        rejected_.push_back("record " + std::to_string(number) + " (" + q.Call +
                            "): the contact could not be stored");
        return TOutcome::kRejected;
    }
    if (!text.empty()) {
        TQSOMemos memos;
        if (memos.SaveText(added->QSOID, text) != 0) {
            // Without its text the contact is not kept either.
            qsos.DeleteQSO(*added);
            return TOutcome::kFull;
        }
    }
    return TOutcome::kImported;
}

bool TAdifImporter::HasRoom(size_t pieces) {
    if (contactsLeft_ == 0 || pieces > piecesLeft_) {
        contactsLeft_ = piecesLeft_ = 0;
        auto id = [](const char* table) { return DbKernel->GetTableIDFromName(table); };
        const uint32_t blockPieces =
            std::max<uint32_t>(kBlockPieces, static_cast<uint32_t>(pieces));
        // Two sequence rows, in case the log has drawn no number yet.
        if (DbKernel->HasRoomForRows({{id(TQSOs::kSequencesTable), 2},
                                      {id(TQSOs::kLogTable), kBlockContacts},
                                      {id(TQSOs::kDateIndexTable), kBlockContacts},
                                      {id(TQSOMemos::kTable), blockPieces}})) {
            contactsLeft_ = kBlockContacts;
            piecesLeft_ = blockPieces;
        } else if (!TQSOs().HasRoomForContact(pieces)) {
            return false;
        } else {
            return true;  // this one fits; the next is asked for again
        }
    }
    --contactsLeft_;
    piecesLeft_ -= static_cast<uint32_t>(pieces);
    return true;
}

void TAdifImporter::WriteReport(const std::string& fileName, TAdifImportSummary& s) const {
    std::FILE* out = std::fopen(s.ReportFile.c_str(), "wb");
    if (!out)
        return;
    std::string report = "ADIF import of " + fileName + "\r\n";
    TAdifImportSummary counts = s;
    counts.ReportFile.clear();
    report += counts.Text() + "\r\n";
    auto section = [&report](const char* heading, const std::vector<std::string>& lines) {
        if (lines.empty())
            return;
        report += std::string("\r\n") + heading + "\r\n";
        for (const std::string& line : lines) report += line + "\r\n";
    };
    section("Rejected records:", rejected_);
    section("Skipped as duplicates:", duplicates_);
    section("Values cut or replaced:", changed_);
    const bool written = std::fwrite(report.data(), 1, report.size(), out) == report.size();
    s.ReportWritten = std::fclose(out) == 0 && written;
}
