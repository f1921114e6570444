// Data pages: which slot a row goes to, pages of several tables, a full file.
#include <algorithm>
#include <cctype>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "KernelTestSupport.h"
#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"

using namespace DbFormat;

namespace {
constexpr uint32_t kBigRowSize = 100000;  // 49 slots per page, 41 on page 7
constexpr uint32_t kBigStride = kBigRowSize + kRowOverhead;
constexpr uint32_t kBigSlotsPerPage = 49;
constexpr uint32_t kBigSlotsTotal = 7 * kBigSlotsPerPage + 41;

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
            const int32_t s = Write(id, {key, "payload"});
            EXPECT_NE(s == 999 && !dialogs_->Messages.empty(), true) << "refused at " << i;
            TDBFieldsPtr f = Row(id, {key});
            EXPECT_EQ(kernel_->ReadDataRow(id, *f, 0, key), 0);
            last = static_cast<uint32_t>(std::stoul(f->GetField(2)->Value));
        }
        return last;
    }
    int next_ = 0;
};

TEST_F(KernelPagesTest, FullPageMovesToFirstFreePagePastOtherTables) {
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
    const uint32_t last = Fill(5, kBigSlotsTotal);
    // the last slot of page 7 ends inside the file
    EXPECT_EQ(last, Page(7) + 40 * kBigStride);
    EXPECT_LE(last + kBigStride, kDbFileSize);
    EXPECT_TRUE(dialogs_->Messages.empty());
    const auto buckets = Bytes(kBucketRegionBase + 6 * kBucketBlockSize, kBucketBlockSize);
    const auto tailOfLast = U32At(last + 8 + kBigRowSize);
    for (const std::string key : {"ONE_MORE", "R5_0X"}) {
        TDBFieldsPtr f = Row(5, {key, "payload"});
        int32_t found = 0;
        EXPECT_EQ(kernel_->WriteDataRow(5, found, *f, 0), 999);
    }
    ASSERT_EQ(dialogs_->Messages.size(), 2u);
    EXPECT_EQ(dialogs_->Messages[0], KernelMessages::kDatabaseFull);
    EXPECT_EQ(Bytes(kBucketRegionBase + 6 * kBucketBlockSize, kBucketBlockSize), buckets);
    EXPECT_EQ(U32At(last + 8 + kBigRowSize), tailOfLast);
    EXPECT_TRUE(Read(5, "ONE_MORE").empty());
    // an existing row can still be overwritten in place
    EXPECT_EQ(Write(5, {"R5_3", "changed"}), 0);
    EXPECT_EQ(Read(5, "R5_3", 0, 2)[1], "changed");
    std::vector<std::string> tails;
    int32_t deleted = 0;
    EXPECT_EQ(kernel_->RawScanTable(0, 5, deleted, tails, 1), static_cast<int32_t>(kBigSlotsTotal));
    EXPECT_EQ(Check(), 0);
    // a second table finds no page at all
    MakeCallsTable(6);
    EXPECT_EQ(Write(6, {"X", "1", "y"}), 999);
    EXPECT_EQ(dialogs_->Messages.back(), KernelMessages::kDatabaseFull);
    EXPECT_EQ(kernel_->TruncateTable("BIG5"), 999);  // ID 5 is never truncated
}

TEST_F(KernelPagesTest, TruncationKeepsFirstPageAndFreesTheOthers) {
    MakeBig(6);
    Fill(6, 2 * kBigSlotsPerPage + 1);  // three pages
    EXPECT_EQ(kernel_->BruteForceDeleteDataRows(6), static_cast<int32_t>(2 * kBigSlotsPerPage + 1));
    EXPECT_EQ(U32At(Page(0)), 6u);
    EXPECT_EQ(U32At(Page(0) + 4), 0u);
    EXPECT_EQ(U32At(Page(1)), 0u);
    EXPECT_EQ(U32At(Page(2)), 0u);
    const auto buckets = Bytes(kBucketRegionBase + 7 * kBucketBlockSize, kBucketBlockSize);
    EXPECT_TRUE(std::all_of(buckets.begin(), buckets.end(), [](uint8_t b) { return b == 0; }));
    std::vector<std::string> tails;
    int32_t deleted = 0;
    EXPECT_EQ(kernel_->RawScanTable(65, 6, deleted, tails, 0), 0);
    EXPECT_EQ(deleted, 1);  // the kept first slot reads as a deleted row
    EXPECT_EQ(tails.size(), 1u);
    EXPECT_EQ(Fill(6, 1), Page(0) + kBigStride);
    EXPECT_EQ(Check(), 0);
}

