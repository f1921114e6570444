// The import of a list of licensed call-sign holders into a table (HAMCLS).
//
// The import file is plain text, one holder a line, fields separated by "|":
//
//     call sign|first name|last name|city|state
//
// Lines are numbered from 1. Every line read is copied to an audit file named
// after the import file with "AUDIT" appended directly (HamCsig2 ->
// HamCsig2AUDIT), created or overwritten: the line as read, one blank and its
// number, CR LF ended. Lines from the start line on are stored as rows: field
// n of the line into column position n (0..4); the call sign is the table's
// primary key, so a call sign already present has its row overwritten in
// place. Reading stops at the first empty line, at the end of the file or
// after the end line, whichever comes first; a line without a call sign is
// audited but not stored.
//
// Usage (the administration window and tramb-db both come through here):
//
//     THolderImport import;
//     int32_t st = import.ImportData("/data/HamCsig2", "HAMCLS", 1, INT32_MAX,
//                                    [](int32_t line) { /* show progress */ });
//     if (st != THolderImport::kOK) show(import.LastError);
//     else show(std::to_string(import.Imported) + " rows");
//
// ImportDataAsking asks the start and end lines first, as the window does.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class TDBResultSet;

class THolderImport {
public:
    static constexpr int32_t kOK = 0;
    static constexpr int32_t kFailed = 999;
    static constexpr int kFieldCount = 5;
    static constexpr const char* kTable = "HAMCLS";
    static constexpr const char* kAuditSuffix = "AUDIT";

    // Called with the number of every line from the start line on, once handled.
    using TProgress = std::function<void(int32_t lineNumber)>;

    // Splits one line: trimmed of blanks and control characters at both ends,
    // then cut at each "|" from left to right; the first five fields are
    // taken, further text is ignored, missing fields are empty, the fields
    // themselves are not trimmed. A line without "|" is one field.
    static std::array<std::string, kFieldCount> ParseImportLine(const std::string& line);

    // Imports lines startLine..endLine (counted from 1; lines before the
    // start are read and audited only). kOK when the file was read, kFailed
    // when the import file cannot be opened (no audit file is made then), the
    // audit file cannot be written, or the table cannot be opened (nothing is
    // imported then; the audit file is left empty), or the kernel refused a
    // damaged file. Imported, NotStored and LinesRead tell what was done
    // (rows the file has no room for are counted as not stored and the
    // import goes on), LastError why it failed.
    int32_t ImportData(const std::string& fileName, const std::string& tableName, int32_t startLine,
                       int32_t endLine, const TProgress& progress = {});

    // Asks "Enter Start: " (caption "StartRow") and "Enter End: " (caption
    // "EndRow") through the process's dialogs, converts both strictly and
    // then imports as ImportData. A start or end that is not a whole number
    // fails before any file is opened.
    int32_t ImportDataAsking(const std::string& fileName, const std::string& tableName,
                             const TProgress& progress = {});

    // Why rows were not stored.
    static constexpr const char* kFileFull = "the log file is full";
    static constexpr const char* kRefused = "the table refused them";

    int32_t Imported = 0;        // rows stored by the last import
    int32_t NotStored = 0;       // rows of the last import that were not stored
    int32_t FirstNotStored = 0;  // the line of the first of them
    std::string NotStoredWhy;    // kFileFull or kRefused, as for the first of them
    int32_t LinesRead = 0;       // lines read (and audited) by the last import
    std::string LastError;       // why the last import failed; empty after kOK

private:
    // Posts the current row of rs (key: its call sign, read from line) and
    // counts it as stored or not.
    void StoreRow(TDBResultSet& rs, const std::string& tableName, const std::string& key,
                  int32_t line);
    // Whether a row of that call sign is in the table.
    static bool KeyStored(const TDBResultSet& rs, const std::string& tableName,
                          const std::string& key);

    bool full_ = false;  // no new row fits any more
};
