// The field rules as one table: the keystroke test per column, the number
// tests and the value rules of the grid's cells and the station panel.
#include "LogWindowFixture.h"

using Rule = std::function<int32_t(const std::string&)>;

static Rule Keystroke(int col) {
    return [col](const std::string& v) { return TfrmLogGUI_1::IsValidData(col, v); };
}

TEST(TfrmLogGUI_1Rules, TheRulesOfTheCells) {
    const int32_t T = -1, F = 0;  // valid, invalid
    // clang-format off
    using W = TfrmLogGUI_1;
    const Rule call = Keystroke(3), freq = Keystroke(4), srst = Keystroke(5), rrst = Keystroke(6),
        power = Keystroke(7), mode = Keystroke(8), logId = Keystroke(9), other = Keystroke(13),
        num = W::IsNumeric, numEx = W::IsNumericEx, numEx2 = W::IsNumericEx2, zone = W::IsValidZone,
        band = W::IsInBand, watts = W::IsValidPower, id = W::IsValidLogID, qsl = W::IsValidQSL;
    const std::tuple<Rule, const char*, int32_t> cases[] = {
        {call, "", T}, {call, "w1aw", T}, {call, "W1AW/-#", T}, {call, "W1AW-P", F},
        {call, "W1 AW", F}, {call, "\xe9", F}, {freq, "14,070", T}, {freq, "14.0.7", F},
        {freq, "14,0.7", F}, {freq, "14a", F}, {srst, "5a", F}, {rrst, "-5", T}, {srst, "5-", F}, {power, "1500", T},
        {power, "15.0", F}, {mode, "???", T}, {logId, "x", F}, {other, "any!", T}, {num, "", T},
        {num, "-12", F}, {num, " 1", F}, {numEx, "-12", T}, {numEx, "-", T}, {numEx, "1-2", F},
        {numEx, "1.5", F}, {numEx2, "1.5", T}, {numEx2, "1.5.1", F}, {numEx2, "+1", F},
        {zone, "05", T}, {zone, "123", F}, {zone, "A1", F}, {band, "", T}, {band, "999999999", T},
        {band, "1,4.0", F}, {band, "abc", F}, {watts, "-3", T}, {watts, "1501", F}, {watts, "", F},
        {watts, "99999999999", F}, {id, "42", T}, {id, "", F}, {qsl, "n", T}, {qsl, "YES", F},
    };
    // clang-format on
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(std::get<2>(cases[i]), std::get<0>(cases[i])(std::get<1>(cases[i])))
            << "case " << i;
}