TEST_F(KernelPagesTest, FreedPageDoesNotHideLaterPagesOfOtherTables) {
    MakeBig(6);
    MakeBig(7);
    Fill(6, 2 * kBigSlotsPerPage);  // pages 0, 1
    Fill(7, 3);                     // page 2
    ASSERT_EQ(U32At(Page(2)), 7u);
    ASSERT_EQ(kernel_->TruncateTable("big6"), 0);
    ASSERT_EQ(U32At(Page(1)), 0u);
    std::string report;
    EXPECT_EQ(Check(&report), 0) << report;
    std::vector<std::string> tails;
    int32_t deleted = 0;
    EXPECT_EQ(kernel_->RawScanTable(65, 7, deleted, tails, 1), 3);
    EXPECT_EQ(Fill(7, 1), Page(2) + 3 * kBigStride);  // table 7 keeps using its own page
    Fill(6, kBigSlotsPerPage);                        // page 0 fills up, then the freed page 1
    EXPECT_EQ(U32At(Page(1)), 6u);
    EXPECT_EQ(Check(), 0);
}

// ReadAllOccurrences against reading occurrence 1, 2, 3, … one by one.
class KernelChainReadTest : public KernelTest {
protected:
    struct TOutcome {
        std::vector<std::string> Rows;  // every attribute of every field, one text per row
        std::vector<std::string> Messages;
        std::string Error;
        int32_t Status = 0;
        bool operator==(const TOutcome&) const = default;
        friend void PrintTo(const TOutcome& o, std::ostream* os) {
            *os << "status " << o.Status << ", error '" << o.Error << "', " << o.Rows.size()
                << " rows";
            for (const std::string& r : o.Rows) *os << "\n  " << r.substr(0, 120);
            for (const std::string& m : o.Messages) *os << "\n  message: " << m;
        }
    };

