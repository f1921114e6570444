#include "logwindow/TFindCommands.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "platform/TBusyCursor.h"
#include "platform/TDialogs.h"

namespace {

constexpr int32_t kCallColumn = 3;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    });
    return text;
}

bool IsBlankOnly(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

bool IsDigitsOnly(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The hourglass for the length of a find; restored on every way out.
class TBusy {
  public:
    TBusy() { BusyCursor().Begin(); }
    ~TBusy() { BusyCursor().End(); }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;
};

// First row in [from, to] whose call cell, upper-cased, equals call upper-cased; -1 when none.
int32_t FindRow(const TGridCells& grid, const std::string& call, int32_t from, int32_t to) {
    const std::string wanted = Upper(call);
    for (int32_t row = from; row <= to; ++row)
        if (Upper(grid.Cell(kCallColumn, row)) == wanted)
            return row;
    return -1;
}

}  // namespace

bool TFindCommands::AskDaysToShow(int32_t& daysToShow) {
    const std::string answer = Dialogs().InputBox("", kDaysPrompt, kDaysDefault);
    if (IsBlankOnly(answer)) {
        Dialogs().InformationBox(kDaysMissing, "");
        return false;
    }
    if (IsDigitsOnly(answer)) {
        const std::string digits =
            answer.substr(std::min(answer.find_first_not_of('0'), answer.size() - 1));
        if (digits.size() > 10 || std::stoll(digits) > std::numeric_limits<int32_t>::max())
            throw std::out_of_range("number of days out of range");
        const int32_t value = static_cast<int32_t>(std::stoll(digits));
        if (value == 0) {
            daysToShow = kDefaultDays;
            Dialogs().ShowMessage(kZeroDays);
        } else {
            daysToShow = value;
        }
    }
    return true;
}

void TFindCommands::FindFirstCall(TGridCells& grid) {
    TBusy busy;
    const std::string answer = Dialogs().InputBox("", kCallPrompt, "");
    if (answer.empty()) {
        Dialogs().ShowMessage(kNoCall);
        return;
    }
    grid.FocusGrid();
    const int32_t row = FindRow(grid, answer, 0, grid.RowsInUse() - 1);
    if (row < 0) {
        SearchRow = 0;
        SearchCall.clear();
        return;
    }
    grid.MakeCurrentRow(row);
    SearchCall = answer;
    SearchRow = row;
}

void TFindCommands::FindNextCall(TGridCells& grid) {
    TBusy busy;
    if (SearchCall.empty()) {
        Dialogs().ShowMessage(kSearchFirst);
        return;
    }
    grid.FocusGrid();
    const int32_t last = grid.RowsInUse() - 1;
    // A reload may have shortened the grid below the last find.
    if (SearchRow >= last)
        SearchRow = 0;
    int32_t row = FindRow(grid, SearchCall, SearchRow + 1, last);
    if (row < 0)
        row = FindRow(grid, SearchCall, 0, last);
    if (row < 0)
        return;
    grid.MakeCurrentRow(row);
    SearchRow = row;
}
