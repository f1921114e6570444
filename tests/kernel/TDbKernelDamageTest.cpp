// Damaged files: offsets out of range, misaligned links, cycles, rows of
// another table, random bytes. Every case ends in a message, a status or a
// kernel exception; none may crash, hang or write outside its row.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "KernelTestSupport.h"
#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"

using namespace DbFormat;

namespace {
constexpr uint32_t kRow0 = 5846800;
constexpr uint32_t kRow3 = kRow0 + 3 * 38;  // the first free slot

bool Has(const std::vector<std::string>& messages, const char* text) {
    return std::find(messages.begin(), messages.end(), text) != messages.end();
}
}  // namespace

class KernelDamageTest : public KernelTest {
  protected:
    void SetUp() override {
        KernelTest::SetUp();
        MakeCallsTable(5);
        Write(5, {"W4ABC", "1", "a"});
        Write(5, {"ABCDEFG", "2", "b"});
        Write(5, {"ABCDEFH", "3", "c"});
        ASSERT_EQ(Check(), 0);
    }
    void Patch(const std::string& name) {
        std::ifstream in(std::string(TRAMB_TEST_DATA) + "/kernel/" + name);
        ASSERT_TRUE(in) << name;
        std::string line;
        int applied = 0;
        while (std::getline(in, line)) {
            line = line.substr(0, line.find('#'));
            std::istringstream words(line);
            std::string kind;
            uint64_t offset = 0, value = 0;
            if (!(words >> kind >> offset >> value))
                continue;
            ASSERT_EQ(kind, "u32");
            ASSERT_LE(offset + 4, kDbFileSize);
            SetU32At(static_cast<uint32_t>(offset), static_cast<uint32_t>(value));
            ++applied;
        }
        ASSERT_GT(applied, 0) << name;
    }
    // A write of a new key of bucket 1435 must be refused without a byte written.
    void ExpectChainWriteRefused() {
        const auto before = Bytes(kRow0, 8 * 38);
        const uint32_t bucket = U32At(2092540);
        EXPECT_EQ(Write(5, {"ABCDEFZ", "4", "d"}), 999);
        EXPECT_EQ(Bytes(kRow0, 8 * 38), before);
        EXPECT_EQ(U32At(2092540), bucket);
    }
};

TEST_F(KernelDamageTest, BucketWordPastTheFile) {
    Patch("bucket_beyond_file.patch");
    EXPECT_TRUE(Read(5, "ABCDEFG").empty());
    EXPECT_TRUE(Has(dialogs_->Messages, KernelMessages::kTailOutOfRange));
    ExpectChainWriteRefused();
    EXPECT_EQ(Read(5, "W4ABC").size(), 3u);  // the rest of the table works
    EXPECT_EQ(Write(5, {"W4ABC", "9", "z"}), 0);
    std::string report;
    EXPECT_EQ(Check(&report), 999);
    EXPECT_NE(report.find("CALLS5           3         1"), std::string::npos) << report;
}

TEST_F(KernelDamageTest, BucketWordIntoTheTableSlots) {
    Patch("bucket_into_slots.patch");
    EXPECT_TRUE(Read(5, "ABCDEFH").empty());
    ExpectChainWriteRefused();
    EXPECT_EQ(Check(), 999);
    std::vector<std::string> lines;
    EXPECT_EQ(kernel_->GetHashBucketContents(5, 0, 1435, "", lines), 0);
    EXPECT_TRUE(lines.empty());
}

TEST_F(KernelDamageTest, TailPastTheFile) {
    Patch("tail_beyond_file.patch");
    EXPECT_EQ(Read(5, "ABCDEFG").size(), 3u);
    dialogs_->Messages.clear();
    EXPECT_TRUE(Read(5, "ABCDEFH").empty());
    EXPECT_EQ(dialogs_->Messages, std::vector<std::string>{KernelMessages::kTailOutOfRange});
    ExpectChainWriteRefused();
    EXPECT_EQ(Check(), 999);
}

TEST_F(KernelDamageTest, MisalignedTail) {
    Patch("tail_misaligned.patch");
    EXPECT_TRUE(Read(5, "ABCDEFH").empty());
    ExpectChainWriteRefused();
    EXPECT_EQ(Check(), 999);
    std::string text = "untouched";
    EXPECT_EQ(kernel_->ReadRowAt(65, 5, 5846839, text), 999);
    EXPECT_EQ(text, "untouched");
}

TEST_F(KernelDamageTest, CyclicChainEndsTheWalk) {
    Patch("cyclic_chain.patch");
    EXPECT_EQ(Read(5, "ABCDEFH").size(), 3u);
    EXPECT_TRUE(Read(5, "ABCDEFZ").empty());
    EXPECT_TRUE(Has(dialogs_->Messages, KernelMessages::kChainTooLong));
    ExpectChainWriteRefused();
    std::string report;
    EXPECT_EQ(Check(&report), 999);
    std::vector<std::string> lines;
    EXPECT_GT(kernel_->GetHashBucketContents(5, 0, 1435, "", lines), 2);
    EXPECT_EQ(lines[0], "5|5846838||ABCDEFG|b|5846876|\n\r");
    EXPECT_EQ(lines[2], lines[0]);
}