    void SetUp() override {
        KernelTest::SetUp();
        MakeCallsTable(5, kKeyPrimary);
        MakeCallsTable(6, kKeyMulti);
    }
    TDBFieldsPtr Template(uint32_t id, const std::string& key) { return Row(id, {key}); }
    static std::string Describe(const TDBFields& f) {
        std::string text;
        for (int i = 0; i < f.Count(); ++i) {
            const TDBFieldParent* p = f.GetField(i);
            text += std::to_string(p->Position) + "," + p->Name + "," + std::to_string(p->Length) +
                    "," + std::to_string(p->IsPrimary) + "," + std::to_string(p->KeyType) + "," +
                    std::to_string(p->DataType) + "," + std::to_string(p->TableID) + "=" +
                    p->Value + ";";
        }
        return text;
    }
    TOutcome ByOccurrence(uint32_t id, const std::string& key) {
        dialogs_->Messages.clear();
        TOutcome r;
        const TDBFieldsPtr tmpl = Template(id, key);
        try {
            for (int32_t occurrence = 1;; ++occurrence) {
                TDBFields f(*tmpl);
                if (kernel_->ReadDataRow(id, f, occurrence, key) != 0)
                    break;
                r.Rows.push_back(Describe(f));
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
            r.Status = kernel_->ReadAllOccurrences(id, *Template(id, key), key, out);
        } catch (const ExcCorruptDataPages& e) {
            r.Error = e.what();
            r.Status = out.empty() ? 999 : 0;
        }
        for (const TDBFieldsPtr& f : out) r.Rows.push_back(Describe(*f));
        r.Messages = dialogs_->Messages;
        return r;
    }
    // Offsets of the live rows of a key, in chain order.
    std::vector<uint32_t> Offsets(uint32_t id, const std::string& key) {
        std::vector<TDBFieldsPtr> out;
        kernel_->ReadAllOccurrences(id, *Template(id, key), key, out);
        std::vector<uint32_t> offsets;
        for (const TDBFieldsPtr& f : out)
            offsets.push_back(static_cast<uint32_t>(std::stoul(f->GetField(3)->Value)));
        return offsets;
    }
    static uint32_t TailOf(uint32_t row) { return row + 8 + 26; }
};

TEST_F(KernelChainReadTest, OneWalkEqualsOccurrenceReadsOnRandomChains) {
    // ABCDEF* share a bucket by their first six characters, AB and CA by
    // their sums; the others spread. Keys are written in mixed case and
    // with blanks around them, as a caller may hand them over.
    const std::vector<std::string> keys = {"ABCDEFG", "ABCDEFH", "ABCDEFZ", "AB",
                                           "CA",      "W4ABC",   "K1XYZ"};
    ASSERT_EQ(kernel_->GetKeyHash("AB"), kernel_->GetKeyHash("CA"));
    const std::vector<std::string> probes = {"ABCDEFG", " abcdefh ", "ABCDEFZ", "ab",  "CA",
                                             "W4ABC",   "k1xyz",     "ABCDEFX", "NONE"};
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        kernel_->BruteForceDeleteDataRows(6);
        std::mt19937 rng(seed);
        for (int op = 0; op < 400; ++op) {
            std::string key = keys[rng() % keys.size()];
            const unsigned roll = rng() % 100;
            if (roll < 60) {
                if (rng() % 3 == 0)
                    for (char& c : key) c = static_cast<char>(std::tolower(c));
                if (rng() % 4 == 0)
                    key = " " + key + " ";
                std::string note = std::string(rng() % 3, ' ') + "n" + std::to_string(op);
                Write(6, {key, std::to_string(op), note});
            } else if (roll < 85) {
                std::vector<TDBFieldsPtr> rows;
                kernel_->ReadAllOccurrences(6, *Template(6, key), key, rows);
                if (!rows.empty()) {
                    EXPECT_EQ(kernel_->MarkDataRowDeleted(*rows[rng() % rows.size()]), 0);
                }
            } else {
                for (const std::string& probe : probes)
                    ASSERT_EQ(OneWalk(6, probe), ByOccurrence(6, probe)) << probe << " op " << op;
            }
        }
        size_t total = 0;
        for (const std::string& probe : probes) {
            const TOutcome one = OneWalk(6, probe);
            ASSERT_EQ(one, ByOccurrence(6, probe)) << probe;
            EXPECT_TRUE(one.Messages.empty());
            total += one.Rows.size();
        }
        EXPECT_GT(total, 20u);  // the chains held live rows worth comparing
        EXPECT_EQ(Check(), 0);
    }
}

TEST_F(KernelChainReadTest, TableWithoutMultiKeyGivesItsOneRow) {
    Write(5, {"ABCDEFG", "1", "a"});
    Write(5, {"ABCDEFH", "2", "b"});
    Write(5, {"abcdefg", "3", "c"});  // overwrites the first
    const TOutcome one = OneWalk(5, "ABCDEFG");
    ASSERT_EQ(one.Rows.size(), 1u);
    TDBFieldsPtr f = Template(5, "ABCDEFG");
    ASSERT_EQ(kernel_->ReadDataRow(5, *f, 0, "ABCDEFG"), 0);
    EXPECT_EQ(one.Rows[0], Describe(*f));
    EXPECT_EQ(OneWalk(5, "ABCDEFX").Status, 999);
    // A list of another table, or none at all, reads nothing.
    std::vector<TDBFieldsPtr> out;
    EXPECT_EQ(kernel_->ReadAllOccurrences(6, *Template(5, "ABCDEFG"), "ABCDEFG", out), 999);
    EXPECT_EQ(kernel_->ReadAllOccurrences(5, TDBFields(), "ABCDEFG", out), 999);
    EXPECT_TRUE(out.empty());
}

