// The integrity check, its report, and the diagnostic reads.
#include "KernelTestSupport.h"
#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"
#include "platform/TClock.h"
#include "platform/TEventPump.h"

using namespace DbFormat;

namespace {
const std::string kHeader =
    "Table name       RawCount  HashCount RawSpeed   StartPage  EndPage\r\n"
    "----------       --------  --------- --------   ---------  -------\r\n";

class TStoppedClock : public TClock {
  public:
    uint32_t TickCount() const override { return 1000; }
};

class TCountingPump : public TEventPump {
  public:
    void ProcessMessages() override { ++Calls; }
    int Calls = 0;
};

std::string Entry(const std::string& name, const std::string& raw, const std::string& hash,
                  const std::string& speed, const std::string& start, const std::string& end) {
    auto pad = [](const std::string& s, size_t w) {
        return s.size() >= w ? s : s + std::string(w + 1 - s.size(), ' ');
    };
    return pad(name, 16) + pad(raw, 9) + pad(hash, 9) + pad(speed, 11) + pad(start, 9) +
           pad(end, 9) + "\r\n----------\r\n";
}
}  // namespace

class KernelCheckTest : public KernelTest {
  protected:
    void SetUp() override {
        KernelTest::SetUp();
        SetClock(&clock_);
        SetEventPump(&pump_);
        MakeCallsTable(5);
        Write(5, {"ABCDEFG", "1", "x"});
        Write(5, {"ABCDEFH", "2", " y "});
    }
    void TearDown() override {
        SetClock(nullptr);
        SetEventPump(nullptr);
        KernelTest::TearDown();
    }
    TStoppedClock clock_;
    TCountingPump pump_;
};

TEST_F(KernelCheckTest, ReportOfHealthyTables) {
    MakeTable(6, "ABCDEFGHIJKLMNOPQ", {{"K", kTypeCharacter, 8, kKeyPrimary}});
    MakeTable(7, "EMPTY", {{"K", kTypeInteger, 0, kKeyPrimary}});
    for (int i = 0; i < 6; ++i) Write(6, {"K" + std::to_string(i)});
    std::string report;
    EXPECT_EQ(Check(&report), 0);
    // with no time passing the rate is the count times 1000, shown above 5000
    EXPECT_EQ(report, kHeader + Entry("CALLS5", "2", "2", "", "1", "1") + "ABCDEFGHIJKLMNOPQ" +
                          Entry("", "6", "6", "6000", "2", "2").substr(17) +
                          Entry("EMPTY", "0", "0", "", "2", "2"));
    EXPECT_EQ(pump_.Calls, 96);
    EXPECT_EQ(kernel_->CheckDatabase(report, 5), 2);
    EXPECT_EQ(report, "Table CALLS5 has 2based upon raw data read\r");
    EXPECT_EQ(kernel_->CheckDatabase(report, 9), 0);
    EXPECT_EQ(report, "");
    EXPECT_TRUE(dialogs_->Messages.empty());
}

TEST_F(KernelCheckTest, ClearedBucketWordIsReported) {
    Write(5, {"", "3", "empty key"});  // bucket 0 counts like any other
    EXPECT_EQ(Check(), 0);
    SetU32At(kBucketRegionBase + 6 * kBucketBlockSize + 1435 * 4, 0);
    std::string report;
    EXPECT_EQ(Check(&report), 999);
    EXPECT_NE(report.find(Entry("CALLS5", "3", "1", "", "1", "1")), std::string::npos) << report;
}

TEST_F(KernelCheckTest, PageScanTails) {
    std::vector<std::string> tails{"stale", "stale"};
    int32_t deleted = -1;
    EXPECT_EQ(kernel_->RawScanTable(65, 5, deleted, tails, 0), 2);
    EXPECT_EQ(deleted, 0);
    ASSERT_EQ(tails.size(), 3u);
    EXPECT_EQ(tails[0], "");
    EXPECT_EQ(tails[1], "ABCDEFG|1|x|Tail:5846838");
    EXPECT_EQ(tails[2], "ABCDEFH|2| y |Tail:0");
    EXPECT_EQ(kernel_->RawScanTable(0, 5, deleted, tails, 0), 2);
    EXPECT_EQ(tails[1], "ABCDEFG|Tail:5846838");
    Write(5, {"NONOTE", "", ""});
    EXPECT_EQ(kernel_->RawScanTable(65, 5, deleted, tails, 0), 3);
    EXPECT_EQ(tails[3], "NONOTE|0|-|Tail:0");
    EXPECT_EQ(kernel_->RawScanTable(66, 5, deleted, tails, 0), 3);
    EXPECT_EQ(tails[3], "Tail:0");
}

TEST_F(KernelCheckTest, BucketDump) {
    std::vector<std::string> lines{"stale"};
    EXPECT_EQ(kernel_->GetHashBucketContents(5, 0, 0, "ABCDEFG", lines), 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "5|5846800||ABCDEFG|x|5846838|\n\r");
    EXPECT_EQ(lines[1], "5|5846838||ABCDEFH|y|0|\n\r");
    EXPECT_EQ(kernel_->GetHashBucketContents(5, 0, 1435, "", lines), 2);
    EXPECT_EQ(kernel_->GetHashBucketContents(5, 0, 0, "abcdefg", lines),
              0);  // the key is hashed unchanged
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(kernel_->GetKeyHash("abcdefg"), 1435 + 32 * 21);
    EXPECT_EQ(kernel_->GetHashBucketContents(5, 0, 10000, "", lines), 0);
}

TEST_F(KernelCheckTest, RowAtOffsetAndKeySearch) {
    std::string text = "untouched";
    EXPECT_EQ(kernel_->ReadRowAt(65, 5, 5846800, text), 0);
    EXPECT_EQ(text, "ABCDEFG|1|x|5846838");
    EXPECT_EQ(kernel_->ReadRowAt(0, 5, 5846838, text), 0);
    EXPECT_EQ(text, "ABCDEFH|0");
    text = "untouched";
    for (uint32_t bad : {0u, 5846801u, 5846799u, 1000u, 45000000u, 44999990u, 4294967295u}) {
        EXPECT_EQ(kernel_->ReadRowAt(65, 5, bad, text), 999) << bad;
        EXPECT_EQ(text, "untouched");
    }
    EXPECT_EQ(kernel_->ReadRowAt(65, 42, 5846800, text), 999);
    EXPECT_EQ(kernel_->ScanForKey(0, " abcdefh ", 5, kDbFileSize), 5846838u);
    EXPECT_EQ(kernel_->ScanForKey(0, "ABCDEFG", 5, kDbFileSize), 5846800u);
    EXPECT_EQ(kernel_->ScanForKey(0, "ABCDEFH", 5, 5846800), 999u);  // limit reached first
    EXPECT_EQ(kernel_->ScanForKey(0, "MISSING", 5, kDbFileSize), 999u);
    EXPECT_EQ(kernel_->ScanForKey(1, "1", 5, kDbFileSize),
              999u);  // an integer column is not searched
}

TEST_F(KernelCheckTest, BucketHitCounts) {
    Write(5, {"", "0", "a"});
    Write(5, {"", "0", "b"});
    std::vector<std::string> lines;
    kernel_->GetBucketHitCounts(lines);
    ASSERT_EQ(lines.size(), 10001u);
    EXPECT_EQ(lines[0], "2");
    EXPECT_EQ(lines[1435], "2");
    EXPECT_EQ(lines[10000], "0");
    Read(5, "ABCDEFG");  // reads are not counted
    kernel_->GetBucketHitCounts(lines);
    EXPECT_EQ(lines[1435], "2");
}
