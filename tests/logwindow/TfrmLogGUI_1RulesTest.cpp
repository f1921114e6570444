// The field rules as tables of cases: the keystroke test per column, the
// value rules and the number tests.
#include "LogWindowFixture.h"

namespace {
constexpr int32_t T = -1;  // valid
constexpr int32_t F = 0;   // invalid
}  // namespace

TEST(TfrmLogGUI_1Rules, KeystrokeTestPerColumn) {
    struct Case {
        int col;
        const char* value;
        int32_t expected;
    };
    const Case cases[] = {
        {3, "", T},           {3, "W1AW", T},   {3, "w1aw", T}, {3, "W1AW/P", T}, {3, "W1AW/-#", T},
        {3, "W1AW-P", F},     {3, "W1 AW", F},  {3, "\xe9", F}, {4, "14.070", T}, {4, "14,070", T},
        {4, "14.0.7", F},     {4, "14,0.7", F}, {4, "14a", F},  {4, "", T},       {5, "59", T},
        {5, "5a", F},         {6, "-5", F},     {7, "1500", T}, {7, "15.0", F},   {9, "12", T},
        {9, "x", F},          {8, "ps", T},     {8, "???", T},  {10, "maybe", T}, {11, "", T},
        {13, "any text!", T}, {14, "abc", T},   {22, "#", T},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, TfrmLogGUI_1::IsValidData(c.col, c.value))
            << c.col << " '" << c.value << "'";
}

TEST(TfrmLogGUI_1Rules, NumberTests) {
    struct Case {
        const char* value;
        int32_t numeric, numericEx, numericEx2;
    };
    const Case cases[] = {
        {"", T, T, T},      {"123", T, T, T}, {"-12", F, T, F}, {"1-2", F, F, F}, {"1.5", F, F, T},
        {"1.5.1", F, F, F}, {"-", F, T, F},   {" 1", F, F, F},  {"+1", F, F, F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.numeric, TfrmLogGUI_1::IsNumeric(c.value));
        EXPECT_EQ(c.numericEx, TfrmLogGUI_1::IsNumericEx(c.value));
        EXPECT_EQ(c.numericEx2, TfrmLogGUI_1::IsNumericEx2(c.value));
    }
}

TEST(TfrmLogGUI_1Rules, ValueRulesWithoutTheGrid) {
    // Zone.
    for (const char* v : {"", "5", "05", "99"}) EXPECT_EQ(T, TfrmLogGUI_1::IsValidZone(v)) << v;
    for (const char* v : {"123", "A1", "-1"}) EXPECT_EQ(F, TfrmLogGUI_1::IsValidZone(v)) << v;
    // Band: a number with at most one separator, no band limits.
    for (const char* v : {"", "14.070", "14,070", "999999999", "7"})
        EXPECT_EQ(T, TfrmLogGUI_1::IsInBand(v)) << v;
    for (const char* v : {"14.0.7", "14,0,7", "1,4.0", "abc"})
        EXPECT_EQ(F, TfrmLogGUI_1::IsInBand(v)) << v;
    // Power.
    for (const char* v : {"1500", "0", "5", "-3"}) EXPECT_EQ(T, TfrmLogGUI_1::IsValidPower(v)) << v;
    for (const char* v : {"1501", "", "abc", "99999999999"})
        EXPECT_EQ(F, TfrmLogGUI_1::IsValidPower(v)) << v;
    // Log ID and QSL.
    EXPECT_EQ(T, TfrmLogGUI_1::IsValidLogID("42"));
    EXPECT_EQ(F, TfrmLogGUI_1::IsValidLogID(""));
    EXPECT_EQ(F, TfrmLogGUI_1::IsValidLogID("4x"));
    for (const char* v : {"Y", "N", "y", "n"}) EXPECT_EQ(T, TfrmLogGUI_1::IsValidQSL(v)) << v;
    for (const char* v : {"U", "", "YES", "x"}) EXPECT_EQ(F, TfrmLogGUI_1::IsValidQSL(v)) << v;
}

// The report and mode rules read the grid's mode cell and the mode list.
TEST_F(LogWindowTest, ReportAndModeRulesFollowTheMode) {
    Start();
    const int row = EntryRow();
    struct Case {
        const char* mode;
        const char* report;
        int32_t expected;
    };
    const Case cases[] = {
        {"SSB", "59", T}, {"SSB", "5", F}, {"RTTY", "5", T}, {"CW", "600", F},
        {"cw", "599", T}, {"AM", "10", T}, {"FM", "9", F},   {"PSK31", "-7", T},
        {"CW", "", F},    {"RTTY", "", F}, {"CW", "5x", F},  {"", "3", T},
    };
    for (const Case& c : cases) {
        w->SetCells(8, row, c.mode);
        EXPECT_EQ(c.expected, w->IsValidRST(c.report, row)) << c.mode << " " << c.report;
    }
    for (const char* m : {"CW", "ssb", "Rtty", "AM", "FM", "PSK31", "NEW1", "new2"})
        EXPECT_EQ(T, w->IsValidMode(m)) << m;
    for (const char* m : {"", "LSB", "UNKN", "CW "}) EXPECT_EQ(F, w->IsValidMode(m)) << m;
    // The station-default editors take the mode from the mode list.
    w->cboMode->setCurrentIndex(2);  // RTTY
    EXPECT_EQ(T, w->IsValidDefaultRST("5"));
    w->cboMode->setCurrentIndex(1);  // SSB
    EXPECT_EQ(F, w->IsValidDefaultRST("5"));
}

TEST_F(LogWindowTest, GridRowToRecordConversions) {
    Start();
    const int row = EntryRow();
    w->SetCells(7, row, "12x");  // not numeric: read as 1500
    w->SetCells(5, row, "");     // empty: numeric 0
    w->SetCells(6, row, "5-");   // not numeric: 999
    w->SetCells(10, row, "y");
    w->SetCells(11, row, "u");
    w->SetCells(14, row, "123");
    w->SetCells(16, row, "FN31PR");
    TQSO q;
    ASSERT_EQ(0, w->PopQSOFromGrid(q, row));
    EXPECT_EQ(1500, q.Power);
    EXPECT_EQ(0, q.SentRST);
    EXPECT_EQ(999, q.RcvdRST);
    EXPECT_EQ(1, q.RcvdQSL);
    EXPECT_EQ(2, q.SentQSL);
    EXPECT_EQ("12", q.Zone);
    EXPECT_EQ("FN31P", q.Grid);
    EXPECT_EQ(-1, q.QSOID);
    // A log ID that is no number fails the read.
    w->SetCells(9, row, "x");
    EXPECT_EQ(2, w->PopQSOFromGrid(q, row));
    // Back into a row: QSL codes as letters, no cutting.
    q.RcvdQSL = 0;
    q.SentQSL = 7;
    q.Grid = "FN31PR";
    w->PopGridFromQSOObject(q, row);
    EXPECT_EQ("N", Cell(10, row));
    EXPECT_EQ("U", Cell(11, row));
    EXPECT_EQ("FN31PR", Cell(16, row));
    TQSO copy;
    TfrmLogGUI_1::FillQsoDataRow(q, copy);
    EXPECT_EQ(0, TfrmLogGUI_1::QsosAreDifferent(q, copy));
    copy.Contest4 = "x";
    EXPECT_EQ(-1, TfrmLogGUI_1::QsosAreDifferent(q, copy));
}