class KernelDamagedChainReadTest : public KernelChainReadTest {
protected:
    void SetUp() override {
        KernelChainReadTest::SetUp();
        // One bucket, in chain order: G1 H2 G3 G4(deleted) G5 H6 Z7.
        for (const auto& [key, n] :
             std::vector<std::pair<std::string, std::string>>{{"ABCDEFG", "1"},
                                                              {"ABCDEFH", "2"},
                                                              {"ABCDEFG", "3"},
                                                              {"ABCDEFG", "4"},
                                                              {"ABCDEFG", "5"},
                                                              {"ABCDEFH", "6"},
                                                              {"ABCDEFZ", "7"}})
            Write(6, {key, n, "note" + n});
        Write(5, {"OTHER", "9", "x"});  // on the next page
        g_ = Offsets(6, "ABCDEFG");
        ASSERT_EQ(g_.size(), 4u);
        std::vector<TDBFieldsPtr> rows;
        kernel_->ReadAllOccurrences(6, *Template(6, "ABCDEFG"), "ABCDEFG", rows);
        ASSERT_EQ(kernel_->MarkDataRowDeleted(*rows[2]), 0);  // G4
        h_ = Offsets(6, "ABCDEFH");
        z_ = Offsets(6, "ABCDEFZ");
        ASSERT_EQ(h_.size(), 2u);
        ASSERT_EQ(z_.size(), 1u);
    }
    void ExpectSame(const std::string& key, const char* message, size_t rows) {
        SCOPED_TRACE(key);
        const TOutcome one = OneWalk(6, key);
        EXPECT_EQ(one, ByOccurrence(6, key));
        EXPECT_EQ(one.Rows.size(), rows);
        if (message != nullptr)
            EXPECT_EQ(one.Messages, std::vector<std::string>{message});
        else
            EXPECT_TRUE(one.Messages.empty());
    }
    std::vector<uint32_t> g_, h_, z_;
};

TEST_F(KernelDamagedChainReadTest, BrokenLinksEndTheWalkAsBefore) {
    SetU32At(TailOf(g_[1]), kDbFileSize + 100);  // G3's Tail past the file
    ExpectSame("ABCDEFG", KernelMessages::kTailOutOfRange, 2);
    ExpectSame("ABCDEFH", KernelMessages::kTailOutOfRange, 1);

    SetU32At(TailOf(g_[1]), h_[1] + 1);  // not the start of a slot
    ExpectSame("ABCDEFG", KernelMessages::kTailOutOfRange, 2);

    SetU32At(TailOf(g_[1]), z_[0] + 38 * 50);  // a free slot: the chain just ends
    ExpectSame("ABCDEFG", nullptr, 2);
    ExpectSame("ABCDEFZ", nullptr, 0);

    const uint32_t bucket = kBucketRegionBase + 7 * kBucketBlockSize +
                            static_cast<uint32_t>(kernel_->GetKeyHash("ABCDEFG")) * 4;
    ASSERT_EQ(U32At(bucket), g_[0]);
    SetU32At(bucket, kDataRegionBase - 38);  // the head before the data region
    ExpectSame("ABCDEFG", KernelMessages::kTailOutOfRange, 0);
    EXPECT_EQ(OneWalk(6, "ABCDEFG").Status, 999);
}

TEST_F(KernelDamagedChainReadTest, ChainIntoAnotherTableRaisesWithTheRowsBeforeIt) {
    const uint32_t other = kDataRegionBase + kDataPageSize;
    ASSERT_EQ(U32At(other), 5u);
    SetU32At(TailOf(g_[1]), other);
    const TOutcome one = OneWalk(6, "ABCDEFG");
    EXPECT_EQ(one, ByOccurrence(6, "ABCDEFG"));
    EXPECT_EQ(one.Error, KernelMessages::kCorruptDataPages);
    EXPECT_EQ(one.Rows.size(), 2u);
    EXPECT_EQ(OneWalk(6, "ABCDEFH"), ByOccurrence(6, "ABCDEFH"));
}

TEST_F(KernelDamagedChainReadTest, CircularChainIsCutWhereItComesBack) {
    // Z7 links back to H6: G's rows all lie before the circle, so reading
    // them one by one ends at the chain bound with the same message.
    SetU32At(TailOf(z_[0]), h_[1]);
    ExpectSame("ABCDEFG", KernelMessages::kChainTooLong, 3);
    // H6 lies on the circle: one occurrence after another would hand it out
    // until the chain bound; the one walk gives each row once.
    const TOutcome h = OneWalk(6, "ABCDEFH");
    ASSERT_EQ(h.Rows.size(), 2u);
    EXPECT_NE(h.Rows[1].find("=note6;"), std::string::npos) << h.Rows[1];
    EXPECT_EQ(h.Messages, std::vector<std::string>{KernelMessages::kChainTooLong});
    // A row that links to itself, at the head of the chain.
    SetU32At(TailOf(g_[0]), g_[0]);
    const TOutcome self = OneWalk(6, "ABCDEFG");
    EXPECT_EQ(self.Rows.size(), 1u);
    EXPECT_EQ(self.Messages, std::vector<std::string>{KernelMessages::kChainTooLong});
}
