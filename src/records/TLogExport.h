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
    // Follows the number of slots the export could not read.
    static constexpr const char* kDamagedSuffix = " damaged rows were skipped.";

    // Writes the file (overwriting one of that name); count := rows written,
    // damaged := slots of the two tables' pages that could not be read and
    // were left out (the rows are read past damage, page by page).
    // kFailed when the file cannot be created or a write fails.
    static int32_t ExportToFile(const std::string& fileName, int32_t& count, int32_t& damaged);
    static int32_t ExportToFile(const std::string& fileName, int32_t& count) {
        int32_t damaged = 0;
        return ExportToFile(fileName, count, damaged);
    }
};
