// The call-sign CD lookup end to end with the stand-in viewer on a stand-in
// disc, and the text made of the viewer's answer file.
#include "LogWindowFixture.h"
#include "logwindow/TCallDataLookup.h"
#include "platform/TFakeWindowFinder.h"
#include "platform/TFixedOpticalDrives.h"
#include "platform/TRecordingProcessLauncher.h"

namespace fs = std::filesystem;

using Lookup = TCallDataLookup;

class TCallDataLookupTest : public ::testing::Test {
protected:
    // The viewer's 15 s answer wait counts clock readings, 1 ms each: it lasts
    // minutes of real time, so only a hung viewer reaches it.
    void SetUp() override {
        SetClock(&clock_);
        ASSERT_FALSE(root_.empty());
        for (const std::string& d : {log_, cd_, emptyDisc_}) fs::create_directories(d);
        fs::copy_file(std::string(TRAMB_TEST_DATA) + "/viewer/EN0103.DAT", cd_ + "/EN0103.DAT");
        fs::copy_file(std::string(TRAMB_BIN_DIR) + "/VIEWER1.EXE", cd_ + "/VIEWER1.EXE");
        drives_.SetRoots({emptyDisc_, cd_});
        view_ = {[this](bool v) { Visible.push_back(v); }, [this] { Memo = "(cleared)"; },
                 [this](const std::string& t) { Memo = t; }, [this] { ++Focused; }};
    }
    void TearDown() override {
        SetClock(nullptr);
        fs::remove_all(root_);
    }

    void LookUp(const std::string& call) { Lookup::LookUpCallData(call, log_, view_); }
    std::string Results() const { return Lookup::ViewerResultsFileName(log_); }
    static std::string NotFound(const std::string& call) {
        return "Callsign Not Found " + call + "  \r\n \r\n   \r\n";
    }

    const std::string root_ = MakeTempDir("cd");
    const std::string log_ = root_ + "/log", cd_ = root_ + "/cd", emptyDisc_ = root_ + "/music";
    TTestMachine clock_;
    TScriptedDialogs dialogs_;
    TFixedOpticalDrives drives_;
    TFakeWindowFinder windows_;
    Lookup::TCallDataView view_;
    std::vector<bool> Visible;
    std::string Memo = "(old)";
    int Focused = 0;
};

TEST_F(TCallDataLookupTest, AHolderOnTheDiscIsShownAndTheAnswerFileRemoved) {
    TRecordingProcessLauncher launches(true);
    const std::string shell = "W1AW/$(touch pwned);`touch pwned2` & \"q\" *";
    const std::pair<std::string, std::string> holders[] = {
        {"w1abc",
         "W1ABC ALICE B CARTWRIGHT\r\n12 ELM ST \r\nSPRINGFIELD MA 01101 alice@example.org\r\n"},
        {"K1XYZ", "K1XYZ BERNARD  DUPRE, JR\r\n45 HARBOR RD \r\nPORTLAND ME 04101 \r\n"},
        {"W9ARC",  // a club: its name, its post box
         "W9ARC WOODLAND AMATEUR RADIO CLUB  \r\nPO Box 412 \r\nROCKFORD IL 61101 "
         "club@example.org\r\n"},
        {"TYPECALL", NotFound("TYPECALL")},
        {shell, NotFound(shell)},  // shell characters after the slash are no commands
        {"W1AW/../../x",
         NotFound("W1AW/../../x")},  // the answer still comes to the log's directory
    };
    for (const auto& [call, text] : holders) {
        LookUp(call);
        EXPECT_EQ(text, Memo);
        EXPECT_FALSE(fs::exists(Results())) << call;
    }
    ASSERT_EQ(6u, launches.Starts.size());
    EXPECT_EQ(cd_ + "/VIEWER1.EXE " + cd_ + " " + log_ + "/" + shell,
              launches.Starts[4].Program + " " + launches.Starts[4].WorkingDirectory + " " +
                  launches.Starts[4].Arguments.at(0));
    for (const auto& dir : {log_, cd_, root_})
        for (const char* name : {"/pwned", "/pwned2", "/TRAVINDOX_TBL0001.TXT"})
            EXPECT_FALSE(fs::exists(dir + name)) << dir << name;
    EXPECT_EQ(std::vector<std::string>(6, Lookup::kCDFound), dialogs_.Messages);
    EXPECT_EQ(std::vector<bool>(6, true), Visible);
    EXPECT_EQ(6, Focused);
}

// No disc with the data file under its exact name, no answer in time, or a
// viewer already running: nothing is shown.
TEST_F(TCallDataLookupTest, NoDiscNoAnswerOrARunningViewerShowNothing) {
    clock_.TickStep = 5000;
    fs::remove(cd_ + "/VIEWER1.EXE");
    LookUp("W1ABC");
    fs::rename(cd_ + "/EN0103.DAT", cd_ + "/en0103.dat");
    LookUp("W1ABC");
    drives_.SetRoots({});
    LookUp("W1ABC");
    TRecordingProcessLauncher launches;
    windows_.Present = true;
    windows_.Title = Lookup::kViewerTitle;
    windows_.Handle = 77;
    LookUp("W1ABC");
    EXPECT_EQ((std::vector<std::string>{Lookup::kNoData, Lookup::kCDNotFound, Lookup::kCDNotFound,
                                        Lookup::kViewerRunning}),
              dialogs_.Messages);
    EXPECT_EQ(77u, windows_.LastRaised);  // brought to the front instead of another start
    EXPECT_EQ((std::vector<bool>{true, true, true, false}), Visible);
    EXPECT_TRUE(launches.Starts.empty());
    EXPECT_EQ("(old)", Memo);
}
