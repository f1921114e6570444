#include "adif/TAdifImportSummary.h"

std::string TAdifImportSummary::Text() const {
    std::string text = std::to_string(Read) + (Read == 1 ? " record" : " records") +
                       " read: " + std::to_string(Imported) + " imported, " +
                       std::to_string(Duplicates) + " skipped as duplicates, " +
                       std::to_string(Rejected) + " rejected.";
    if (Changed > 0)
        text += " " + std::to_string(Changed) + " values were cut or replaced to fit the log.";
    if (Full)
        text += " The log file is full: the import stopped at record " + std::to_string(StoppedAt) +
                "; records " + std::to_string(StoppedAt) + " to " + std::to_string(Read) +
                " were not imported (compact the log or start a new log file, then import "
                "the file again: the contacts already imported are skipped as duplicates).";
    if (Cancelled)
        text += " The import was cancelled: records " + std::to_string(StoppedAt) + " to " +
                std::to_string(Read) + " were not imported.";
    if (ReportWritten)
        text += " Details in " + ReportFile + ".";
    else if (!ReportFile.empty())
        text += " The report file " + ReportFile + " could not be written.";
    return text;
}
