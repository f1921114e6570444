// Imports the records of an ADI file into the open log, each as the log
// window stores a new contact: its number from the sequence, its date-index
// row, its text, in one write batch after the room check. Records that are
// no contacts are rejected, contacts the log already holds (same call,
// date, start time and band) skipped; both, and every value cut to fit,
// go to the report file beside the input.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "adif/TAdifImportSummary.h"
#include "adif/TAdifRecord.h"
#include "records/TQSO.h"

class TAdifImporter {
public:
    static constexpr int32_t kOK = 0;
    static constexpr int32_t kFailed = 999;
    static constexpr const char* kReportSuffix = ".import-report.txt";

    // The country of a call sign (given upper case) for a record without
    // COUNTRY; true when one was found. Unset: no lookup.
    std::function<bool(const std::string& call, std::string& country)> CountryOf;
    // Called after each record with the records done and their total;
    // false stops the import there (the current contact is complete).
    std::function<bool(int done, int total)> Progress;

    // kFailed, with the reason in Error and nothing stored, when the file
    // cannot be read, the log lacks a table or its contacts cannot be read.
    // Otherwise kOK and the counts in summary (a full log file included).
    int32_t Import(const std::string& fileName, TAdifImportSummary& summary);

    std::string Error;

private:
    enum class TOutcome { kImported, kDuplicate, kRejected, kFull };
    TOutcome ImportRecord(const TAdifRecord& record, const std::vector<int>& widths);
    // Stores the contact and its text, all or nothing.
    TOutcome Store(const TQSO& qso, const std::string& text, int number);
    // Whether a contact with that many text pieces fits. The kernel is asked
    // for a block of contacts at once (a yes holds for each of them, the
    // room taken only by them); near the end of the room, contact by contact.
    bool HasRoom(size_t pieces);

    // Contacts stored together in one write batch: the file stays sound at
    // any moment, and an interruption loses at most the block not yet
    // committed (importing the file again brings it back).
    static constexpr int kContactsPerBatch = 100;
    static constexpr uint32_t kBlockContacts = 64;
    static constexpr uint32_t kBlockPieces = 128;
    uint32_t contactsLeft_ = 0, piecesLeft_ = 0;  // of the block known to fit
    void WriteReport(const std::string& fileName, TAdifImportSummary& summary) const;
    static std::string Label(const TAdifRecord& record);

    std::unordered_set<std::string> keys_;  // of the contacts in the log
    std::vector<std::string> rejected_, duplicates_, changed_;
};
