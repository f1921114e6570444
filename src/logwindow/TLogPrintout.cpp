#include "logwindow/TLogPrintout.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "platform/TDialogs.h"
#include "platform/TPrinter.h"

namespace {

constexpr int32_t kDateColumn = 0;
constexpr int32_t kColumnsNotWalked = 4;  // the contest columns at the end

std::string TwoDigits(int value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool IsLeap(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

int32_t TLogPrintout::ColumnWidth(int32_t column) {
    switch (column) {
        case 0:
            return 11;
        case 1:
        case 2:
        case 4:
            return 6;
        case 3:
            return 9;
        case 5:
        case 6:
        case 7:
        case 10:
        case 11:
            return 4;
        case 8:
        case 14:
        case 16:
            return 5;
        case 13:
            return 10;
        case 15:
            return 7;
        case 9:
        case 12:
        case 17:
        case 18:
            return 0;
        default:
            return 10;
    }
}

std::string TLogPrintout::Pad(const std::string& text, int32_t width) {
    std::string out = text;
    while (static_cast<int32_t>(out.size()) < width + 1) out.push_back(' ');
    return out;
}

std::string TLogPrintout::RowLine(const TGridCells& grid, int32_t row) {
    std::string line;
    for (int32_t column = 0; column <= grid.ColumnCount() - 1 - kColumnsNotWalked; ++column) {
        const int32_t w = ColumnWidth(column);
        if (w == 0)
            continue;
        line += " " + Pad(grid.Cell(column, row).substr(0, static_cast<size_t>(w - 1)), w);
    }
    return line;
}

int64_t TLogPrintout::DaysBefore(const TLocalDateTime& today, const std::string& date) {
    if (date.size() != 10 || date[2] != '/' || date[5] != '/')
        throw std::invalid_argument("not a date: " + date);
    const std::string mm = date.substr(0, 2), dd = date.substr(3, 2), yyyy = date.substr(6, 4);
    if (!AllDigits(mm) || !AllDigits(dd) || !AllDigits(yyyy))
        throw std::invalid_argument("not a date: " + date);
    const int m = std::stoi(mm), d = std::stoi(dd), y = std::stoi(yyyy);
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1] + (m == 2 && IsLeap(y) ? 1 : 0))
        throw std::invalid_argument("not a date: " + date);
    return DaysFromCivil(today.Year, today.Month, today.Day) - DaysFromCivil(y, m, d);
}

std::vector<std::string> TLogPrintout::BuildListing(
    TGridCells& grid, const TLocalDateTime& today, const std::string& daysAnswer, bool withTexts,
    const std::function<std::string()>& currentText) {
    const std::string digits =
        daysAnswer.substr(std::min(daysAnswer.find_first_not_of('0'), daysAnswer.size() - 1));
    if (!AllDigits(digits) || digits.size() > 10 ||
        std::stoll(digits) > std::numeric_limits<int32_t>::max())
        throw std::out_of_range("number of days out of range");
    const int64_t days = std::stoll(digits);

    std::vector<std::string> lines;
    lines.push_back(kFirstLine);
    lines.push_back("Printed on " + TwoDigits(today.Month) + "/" + TwoDigits(today.Day) + "/" +
                    std::to_string(today.Year));
    lines.push_back("Number of days to print: " + daysAnswer);
    lines.push_back(" ");
    const int32_t rows = grid.RowCount();
    for (int32_t row = 0; row < rows; ++row) {
        if (row != 0 && DaysBefore(today, grid.Cell(kDateColumn, row)) >= days)
            continue;
        lines.push_back(RowLine(grid, row));
        if (withTexts && row != 0) {
            grid.MakeCurrentRow(row);
            lines.push_back(" QSO Text:");
            lines.push_back(" " + currentText());
            lines.push_back(" ");
        }
    }
    return lines;
}

void TLogPrintout::PrintLog(TGridCells& grid, bool withTexts,
                            const std::function<std::string()>& currentText, void* owner) {
    try {
        const std::string answer = Dialogs().InputBox("", kDaysPrompt, kDaysDefault);
        if (!AllDigits(answer)) {
            Dialogs().ShowMessage(kNotANumber);
            return;
        }
        TPrinter& printer = Printer();
        if (!printer.SetupDialog(owner))
            return;
        const int pointSize = printer.IsLandscape() ? kLandscapePointSize : kPortraitPointSize;
        const std::vector<std::string> lines =
            BuildListing(grid, Clock().Now(), answer, withTexts, currentText);
        printer.PrintLines(lines, pointSize, kDocumentTitle);
    } catch (...) {
        Dialogs().ShowMessage(kNoPrinter);
    }
}
