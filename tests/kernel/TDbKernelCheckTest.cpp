// The integrity check, its report, and the diagnostic reads.
#include "KernelTestSupport.h"
#include "platform/TClock.h"
#include "platform/TEventPump.h"

using namespace DbFormat;

namespace {
class TStoppedClock : public TClock {
public:
    uint32_t TickCount() const override { return 1000; }
};

class TCountingPump : public TEventPump {
public:
    void ProcessMessages() override { ++Calls; }
    int Calls = 0;
};

// A report entry: name, raw and hash count, rate, start and end page, each
// padded to one more than its width.
std::string Entry(const Strings& cells) {
    const size_t widths[] = {16, 9, 9, 11, 9, 9};
    std::string text;
    for (size_t i = 0; i < cells.size(); ++i)
        text +=
            cells[i] +
            std::string(cells[i].size() >= widths[i] ? 0 : widths[i] + 1 - cells[i].size(), ' ');
    return text + "\r\n----------\r\n";
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

TEST_F(KernelCheckTest, ReportOfHealthyAndDamagedTables) {
    MakeTable(6, "ABCDEFGHIJKLMNOPQ", {{"K", kTypeCharacter, 8, kKeyPrimary}});
    MakeTable(7, "EMPTY", {{"K", kTypeInteger, 0, kKeyPrimary}});
    for (int i = 0; i < 6; ++i) Write(6, {"K" + std::to_string(i)});
    std::string report;
    EXPECT_EQ(Check(&report), 0);
    // with no time passing the rate is the count times 1000, shown above 5000
    EXPECT_EQ(report,
              "Table name       RawCount  HashCount RawSpeed   StartPage  EndPage\r\n"
              "----------       --------  --------- --------   ---------  -------\r\n" +
                  Entry({"CALLS5", "2", "2", "", "1", "1"}) +
                  Entry({"ABCDEFGHIJKLMNOPQ", "6", "6", "6000", "2", "2"}) +
                  Entry({"EMPTY", "0", "0", "", "2", "2"}));
    EXPECT_EQ(pump_.Calls, 96);
    EXPECT_EQ(std::to_string(kernel_->CheckDatabase(report, 9)) + report, "0");  // not in use
    // A cleared bucket word: the chain's rows are missing from the hash count.
    Write(5, {"", "3", "empty key"});  // bucket 0 counts like any other
    SetU32At(BucketWord(5, 1435), 0);
    EXPECT_EQ(Check(&report), 999);
    EXPECT_NE(report.find(Entry({"CALLS5", "3", "1", "", "1", "1"})), std::string::npos) << report;
    EXPECT_TRUE(dialogs_->Messages.empty());
}

TEST_F(KernelCheckTest, PageScanBucketDumpRowsAtOffsetsAndHitCounts) {
    Strings tails{"stale", "stale"}, lines{"stale"};
    EXPECT_EQ(Scan(5, &tails), 2);
    EXPECT_EQ(tails, (Strings{"", "ABCDEFG|1|x|Tail:5846838", "ABCDEFH|2| y |Tail:0"}));
    EXPECT_EQ(Scan(5, &tails, 0), 2);
    EXPECT_EQ(tails[1], "ABCDEFG|Tail:5846838");
    EXPECT_EQ(kernel_->GetHashBucketContents(5, 0, 0, "ABCDEFG", lines), 2);
    EXPECT_EQ(lines, (Strings{"5|5846800||ABCDEFG|x|5846838|\n\r", "5|5846838||ABCDEFH|y|0|\n\r"}));
    EXPECT_EQ(kernel_->GetHashBucketContents(5, 0, 1435, "", lines), 2);
    EXPECT_EQ(kernel_->GetHashBucketContents(5, 0, 0, "abcdefg", lines), 0);  // hashed unchanged
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(kernel_->GetHashBucketContents(5, 0, 10000, "", lines), 0);
    std::string text = "untouched";
    EXPECT_EQ(kernel_->ReadRowAt(65, 5, 5846800, text), 0);
    EXPECT_EQ(text, "ABCDEFG|1|x|5846838");
    EXPECT_EQ(kernel_->ReadRowAt(0, 5, 5846838, text), 0);
    EXPECT_EQ(text, "ABCDEFH|0");
    for (uint32_t bad : {0u, 5846801u, 5846799u, 1000u, 45000000u, 44999990u, 4294967295u})
        EXPECT_EQ(kernel_->ReadRowAt(65, 5, bad, text), 999) << bad;
    EXPECT_EQ(kernel_->ReadRowAt(65, 42, 5846800, text), 999);
    EXPECT_EQ(text, "ABCDEFH|0");
    EXPECT_EQ((Words{kernel_->ScanForKey(0, " abcdefh ", 5, kDbFileSize),
                     kernel_->ScanForKey(0, "ABCDEFG", 5, kDbFileSize),
                     kernel_->ScanForKey(0, "ABCDEFH", 5, 5846800),  // the limit comes first
                     kernel_->ScanForKey(0, "MISSING", 5, kDbFileSize),
                     kernel_->ScanForKey(1, "1", 5, kDbFileSize)}),  // integers are not searched
              (Words{5846838, 5846800, 999, 999, 999}));
    Write(5, {"NONOTE", "", ""});
    EXPECT_EQ(Scan(5, &tails), 3);
    EXPECT_EQ(tails[3], "NONOTE|0|-|Tail:0");
    EXPECT_EQ(Scan(5, &tails, 66), 3);
    EXPECT_EQ(tails[3], "Tail:0");
    Read(5, "ABCDEFG");  // reads are not counted
    kernel_->GetBucketHitCounts(lines);
    ASSERT_EQ(lines.size(), 10001u);
    EXPECT_EQ(lines[0] + lines[1435] + lines[10000], "020");
}
