// The printed log: a fixed-width listing of selected grid columns for the
// rows of the last days, optionally each followed by the contact's text.
//
// Row line: per printed column one blank, the cell cut to w - 1 characters,
// blanks up to w + 1 characters; w per column below, 120 characters in all.
//   col  0 Date 11 | 1 Start 6 | 2 End 6 | 3 Call 9 | 4 Frequency 6 | 5 S-RST 4
//   col  6 R-RST 4 | 7 Power 4 | 8 Mode 5 | 10 RQSL 4 | 11 SQSL 4 | 13 Country 10
//   col 14 Zone 5 | 15 County 7 | 16 Grid 5;  columns 9, 12, 17, 18 and the
//   last four are not printed (any other column would be, with w = 10).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "logwindow/TGridCells.h"
#include "platform/TClock.h"

class TLogPrintout {
  public:
    static constexpr const char* kDaysPrompt = "Enter number of past days to print: ";
    static constexpr const char* kDaysDefault = "180";
    static constexpr const char* kNotANumber = "Not a valid number of days";
    static constexpr const char* kNoPrinter = "Could not find default printer";
    static constexpr const char* kDocumentTitle = "Qso Log";
    static constexpr const char* kFirstLine =
        "This printout contains only selected columns of the QSO log.";
    static constexpr int kLandscapePointSize = 10;
    static constexpr int kPortraitPointSize = 8;

    // w of a grid column; 0 for a column that is not printed.
    static int32_t ColumnWidth(int32_t column);
    // text followed by blanks until it is width + 1 characters long.
    static std::string Pad(const std::string& text, int32_t width);
    static std::string RowLine(const TGridCells& grid, int32_t row);
    // Today minus the "mm/dd/yyyy" date in days; throws std::invalid_argument
    // when the text is not such a date.
    static int64_t DaysBefore(const TLocalDateTime& today, const std::string& date);

    // The listing for an answer of digits. With texts, every printed row
    // but the header is made current and currentText() gives its text.
    static std::vector<std::string> BuildListing(TGridCells& grid, const TLocalDateTime& today,
                                                 const std::string& daysAnswer, bool withTexts,
                                                 const std::function<std::string()>& currentText);

    // The whole print command after CheckSave: prompt, set-up dialog, font
    // size by orientation, listing, printing; messages on failure.
    static void PrintLog(TGridCells& grid, bool withTexts,
                         const std::function<std::string()>& currentText, void* owner);
};
