// The Find menu: how many past days the grid shows, and finding a call sign
// among the grid's rows, first and then next with wrap-around.
#pragma once

#include <cstdint>
#include <string>

#include "logwindow/TGridCells.h"

class TFindCommands {
  public:
    static constexpr const char* kDaysPrompt = "Select QSOs for how many days past?";
    static constexpr const char* kDaysDefault = "180";
    static constexpr const char* kDaysMissing =
        "You must specify a [positive] number of days to use.";
    static constexpr const char* kZeroDays =
        "Zero days is not valid for this feature! Please select at least one day.";
    static constexpr const char* kCallPrompt = "Call to find:";
    static constexpr const char* kNoCall = "No call specified!";
    static constexpr const char* kSearchFirst =
        "You need to search first before you can search next!";
    static constexpr int32_t kDefaultDays = 180;

    // The days prompt: true when the grid is to be reloaded (daysToShow
    // possibly changed), false after "You must specify …". Throws
    // std::out_of_range for an answer of digits too large for 32 bits.
    static bool AskDaysToShow(int32_t& daysToShow);

    // "Call to find:" and the walk from the header row to the entry row.
    void FindFirstCall(TGridCells& grid);
    // The walk on from the last find, wrapping to the top once.
    void FindNextCall(TGridCells& grid);

    std::string SearchCall;  // the last successful find; empty after a failed one
    int32_t SearchRow = 0;   // where SearchCall was last found
};
