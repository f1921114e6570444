// Writes every stored contact of the open log, with its text, as one ADIF
// record, after the header; oldest first (date, start time, number).
#pragma once

#include <cstdint>
#include <string>

class TAdifExporter {
public:
    static constexpr int32_t kOK = 0;
    static constexpr int32_t kFailed = 999;

    // Writes the file (replacing one of that name only once the whole
    // export is written); count := contacts written. kFailed, with the
    // reason in Error and any earlier file of that name untouched, when
    // the log cannot be read or the file cannot be written.
    int32_t Export(const std::string& fileName, int32_t& count);

    // The header's CREATED_TIMESTAMP; empty: the time of the export (UTC).
    std::string Timestamp;
    std::string Error;

    // "YYYYMMDD HHMMSS" of now, UTC.
    static std::string NowUtc();
};
