// Data pages: which slot a row goes to, pages of several tables, a full file,
// truncation; chains read in one walk, whole and damaged.
#include <ostream>

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

TEST_F(KernelPagesTest, FullPageMovesToTheFirstFreePagePastOtherTables) {
    MakeBig(5);
    MakeCallsTable(6);
    EXPECT_EQ(Fill(5, kBigSlotsPerPage), Page(0) + (kBigSlotsPerPage - 1) * kBigStride);
    Write(6, {"SMALL", "1", "x"});
    EXPECT_EQ(U32At(Page(1)), 6u);
    EXPECT_EQ(Fill(5, 1), Page(2));
    EXPECT_EQ(Fill(5, 1), Page(2) + kBigStride);
    std::vector<uint8_t*> pages;
    int32_t first = 0;
    EXPECT_EQ(kernel_->GetDataPagesList(kernel_->GetDataPagesPointer(), pages, first, 5), 3);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(pages[2], nullptr);  // page 1 belongs to table 6
    EXPECT_EQ(pages[3], TDbKernel::Base() + Page(2));
    // a table without a page is shown the first free page
    MakeCallsTable(7);
    EXPECT_EQ(kernel_->GetDataPagesList(kernel_->GetDataPagesPointer(), pages, first, 7), 3);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(pages[3], TDbKernel::Base() + Page(3));
    EXPECT_EQ(Check(), 0);
}

TEST_F(KernelPagesTest, FullDatabaseRefusesWritesAndWritesNothing) {
    MakeBig(5);
    const uint32_t last = Fill(5, 7 * kBigSlotsPerPage + 41);
    EXPECT_EQ(last, Page(7) + 40 * kBigStride);  // the last slot of page 7 ends inside the file
    EXPECT_LE(last + kBigStride, kDbFileSize);
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
    std::string report;
    EXPECT_EQ(Check(&report), 0) << report;
    EXPECT_EQ(Fill(7, 1), Page(2) + 3 * kBigStride);
    EXPECT_EQ(Fill(6, 1), Page(0) + kBigStride);
    Fill(6, kBigSlotsPerPage);  // page 0 fills up, then the freed page 1
    EXPECT_EQ(U32At(Page(1)), 6u);
    // deleted rows count too: the kept first slot and 50 rows
    EXPECT_EQ(kernel_->BruteForceDeleteDataRows(6), static_cast<int32_t>(kBigSlotsPerPage + 2));
    EXPECT_EQ(kernel_->BruteForceDeleteDataRows(42), 0);  // no such table
    EXPECT_EQ(Check(), 0);
}

// ReadAllOccurrences against reading occurrence 1, 2, 3, … one by one.
class KernelChainReadTest : public KernelTest {
protected:
    struct TOutcome {
        Strings Rows;  // every attribute of every field, one text per row
        Strings Messages;
        std::string Error;
        int32_t Status = 0;
        bool operator==(const TOutcome&) const = default;
        friend void PrintTo(const TOutcome& o, std::ostream* os) {
            *os << "status " << o.Status << ", error '" << o.Error << "', " << o.Rows.size()
                << " rows";
            for (const std::string& m : o.Messages) *os << "\n  message: " << m;
        }
    };
    void SetUp() override {
        KernelTest::SetUp();
        MakeCallsTable(5, kKeyPrimary);
        MakeCallsTable(6, kKeyMulti);
        // One bucket, in chain order: G1 H2 G3 G4(deleted) G5 H6 Z7.
        for (const char* kn : {"G1", "H2", "G3", "G4", "G5", "H6", "Z7"})
            Write(6, {std::string("ABCDEF") + kn[0], kn + 1, std::string("note") + kn[1]});
        Write(5, {"OTHER", "9", "x"});  // on the next page
        g_ = Offsets("ABCDEFG");
        ASSERT_EQ(g_.size(), 4u);
        TDBFieldsPtr g4 = Row(6, {"ABCDEFG"});
        ASSERT_EQ(kernel_->ReadDataRow(6, *g4, 3, "ABCDEFG"), 0);
        ASSERT_EQ(kernel_->MarkDataRowDeleted(*g4), 0);
        g_ = Offsets("ABCDEFG");
        h_ = Offsets("ABCDEFH");
        z_ = Offsets("ABCDEFZ");
    }
    TOutcome ByOccurrence(uint32_t id, const std::string& key) {
        dialogs_->Messages.clear();
        TOutcome r;
        try {
            for (int32_t occurrence = 1;; ++occurrence) {
                TDBFieldsPtr f = Row(id, {key});
                if (kernel_->ReadDataRow(id, *f, occurrence, key) != 0)
                    break;
                r.Rows.push_back(Describe(*f));
            }
        } catch (const ExcCorruptDataPages& e) {
            r.Error = e.what();
        }
        r.Status = r.Rows.empty() ? 999 : 0;
        r.Messages = dialogs_->Messages;
        return r;
    }
    TOutcome OneWalk(uint32_t id, const std::string& key) {
        dialogs_->Messages.clear();
        TOutcome r;
        std::vector<TDBFieldsPtr> out;
        try {
            r.Status = kernel_->ReadAllOccurrences(id, *Row(id, {key}), key, out);
        } catch (const ExcCorruptDataPages& e) {
            r.Error = e.what();
            r.Status = out.empty() ? 999 : 0;
        }
        for (const TDBFieldsPtr& f : out) r.Rows.push_back(Describe(*f));
        r.Messages = dialogs_->Messages;
        return r;
    }
    // Offsets of the live rows of a key of table 6, in chain order.
    std::vector<uint32_t> Offsets(const std::string& key) {
        std::vector<TDBFieldsPtr> out;
        kernel_->ReadAllOccurrences(6, *Row(6, {key}), key, out);
        std::vector<uint32_t> offsets;
        for (const TDBFieldsPtr& f : out) offsets.push_back(std::stoul(f->GetField(3)->Value));
        return offsets;
    }
    void ExpectSame(const std::string& key, const char* message, size_t rows) {
        SCOPED_TRACE(key);
        const TOutcome one = OneWalk(6, key);
        EXPECT_EQ(one, ByOccurrence(6, key));
        EXPECT_EQ(one.Rows.size(), rows);
        EXPECT_EQ(one.Messages, message ? Strings{message} : Strings{});
    }
    static uint32_t TailOf(uint32_t row) { return row + kCallsStride - 4; }
    std::vector<uint32_t> g_, h_, z_;
};

