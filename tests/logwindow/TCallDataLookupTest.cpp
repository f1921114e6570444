#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <filesystem>

#include "logwindow/TCallDataLookup.h"
#include "platform/TClock.h"
#include "platform/TFakeWindowFinder.h"
#include "platform/TFixedOpticalDrives.h"
#include "platform/TRecordingProcessLauncher.h"
#include "records/RecordsFixture.h"
#include "records/TQSOs.h"

namespace fs = std::filesystem;

namespace {

using Lookup = TCallDataLookup;

// ---- earlier contacts ----

class TPreviousQSOsTest : public RecordsFixture {
  protected:
    void Add(const std::string& date, const std::string& call, const std::string& frequency) {
        TQSOs qsos;
        ASSERT_NE(nullptr, qsos.AddQSO(date, call, "10:00", "10:05", frequency, 100, "CW", 599, 599,
                                       0, 0, 0, "05", "", "", "", "", 0, "", "", "", ""));
    }
};

TEST_F(TPreviousQSOsTest, ListsEveryContactWithTheCallAndOnlyThose) {
    Add("01/02/2003", "W1ABC", "14.025");
    Add("02/03/2003", "K1XYZ", "7.010");
    Add("03/04/2004", "W1ABC", "21.070");
    Add("04/05/2005", "W1ABC", "");
    const std::string text = Lookup::GetPreviousQSOs("W1ABC");
    EXPECT_EQ(0u, text.find("Previous QSOs :\r\n"));
    EXPECT_NE(std::string::npos, text.find("\r\n01/02/2003 W1ABC 14.025\r\n"));
    EXPECT_NE(std::string::npos, text.find("\r\n03/04/2004 W1ABC 21.070\r\n"));
    EXPECT_NE(std::string::npos, text.find("\r\n04/05/2005 W1ABC \r\n"));
    EXPECT_EQ(std::string::npos, text.find("K1XYZ"));
    size_t lines = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(4u, lines);

    EXPECT_EQ(Lookup::kNotOnFile, Lookup::GetPreviousQSOs("N0NE"));
}

TEST_F(TPreviousQSOsTest, WithoutTheContactTableTheCallIsNotOnFile) {
    DropTable("QSOLOG");
    EXPECT_EQ(Lookup::kNotOnFile, Lookup::GetPreviousQSOs("W1ABC"));
}

TEST(TPreviousQSOsText, HeadingThenOneLinePerContact) {
    TQSO a, b;
    a.QSODate = "01/02/2003";
    a.Call = "W1ABC";
    a.Frequency = "14.025";
    b = a;
    b.QSODate = "12/31/2004";
    EXPECT_EQ("Previous QSOs :\r\n01/02/2003 W1ABC 14.025\r\n12/31/2004 W1ABC 14.025\r\n",
              Lookup::FormatPreviousQSOs({a, b}));
    EXPECT_EQ("Previous QSOs :\r\n", Lookup::FormatPreviousQSOs({}));
}

// ---- the results file ----

TEST(TCallDataText, LinesArePlacedTrimmedAndNotFoundIsSpelledOut) {
    Lookup::TResultLines l;
    const char* values[] = {
        " W1ABC ",       "id", "ALICE", "B",   " CARTWRIGHT ", " , JR ",           " 12 ELM ST ",
        " SPRINGFIELD ", "MA", "01101", "a@b", "frn",          Lookup::kEndMarker, "L"};
    for (int i = 0; i < 14; ++i) l[static_cast<size_t>(i)] = values[i];
    EXPECT_EQ("W1ABC ALICE B CARTWRIGHT, JR\r\n12 ELM ST \r\nSPRINGFIELD MA 01101 a@b\r\n",
              Lookup::BuildCallDataText(l));
    l[0] = "NOT FO";
    EXPECT_EQ(0u, Lookup::BuildCallDataText(l).find("Callsign Not Found ALICE"));
    l[0] = "NOT FOUND";
    EXPECT_EQ(0u, Lookup::BuildCallDataText(l).find("NOT FOUND ALICE"));
    l[0] = "not fo";
    EXPECT_EQ(0u, Lookup::BuildCallDataText(l).find("not fo ALICE"));
    EXPECT_EQ("   \r\n \r\n   \r\n", Lookup::BuildCallDataText(Lookup::TResultLines{}));
}

TEST(TCallDataText, NamesAndTheAttributeMask) {
    EXPECT_EQ(125u, Lookup::GetFileAttrs());
    EXPECT_EQ("/home/op/log/TRAVINDOX_TBL0001.TXT", Lookup::ViewerResultsFileName("/home/op/log"));
    EXPECT_EQ("/TRAVINDOX_TBL0001.TXT", Lookup::ViewerResultsFileName("/"));
}

// ---- the viewer contract, end to end with the stand-in viewer ----

// Advances 5 s per reading, so a wait for an answer that never comes ends at once.
class TRacingClock : public TClock {
  public:
    TRacingClock() { SetClock(this); }
    ~TRacingClock() override { SetClock(nullptr); }
    uint32_t TickCount() const override { return ticks_ += 5000; }