TEST_F(KernelDamageTest, RowOfAnotherTableInTheChain) {
    Patch("other_table_row.patch");
    try {
        Read(5, "ABCDEFH");
        FAIL();
    } catch (const ExcCorruptDataPages& e) {
        EXPECT_STREQ(e.what(), "DataPageID was not the same as tableID assigned to hash bucket.");
    }
    const auto before = Bytes(kRow0, 8 * 38);
    EXPECT_THROW(Write(5, {"ABCDEFZ", "4", "d"}), ExcCorruptDataPages);
    EXPECT_EQ(Bytes(kRow0, 8 * 38), before);
    Check();
    EXPECT_TRUE(Has(dialogs_->Messages, KernelMessages::kLinkedRowOtherTable));
    std::vector<std::string> lines;
    EXPECT_EQ(kernel_->GetHashBucketContents(5, 0, 1435, "", lines), 1);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "6|5846876||6|\n\r");
}

TEST_F(KernelDamageTest, TailToAFreeSlot) {
    Patch("tail_to_free_slot.patch");
    EXPECT_TRUE(Read(5, "ABCDEFZ").empty());
    ExpectChainWriteRefused();
    EXPECT_EQ(U32At(kRow3), 0u);
    EXPECT_EQ(Check(), 0);  // the free slot holds no row: both counts agree
}

TEST_F(KernelDamageTest, RandomBytesNeverCrashOrHang) {
    const uint32_t buckets5 = kBucketRegionBase + 6 * kBucketBlockSize;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed);
        auto word = [&] {
            switch (rng() % 4) {
                case 0:
                    return static_cast<uint32_t>(rng());
                case 1:
                    return kDataRegionBase + static_cast<uint32_t>(rng() % 200) * 38;
                case 2:
                    return static_cast<uint32_t>(rng() % 3 == 0 ? 0 : 5);
                default:
                    return kDataRegionBase + static_cast<uint32_t>(rng() % kDataRegionSize);
            }
        };
        // damage buckets, the first rows and, for some seeds, the table's columns
        for (int i = 0; i < 400; ++i) SetU32At(buckets5 + (rng() % kBucketCount) * 4, word());
        for (uint32_t off = kRow0; off < kRow0 + 200 * 38; off += 4)
            SetU32At(off, rng() % 5 == 0 ? word() : U32At(off));
        if (seed % 3 == 0) {
            const uint32_t col =
                5 * kTableSlotSize + kTableRecordSize + (rng() % 4) * kColumnRecordSize;
            SetU32At(col + kColRecDataTypeOffset,
                     rng() % 3 == 0 ? static_cast<uint32_t>(rng()) : rng() % 3);
            SetU32At(col + kColRecLengthOffset,
                     rng() % 2 == 0 ? static_cast<uint32_t>(rng()) : rng() % 40);
            kernel_->ForgetTable(5);
        }
        int kernelErrors = 0;
        auto guarded = [&](auto&& f) {
            try {
                f();
            } catch (const ExcCorruptDataPages&) {
                ++kernelErrors;
            } catch (const ExcKernelError&) {
                ++kernelErrors;
            } catch (const ExcNoPrimaryKeyDefined&) {
                ++kernelErrors;
            } catch (const ExcRowAlreadyMarkedForDeletion&) {
                ++kernelErrors;
            }
        };
        std::string report;
        guarded([&] { Check(&report); });
        for (int i = 0; i < 200; ++i) {
            const std::string key = "ABCDEF" + std::to_string(rng() % 50);
            guarded([&] { Write(5, {key, std::to_string(rng() % 100), "r"}); });
            guarded([&] { Read(5, key); });
            guarded([&] {
                TDBFieldsPtr f = Row(5, {key});
                for (int k = 0; k < f->Count(); ++k)
                    if (f->GetField(k)->DataType == 999) {
                        f->GetField(k)->Value = std::to_string(word());
                        break;
                    }
                kernel_->MarkDataRowDeleted(*f);
            });
            std::string text;
            kernel_->ReadRowAt(65, 5, word(), text);
        }
        std::vector<std::string> lines;
        for (int32_t b = 0; b < 6000; b += 7)
            guarded([&] { kernel_->GetHashBucketContents(5, 0, b, "", lines); });
        int32_t deleted = 0;
        kernel_->RawScanTable(65, 5, deleted, lines, 0);
        kernel_->ScanForKey(0, "ABCDEF7", 5, kDbFileSize);
        guarded([&] { Check(&report); });
        EXPECT_EQ(report.substr(0, 10), "Table name") << "seed " << seed;
        // nothing outside the data region and table 5's buckets was touched
        EXPECT_EQ(U32At(kBucketRegionBase + 7 * kBucketBlockSize), 0u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(TDbKernel::Base() + kTableSlotSize)),
                  "SYSTables");
        // and the file can be truncated into a healthy state again
        SetU32At(5 * kTableSlotSize + kTableRecordSize + kColRecDataTypeOffset, kTypeCharacter);
        SetU32At(5 * kTableSlotSize + kTableRecordSize + kColRecLengthOffset, 10);
        for (uint32_t c = 1; c < 4; ++c) {
            const uint32_t col = 5 * kTableSlotSize + kTableRecordSize + c * kColumnRecordSize;
            SetU32At(col + kColRecDataTypeOffset, c == 1   ? kTypeInteger
                                                  : c == 2 ? kTypeCharacter
                                                           : kTypeFree);
            SetU32At(col + kColRecLengthOffset, c == 2 ? 12 : 0);
        }
        kernel_->ForgetTable(5);
        std::memset(TDbKernel::Base() + buckets5, 0, kBucketBlockSize);
        std::memset(TDbKernel::Base() + kDataRegionBase, 0, kDataPageSize);
        dialogs_->Messages.clear();
        EXPECT_EQ(Write(5, {"W4ABC", "1", "a"}), 999) << "seed " << seed;  // a new chain
        EXPECT_EQ(Check(), 0) << "seed " << seed;
        EXPECT_TRUE(dialogs_->Messages.empty());
    }
}
