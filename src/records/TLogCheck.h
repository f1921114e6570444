// The integrity check of a log file: the kernel's check of every table
// (counts and structure), then what the log itself relies on: its tables
// with the columns it needs, and each sequence standing at least at the
// highest number drawn from it, so that no number is handed out twice.
#pragma once

#include <cstdint>
#include <string>

class TDbKernel;

class TLogCheck {
public:
    // The report of CheckDatabase (report, 0) with one line behind it per
    // finding of the log ("NAME at OFFSET: what is wrong", or "NAME: ..."
    // where no offset applies). Without tables the log's tables are taken
    // as given: the caller tells a missing table apart in its own words.
    // The sequences are checked only in a log with all its tables. 0, or
    // 999 when the kernel's check fails or a line was added.
    static int32_t Run(TDbKernel& kernel, std::string& report, bool tables = true);

private:
    // The line about the sequence that numbers position of table, or "".
    static std::string Sequence(TDbKernel& kernel, const char* table, int position);
};