  private:
    mutable uint32_t ticks_ = 0xFFFFF000u;  // wraps during the wait
};

class TCallDataLookupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = MakeTempDir("cd");
        ASSERT_FALSE(root_.empty());
        log_ = root_ + "/log";
        cd_ = root_ + "/cd";
        emptyDisc_ = root_ + "/music";
        fs::create_directories(log_);
        fs::create_directories(cd_);
        fs::create_directories(emptyDisc_);
        fs::copy_file(std::string(TRAMB_TEST_DATA) + "/viewer/EN0103.DAT", cd_ + "/EN0103.DAT");
        fs::copy_file(std::string(TRAMB_BIN_DIR) + "/VIEWER1.EXE", cd_ + "/VIEWER1.EXE");
        drives_.SetRoots({emptyDisc_, cd_});
        view_.SetMemoVisible = [this](bool v) { Visible.push_back(v); };
        view_.ClearMemo = [this] { Memo = "(cleared)"; };
        view_.SetMemoText = [this](const std::string& t) { Memo = t; };
        view_.FocusGrid = [this] { ++Focused; };
    }
    void TearDown() override { fs::remove_all(root_); }

    void LookUp(const std::string& call) { Lookup::LookUpCallData(call, log_, view_); }
    std::string Results() const { return Lookup::ViewerResultsFileName(log_); }
    void WriteResults(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& line : lines) text += line + "\r\n";
        WriteFile(Results(), text);
    }

    std::string root_, log_, cd_, emptyDisc_;
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
    LookUp("w1abc");
    ASSERT_EQ(1u, launches.Starts.size());
    EXPECT_EQ(cd_ + "/VIEWER1.EXE", launches.Starts[0].Program);
    EXPECT_EQ(std::vector<std::string>{log_ + "/w1abc"}, launches.Starts[0].Arguments);
    EXPECT_EQ(cd_, launches.Starts[0].WorkingDirectory);
    EXPECT_EQ(std::vector<std::string>{Lookup::kCDFound}, dialogs_.Messages);
    EXPECT_EQ(std::vector<bool>{true}, Visible);
    EXPECT_EQ(
        "W1ABC ALICE B CARTWRIGHT\r\n12 ELM ST \r\nSPRINGFIELD MA 01101 alice@example.org\r\n",
        Memo);
    EXPECT_EQ(1, Focused);
    EXPECT_FALSE(fs::exists(Results()));

    LookUp("K1XYZ");  // suffix after the last name, no e-mail
    EXPECT_EQ("K1XYZ BERNARD  DUPRE, JR\r\n45 HARBOR RD \r\nPORTLAND ME 04101 \r\n", Memo);
    LookUp("W9ARC");  // a club: its name, its post box
    EXPECT_EQ(
        "W9ARC WOODLAND AMATEUR RADIO CLUB  \r\nPO Box 412 \r\nROCKFORD IL 61101 "
        "club@example.org\r\n",
        Memo);
}

TEST_F(TCallDataLookupTest, ACallNotOnTheDiscAndTheEntryRowPlaceholder) {
    LookUp("Q9ZZZ");
    EXPECT_EQ("Callsign Not Found Q9ZZZ  \r\n \r\n   \r\n", Memo);
    LookUp("TYPECALL");
    EXPECT_EQ("Callsign Not Found TYPECALL  \r\n \r\n   \r\n", Memo);
    EXPECT_FALSE(fs::exists(Results()));
}

TEST_F(TCallDataLookupTest, ShellCharactersAfterTheSlashReachTheViewerAsOneArgument) {
    const std::string call = "W1AW/$(touch pwned);`touch pwned2` & \"q\" *";
    TRecordingProcessLauncher launches(true);
    LookUp(call);
    ASSERT_EQ(1u, launches.Starts.size());
    EXPECT_EQ(std::vector<std::string>{log_ + "/" + call}, launches.Starts[0].Arguments);
    EXPECT_EQ("Callsign Not Found " + call + "  \r\n \r\n   \r\n", Memo);
    for (const auto& dir : {log_, cd_, root_}) {
        EXPECT_FALSE(fs::exists(dir + "/pwned")) << dir;
        EXPECT_FALSE(fs::exists(dir + "/pwned2")) << dir;
    }
    // A call that climbs out of the log's directory still answers into it.
    LookUp("W1AW/../../x");
    EXPECT_EQ("Callsign Not Found W1AW/../../x  \r\n \r\n   \r\n", Memo);
    EXPECT_FALSE(fs::exists(root_ + "/TRAVINDOX_TBL0001.TXT"));
}