TEST_F(KernelChainReadTest, OneWalkGivesTheRowsOfEachOccurrence) {
    ASSERT_EQ(g_.size(), 3u);
    ASSERT_EQ(h_.size(), 2u);
    ExpectSame("ABCDEFG", nullptr, 3);
    ExpectSame(" abcdefh ", nullptr, 2);
    ExpectSame("ABCDEFX", nullptr, 0);
    EXPECT_NE(OneWalk(6, "ABCDEFG").Rows[2].find("CALL=ABCDEFG;1,0,0,2,0,6,QTY=5;"),
              std::string::npos);
    // A table without multi key gives its one row; a list of another table or
    // none at all reads nothing.
    const TOutcome one = OneWalk(5, "other");
    TDBFieldsPtr f = Row(5, {"other"});
    ASSERT_EQ(kernel_->ReadDataRow(5, *f, 0, "other"), 0);
    EXPECT_EQ(one.Rows, Strings{Describe(*f)});
    std::vector<TDBFieldsPtr> out;
    EXPECT_EQ(kernel_->ReadAllOccurrences(6, *Row(5, {"OTHER"}), "OTHER", out), 999);
    EXPECT_EQ(kernel_->ReadAllOccurrences(5, TDBFields(), "OTHER", out), 999);
    EXPECT_TRUE(out.empty());
}

TEST_F(KernelChainReadTest, BrokenLinksEndTheWalkAsBefore) {
    SetU32At(TailOf(g_[1]), kDbFileSize + 100);  // G3's Tail past the file
    ExpectSame("ABCDEFG", KernelMessages::kTailOutOfRange, 2);
    ExpectSame("ABCDEFH", KernelMessages::kTailOutOfRange, 1);
    SetU32At(TailOf(g_[1]), h_[1] + 1);  // not the start of a slot
    ExpectSame("ABCDEFG", KernelMessages::kTailOutOfRange, 2);
    SetU32At(TailOf(g_[1]), z_[0] + kCallsStride * 50);  // a free slot: the chain just ends
    ExpectSame("ABCDEFG", nullptr, 2);
    ExpectSame("ABCDEFZ", nullptr, 0);
    const uint32_t bucket = BucketWord(6, 1435);
    ASSERT_EQ(U32At(bucket), g_[0]);
    SetU32At(bucket, kDataRegionBase - kCallsStride);  // the head before the data region
    ExpectSame("ABCDEFG", KernelMessages::kTailOutOfRange, 0);
}

TEST_F(KernelChainReadTest, ChainIntoAnotherTableRaisesWithTheRowsBeforeIt) {
    ASSERT_EQ(U32At(Page(1)), 5u);
    SetU32At(TailOf(g_[1]), Page(1));
    const TOutcome one = OneWalk(6, "ABCDEFG");
    EXPECT_EQ(one, ByOccurrence(6, "ABCDEFG"));
    EXPECT_EQ(one.Error, KernelMessages::kCorruptDataPages);
    EXPECT_EQ(one.Rows.size(), 2u);
    EXPECT_EQ(OneWalk(6, "ABCDEFH"), ByOccurrence(6, "ABCDEFH"));
}

TEST_F(KernelChainReadTest, CircularChainIsCutWhereItComesBack) {
    // Z7 links back to H6: G's rows all lie before the circle, so reading
    // them one by one ends at the chain bound with the same message.
    SetU32At(TailOf(z_[0]), h_[1]);
    ExpectSame("ABCDEFG", KernelMessages::kChainTooLong, 3);
    // H6 lies on the circle: one occurrence after another would hand it out
    // until the chain bound; the one walk gives each row once.
    const TOutcome h = OneWalk(6, "ABCDEFH");
    ASSERT_EQ(h.Rows.size(), 2u);
    EXPECT_NE(h.Rows[1].find("=note6;"), std::string::npos) << h.Rows[1];
    EXPECT_EQ(h.Messages, Strings{KernelMessages::kChainTooLong});
    SetU32At(TailOf(g_[0]), g_[0]);  // a row that links to itself, at the head of the chain
    const TOutcome self = OneWalk(6, "ABCDEFG");
    EXPECT_EQ(self.Rows.size(), 1u);
    EXPECT_EQ(self.Messages, Strings{KernelMessages::kChainTooLong});
}
