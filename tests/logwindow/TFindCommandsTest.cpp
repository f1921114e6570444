#include <gtest/gtest.h>

#include "FakeGrid.h"
#include "logwindow/TFindCommands.h"
#include "platform/TScriptedDialogs.h"

namespace {

// Rows: 1 W1AW, 2 K1ABC, 3 w1aw, 4 W1AWX, 5 W1AW, 6 the entry row.
class TFindCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* call : {"W1AW", "K1ABC", "w1aw", "W1AWX", "W1AW", "TYPECALL"})
            grid_.AddRow("01/02/2003", call);
    }
    FakeGrid grid_;
    TScriptedDialogs dialogs_;
    TFindCommands find_;
};

TEST_F(TFindCommandsTest, FindFirstMatchesWholeCellsInAnyCaseFromTheTop) {
    dialogs_.QueueAnswer("w1aw");
    find_.FindFirstCall(grid_);
    EXPECT_EQ(std::vector<std::string>{"Call to find:"}, dialogs_.Prompts);
    EXPECT_EQ(1, grid_.CurrentRow());
    EXPECT_EQ("w1aw", find_.SearchCall);
    EXPECT_EQ(1, find_.SearchRow);

    dialogs_.QueueAnswer("W1A");  // part of a call finds nothing and forgets the last find
    find_.FindFirstCall(grid_);
    EXPECT_EQ(1, grid_.CurrentRow());
    EXPECT_EQ("", find_.SearchCall);
    EXPECT_EQ(0, find_.SearchRow);
    EXPECT_TRUE(dialogs_.Messages.empty());

    find_.FindNextCall(grid_);
    EXPECT_EQ(std::vector<std::string>{TFindCommands::kSearchFirst}, dialogs_.Messages);

    dialogs_.QueueCancel();  // Cancel answers the empty default
    find_.FindFirstCall(grid_);
    EXPECT_EQ(TFindCommands::kNoCall, dialogs_.Messages.back());
}

TEST_F(TFindCommandsTest, FindNextCyclesThroughTheMatchesAndWraps) {
    dialogs_.QueueAnswer("W1AW");
    find_.FindFirstCall(grid_);
    for (int i = 0; i < 4; ++i) find_.FindNextCall(grid_);
    EXPECT_EQ((std::vector<int32_t>{1, 3, 5, 1, 3}), grid_.Visited);
    EXPECT_EQ(3, find_.SearchRow);
    EXPECT_TRUE(dialogs_.Messages.empty());

    dialogs_.QueueAnswer("K1ABC");  // a single match stays where it is
    find_.FindFirstCall(grid_);
    find_.FindNextCall(grid_);
    EXPECT_EQ(2, grid_.CurrentRow());
    EXPECT_EQ(2, find_.SearchRow);
}

TEST_F(TFindCommandsTest, AShortenedGridStartsTheNextFindFromTheTop) {
    dialogs_.QueueAnswer("W1AW");
    find_.FindFirstCall(grid_);
    find_.FindNextCall(grid_);
    find_.FindNextCall(grid_);
    ASSERT_EQ(5, find_.SearchRow);
    grid_.Truncate(4);  // a reload for fewer days: header, rows 1 to 2, entry row 3
    grid_.Set(3, 3, "TYPECALL");
    find_.FindNextCall(grid_);
    EXPECT_EQ(1, grid_.CurrentRow());
    EXPECT_EQ(1, find_.SearchRow);
}

TEST_F(TFindCommandsTest, TheEntryRowAndTheHeaderRowAreSearchedToo) {
    dialogs_.QueueAnswer("typecall");
    find_.FindFirstCall(grid_);
    EXPECT_EQ(6, grid_.CurrentRow());
    dialogs_.QueueAnswer("CALL");
    find_.FindFirstCall(grid_);
    EXPECT_EQ(0, grid_.CurrentRow());
}

struct TDaysCase {
    const char* Answer;  // nullptr: Cancel
    bool Reload;
    int32_t Days;
    const char* Message;
};

TEST(TFindCommandsDays, TheDaysAnswerDecidesTheDaysAndTheReload) {
    const TDaysCase cases[] = {
        {"30", true, 30, nullptr},
        {nullptr, true, 180, nullptr},
        {"0", true, 180, TFindCommands::kZeroDays},
        {"000", true, 180, TFindCommands::kZeroDays},
        {"5000", true, 5000, nullptr},  // the reload puts it back to 180
        {" 30", true, 7, nullptr},
        {"-5", true, 7, nullptr},
        {"3x", true, 7, nullptr},
        {"   ", false, 7, TFindCommands::kDaysMissing},
        {"", false, 7, TFindCommands::kDaysMissing},
        {"2147483647", true, 2147483647, nullptr},
    };
    for (const TDaysCase& c : cases) {
        TScriptedDialogs dialogs;
        if (c.Answer)
            dialogs.QueueAnswer(c.Answer);
        else
            dialogs.QueueCancel();
        int32_t days = 7;
        EXPECT_EQ(c.Reload, TFindCommands::AskDaysToShow(days)) << (c.Answer ? c.Answer : "cancel");
        EXPECT_EQ(c.Days, days) << (c.Answer ? c.Answer : "cancel");
        EXPECT_EQ(std::vector<std::string>{TFindCommands::kDaysPrompt}, dialogs.Prompts);
        std::vector<std::string> shown = dialogs.Messages;
        shown.insert(shown.end(), dialogs.Informations.begin(), dialogs.Informations.end());
        if (c.Message)
            EXPECT_EQ(std::vector<std::string>{c.Message}, shown);
        else
            EXPECT_TRUE(shown.empty());
    }
}

TEST(TFindCommandsDays, ANumberBeyond32BitsFails) {
    for (const char* answer : {"2147483648", "99999999999999999999"}) {
        TScriptedDialogs dialogs;
        dialogs.QueueAnswer(answer);
        int32_t days = 7;
        EXPECT_THROW(TFindCommands::AskDaysToShow(days), std::out_of_range);
        EXPECT_EQ(7, days);
    }
}

}  // namespace
