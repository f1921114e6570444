// Input: any text, taken as a call sign for the country lookup (over the
// table and over a list that holds it twice, as after a reload of the grid:
// both must give the same answer) and, where the log window's rules are
// built in (TRAMB_FUZZ_WITH_RULES, a build with Qt), as the text of every
// grid column for the keystroke tests and the value rules.
#include <string>
#include <vector>

#include "FuzzGuard.h"
#include "FuzzTargets.h"
#include "records/TCountryTable.h"
#ifdef TRAMB_FUZZ_WITH_RULES
#include "logwindow/TfrmLogGUI_1.h"

namespace {
bool IsFlag(int32_t v) {
    return v == -1 || v == 0;
}

void CheckRules(const std::string& text) {
    for (int col = 0; col <= 22; ++col) FuzzCheck(IsFlag(TfrmLogGUI_1::IsValidData(col, text)));
    const int32_t numeric = TfrmLogGUI_1::IsNumeric(text);
    // Digits only passes every number test and the digit columns' keystroke test.
    FuzzCheck(numeric != -1 ||
              (TfrmLogGUI_1::IsNumericEx(text) == -1 && TfrmLogGUI_1::IsNumericEx2(text) == -1));
    FuzzCheck(TfrmLogGUI_1::IsValidData(5, text) == numeric);
    for (int32_t v : {TfrmLogGUI_1::IsValidZone(text), TfrmLogGUI_1::IsValidPower(text),
                      TfrmLogGUI_1::IsValidLogID(text), TfrmLogGUI_1::IsValidQSL(text),
                      TfrmLogGUI_1::IsInBand(text)})
        FuzzCheck(IsFlag(v));
}
}  // namespace
#endif

int FuzzCountryChars(const uint8_t* data, size_t size) {
    const std::string call(reinterpret_cast<const char*>(data), size);
    std::string once = "unchanged";
    const bool found = TCountryTable::Lookup(call, once);
    static const std::vector<std::string> twice = [] {
        std::vector<std::string> items = TCountryTable::Entries();
        items.insert(items.end(), TCountryTable::Entries().begin(), TCountryTable::Entries().end());
        return items;
    }();
    std::string again = "unchanged";
    FuzzCheck(TCountryTable::Lookup(twice, call, again) == found && again == once);
    FuzzCheck(found || once == "unchanged");
#ifdef TRAMB_FUZZ_WITH_RULES
    CheckRules(call);
#endif
    return 0;
}
