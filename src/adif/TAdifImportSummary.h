// The counts of one ADIF import and the sentence that tells them.
#pragma once

#include <string>

class TAdifImportSummary {
public:
    int Read = 0;        // records in the file
    int Imported = 0;    // stored as contacts
    int Duplicates = 0;  // skipped: the log already held the contact
    int Rejected = 0;    // not contacts (see the report file)
    int Changed = 0;     // values cut or replaced to fit the log
    bool Full = false;   // the log file had no room for record StoppedAt
    bool Cancelled = false;
    int StoppedAt = 0;  // the first record not looked at (Full or Cancelled)
    std::string ReportFile;
    bool ReportWritten = false;

    std::string Text() const;
};
