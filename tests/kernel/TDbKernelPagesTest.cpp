// Data pages: which slot a row goes to, pages of several tables, a full file,
// truncation; chains read in one walk, whole and damaged.
#include "KernelTestSupport.h"

using namespace DbFormat;

namespace {
constexpr uint32_t kBigRowSize = 100000;  // 49 slots per page, 41 on page 7
constexpr uint32_t kBigStride = kBigRowSize + kRowOverhead;
constexpr uint32_t kBigSlotsPerPage = 49;

uint32_t Page(uint32_t p) {
    return kDataRegionBase + p * kDataPageSize;
}
}  // namespace

class KernelPagesTest : public KernelTest {
protected:
    void MakeBig(uint32_t id) {
        MakeTable(id, "BIG" + std::to_string(id),
                  {{"K", kTypeCharacter, 10, kKeyPrimary},
                   {"DATA", kTypeCharacter, kBigRowSize - 10, kKeyNone}});
    }
    // Writes n rows with fresh keys; answers the offset of the last one.
    uint32_t Fill(uint32_t id, uint32_t n) {
        uint32_t last = 0;
        for (uint32_t i = 0; i < n; ++i) {
            const std::string key = "R" + std::to_string(id) + "_" + std::to_string(next_++);
            Write(id, {key, "payload"});
            TDBFieldsPtr f = Row(id, {key});
            EXPECT_EQ(kernel_->ReadDataRow(id, *f, 0, key), 0) << "refused at " << i;
            last = static_cast<uint32_t>(std::stoul(f->GetField(2)->Value));
        }
        return last;
    }
    int next_ = 0;
};

TEST_F(KernelPagesTest, FullDatabaseRefusesWritesAndWritesNothing) {
    MakeBig(5);
    const uint32_t last = Fill(5, 7 * kBigSlotsPerPage + 41);
    EXPECT_EQ(last, Page(7) + 40 * kBigStride);  // the last slot of page 7 ends inside the file
    EXPECT_TRUE(dialogs_->Messages.empty());
    const std::string before = Bytes(BucketWord(5, 0), kBucketBlockSize) + Bytes(last, kBigStride);
    EXPECT_EQ(Write(5, {"ONE_MORE", "payload"}), 999);
    EXPECT_EQ(Write(5, {"R5_0X", "payload"}), 999);  // behind an existing chain
    EXPECT_EQ(dialogs_->Messages,
              (Strings{KernelMessages::kDatabaseFull, KernelMessages::kDatabaseFull}));
    EXPECT_TRUE(Bytes(BucketWord(5, 0), kBucketBlockSize) + Bytes(last, kBigStride) == before);
    EXPECT_TRUE(Read(5, "ONE_MORE").empty());
    EXPECT_EQ(Write(5, {"R5_3", "changed"}), 0);  // an existing row is overwritten in place
    EXPECT_EQ(Read(5, "R5_3", 0, 2)[1], "changed");
    EXPECT_EQ(Scan(5), static_cast<int32_t>(7 * kBigSlotsPerPage + 41));
    EXPECT_EQ(Check(), 0);
    MakeCallsTable(6);  // a second table finds no page at all
    EXPECT_EQ(Write(6, {"X", "1", "y"}), 999);
    EXPECT_EQ(dialogs_->Messages.back(), KernelMessages::kDatabaseFull);
    EXPECT_EQ(kernel_->TruncateTable("BIG5"), 999);  // ID 5 is never truncated
}

TEST_F(KernelPagesTest, TruncationFreesAllButTheFirstPageAndHidesNoOtherPage) {
    MakeBig(6);
    MakeBig(7);
    Fill(6, 2 * kBigSlotsPerPage);  // pages 0, 1
    Fill(7, 3);                     // page 2
    Fill(6, 1);                     // page 3
    for (const std::string name : {"NOSUCH", ""}) EXPECT_EQ(kernel_->TruncateTable(name), 999);
    ASSERT_EQ(kernel_->TruncateTable("big6"), 0);
    EXPECT_EQ(
        (Words{U32At(Page(0)), U32At(Page(0) + 4), U32At(Page(1)), U32At(Page(2)), U32At(Page(3))}),
        (Words{6, 0, 0, 7, 0}));
    EXPECT_TRUE(Bytes(BucketWord(6, 0), kBucketBlockSize) == std::string(kBucketBlockSize, '\0'));
    Strings tails;
    int32_t deleted = 0;
    EXPECT_EQ(kernel_->RawScanTable(65, 6, deleted, tails, 0), 0);
    EXPECT_EQ(deleted, 1);  // the kept first slot reads as a deleted row
    EXPECT_EQ(Scan(7), 3);  // the freed page 1 does not end table 7's pages
    EXPECT_EQ(Check(), 0);
    EXPECT_EQ(Fill(7, 1), Page(2) + 3 * kBigStride);
    EXPECT_EQ(Fill(6, 1), Page(0) + kBigStride);
    Fill(6, kBigSlotsPerPage);  // page 0 fills up, then the freed page 1
    EXPECT_EQ(U32At(Page(1)), 6u);
    // deleted rows count too: the kept first slot and 50 rows
    EXPECT_EQ(kernel_->BruteForceDeleteDataRows(6), static_cast<int32_t>(kBigSlotsPerPage + 2));
    EXPECT_EQ(kernel_->BruteForceDeleteDataRows(42), 0);  // no such table
    EXPECT_EQ(Check(), 0);
}

