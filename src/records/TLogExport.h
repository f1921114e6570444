// The export of the whole log to a text file: "QSO_LOG:", a line per live
// QSOLOG row in storage order, "QSO_TEXT:", a line per live QSO_TEXT row;
// each line the row's values ("-" for empty) each followed by "|", then
// "TAIL:" and the chain link, upper-cased, CR LF ended.
#pragma once

#include <cstdint>
#include <string>

class TLogExport {
  public:
    static constexpr int32_t kOK = 0;
    static constexpr int32_t kFailed = 999;
    static constexpr const char* kFailedMessage = "Invalid file name specified!";
    static constexpr const char* kCountSuffix = " Rows Exported.";

    // Writes the file (overwriting one of that name); count := rows written.
    // kFailed when the file cannot be created or a write fails.
    static int32_t ExportToFile(const std::string& fileName, int32_t& count);
};