TEST_F(TCallDataLookupTest, AnAnswerWithoutTheEndMarkerStaysAndIsShownAgain) {
    fs::remove(cd_ + "/VIEWER1.EXE");  // nothing will overwrite the stale answer
    WriteResults({"W1XX", "", "OLD", "ANSWER", "X", "Y", "STREET", "TOWN", "ST", "12345", "", "",
                  "no marker here"});
    LookUp("W1ABC");
    const std::string first = Memo;
    EXPECT_EQ("W1XX OLD ANSWER XY\r\nSTREET \r\nTOWN ST 12345 \r\n", first);
    EXPECT_TRUE(fs::exists(Results()));
    Memo.clear();
    LookUp("K1XYZ");
    EXPECT_EQ(first, Memo);
    EXPECT_EQ((std::vector<std::string>{Lookup::kCDFound, Lookup::kCDFound}), dialogs_.Messages);
}

TEST_F(TCallDataLookupTest, ShortAndLongAnswerFiles) {
    fs::remove(cd_ + "/VIEWER1.EXE");
    WriteResults({"N1A", "id", "ANN"});
    LookUp("N1A");
    EXPECT_EQ("N1A ANN  \r\n \r\n   \r\n", Memo);
    EXPECT_TRUE(fs::exists(Results()));  // no line 13, no marker

    std::vector<std::string> lines;
    for (int i = 1; i <= 40; ++i) lines.push_back("L" + std::to_string(i));
    lines[12] = Lookup::kEndMarker;
    WriteResults(lines);
    LookUp("N1A");
    EXPECT_EQ("L1 L3 L4 L5L6\r\nL7 \r\nL8 L9 L10 L11\r\n", Memo);
    EXPECT_FALSE(fs::exists(Results()));
    EXPECT_THROW(Lookup::ReadResultsFile(Results()), std::runtime_error);
}

TEST_F(TCallDataLookupTest, NoDiscHoldingTheDataFileMeansNoCD) {
    TRecordingProcessLauncher launches;
    drives_.SetRoots({emptyDisc_});
    LookUp("W1ABC");
    drives_.SetRoots({});
    LookUp("W1ABC");
    // The name must be exact: a data file in lower case does not count.
    fs::rename(cd_ + "/EN0103.DAT", cd_ + "/en0103.dat");
    drives_.SetRoots({cd_});
    LookUp("W1ABC");
    EXPECT_EQ(std::vector<std::string>(3, Lookup::kCDNotFound), dialogs_.Messages);
    EXPECT_TRUE(launches.Starts.empty());
    EXPECT_EQ("(old)", Memo);
    EXPECT_EQ(std::vector<bool>(3, true), Visible);
}

TEST_F(TCallDataLookupTest, AHiddenDataFileDoesNotCount) {
    if (setxattr((cd_ + "/EN0103.DAT").c_str(), "user.DOSATTRIB", "0x2", 3, 0) != 0)
        GTEST_SKIP() << "no user extended attributes here";
    TRecordingProcessLauncher launches;
    LookUp("W1ABC");
    EXPECT_EQ(std::vector<std::string>{Lookup::kCDNotFound}, dialogs_.Messages);
    EXPECT_TRUE(launches.Starts.empty());
}

TEST_F(TCallDataLookupTest, AViewerThatNeverAnswersGivesUpAfterTheWait) {
    TRacingClock clock;
    fs::remove(cd_ + "/VIEWER1.EXE");
    LookUp("W1ABC");
    EXPECT_EQ(std::vector<std::string>{Lookup::kNoData}, dialogs_.Messages);
    EXPECT_EQ("(old)", Memo);
}

TEST_F(TCallDataLookupTest, ARunningViewerIsBroughtToTheFrontInstead) {
    TRecordingProcessLauncher launches;
    windows_.Present = true;
    windows_.Title = "Travindox Viewer";
    windows_.Handle = 77;
    LookUp("W1ABC");
    EXPECT_EQ(std::vector<std::string>{Lookup::kViewerRunning}, dialogs_.Messages);
    EXPECT_EQ(1, windows_.Raised);
    EXPECT_EQ(77u, windows_.LastRaised);
    EXPECT_EQ(std::vector<bool>{false}, Visible);
    EXPECT_TRUE(launches.Starts.empty());
    uint64_t handle = 0;
    EXPECT_EQ(-1, Lookup::IsViewerRunning(handle));
    windows_.Title = "Travindox Viewer 2";
    EXPECT_EQ(0, Lookup::IsViewerRunning(handle));
}

}  // namespace