// ReadAllOccurrences against reading occurrence 1, 2, 3, … one by one, on
// one bucket's chain of a multi-key table, rows 0-6 of page 0:
// G1 H2 G3 G4(deleted) G5 H6 Z7.
class KernelChainReadTest : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        MakeCallsTable(5);
        MakeCallsTable(6, kKeyMulti);
        for (const char* kn : {"G1", "H2", "G3", "G4", "G5", "H6", "Z7"})
            Write(6, {std::string("ABCDEF") + kn[0], kn + 1, std::string("note") + kn[1]});
        Write(5, {"OTHER", "9", "x"});  // on the next page
        TDBFieldsPtr g4 = Row(6, {"ABCDEFG"});
        ASSERT_EQ(kernel_->ReadDataRow(6, *g4, 3, "ABCDEFG"), 0);
        ASSERT_EQ(kernel_->MarkDataRowDeleted(*g4), 0);
    }
    // The rows read, the error raised, every attribute of every row and the
    // messages shown, one text.
    std::string Outcome(uint32_t id, const std::string& key, bool oneWalk) {
        dialogs_->Messages.clear();
        std::vector<TDBFieldsPtr> out;
        std::string text;
        try {
            if (oneWalk && kernel_->ReadAllOccurrences(id, *Row(id, {key}), key, out) != 0)
                text = out.empty() ? "" : "status 999 with rows ";
            for (int32_t n = 1; !oneWalk && (n == 1 || id == 6); ++n) {  // a unique key: once
                TDBFieldsPtr f = Row(id, {key});
                if (kernel_->ReadDataRow(id, *f, n, key) != 0)
                    break;
                out.push_back(f);
            }
        } catch (const ExcCorruptDataPages& e) {
            text = std::string(e.what()) + " ";
        }
        text = std::to_string(out.size()) + " " + text;
        for (const TDBFieldsPtr& f : out) text += "\n" + Describe(*f);
        for (const std::string& m : dialogs_->Messages) text += "\nmessage " + m;
        return text;
    }
    void ExpectSame(const std::string& key, const char* message, size_t rows) {
        const std::string one = Outcome(6, key, true);
        EXPECT_EQ(one, Outcome(6, key, false)) << key;
        EXPECT_EQ(one.substr(0, one.find(' ')), std::to_string(rows)) << key;
        const size_t at = one.find("\nmessage ");
        EXPECT_EQ(at == std::string::npos ? "" : one.substr(at + 9), message ? message : "") << key;
    }
    static uint32_t At(uint32_t row) { return kRow0 + row * kCallsStride; }
    static uint32_t TailOf(uint32_t row) { return At(row + 1) - 4; }
};

TEST_F(KernelChainReadTest, BrokenLinksEndTheWalkAsBefore) {
    ExpectSame(" abcdefh ", nullptr, 2);
    ExpectSame("ABCDEFX", nullptr, 0);
    // A table without multi key gives its one row; a list of another table or
    // none at all reads nothing.
    EXPECT_EQ(Outcome(5, "other", true), Outcome(5, "other", false));
    EXPECT_EQ(Outcome(5, "other", true).substr(0, 2), "1 ");
    std::vector<TDBFieldsPtr> out;
    EXPECT_EQ(kernel_->ReadAllOccurrences(6, *Row(5, {"OTHER"}), "OTHER", out) +
                  kernel_->ReadAllOccurrences(5, TDBFields(), "OTHER", out),
              2 * 999);
    SetU32At(TailOf(2), kDbFileSize + 100);  // G3's Tail past the file
    ExpectSame("ABCDEFG", KernelMessages::kTailOutOfRange, 2);
    ExpectSame("ABCDEFH", KernelMessages::kTailOutOfRange, 1);
    SetU32At(TailOf(2), At(5) + 1);  // not the start of a slot
    ExpectSame("ABCDEFG", KernelMessages::kTailOutOfRange, 2);
    SetU32At(TailOf(2), At(56));  // a free slot: the chain just ends
    ExpectSame("ABCDEFG", nullptr, 2);
    ExpectSame("ABCDEFZ", nullptr, 0);
    SetU32At(TailOf(2), Page(1));  // into another table: raised with the rows before it
    ExpectSame("ABCDEFG", nullptr, 2);
    ExpectSame("ABCDEFH", nullptr, 1);
    EXPECT_EQ(
        Outcome(6, "ABCDEFG", true).rfind(std::string("2 ") + KernelMessages::kCorruptDataPages, 0),
        0u);
    ASSERT_EQ(U32At(BucketWord(6, 1435)), At(0));
    SetU32At(BucketWord(6, 1435), kRow0 - kCallsStride);  // the head before the data region
    ExpectSame("ABCDEFG", KernelMessages::kTailOutOfRange, 0);
}

TEST_F(KernelChainReadTest, CircularChainIsCutWhereItComesBack) {
    // Z7 links back to H6: G's rows all lie before the circle, so reading
    // them one by one ends at the chain bound with the same message.
    SetU32At(TailOf(6), At(5));
    ExpectSame("ABCDEFG", KernelMessages::kChainTooLong, 3);
    EXPECT_NE(Outcome(6, "ABCDEFG", true).find("CALL=ABCDEFG;1,0,0,2,0,6,QTY=5;"),
              std::string::npos);
    // H6 lies on the circle: one occurrence after another would hand it out
    // until the chain bound; the one walk gives each row once.
    const std::string chainTooLong = "\nmessage " + std::string(KernelMessages::kChainTooLong);
    const std::string one = Outcome(6, "ABCDEFH", true);
    EXPECT_EQ(one.substr(0, 2) + one.substr(one.rfind('\n')), "2 " + chainTooLong);
    EXPECT_NE(one.find("NOTE=note6;"), std::string::npos);
    SetU32At(TailOf(0), At(0));  // a row that links to itself, at the head of the chain
    const std::string self = Outcome(6, "ABCDEFG", true);
    EXPECT_EQ(self.substr(0, 2) + self.substr(self.rfind('\n')), "1 " + chainTooLong);
}
