// Damaged files: byte patches of a real file (tests/data/kernel). Every case
// ends in a message, a status or a kernel exception; none writes outside its
// row. Random damage is left to the file-image fuzz target.
#include <fstream>
#include <sstream>

#include "KernelTestSupport.h"

using namespace DbFormat;

class KernelDamageTest : public KernelTest {
protected:
    // A fresh file with CALLS5 rows W4ABC, ABCDEFG and ABCDEFH behind it.
    void Rebuild() {
        kernel_->CloseDB();
        std::remove(path_.c_str());
        ASSERT_EQ(kernel_->CreateInitialDB(path_), 0);
        MakeCallsTable(5);
        for (const char* key : {"W4ABC", "ABCDEFG", "ABCDEFH"}) Write(5, {key, "1", "a"});
        dialogs_->Messages.clear();
    }
    void Patch(const std::string& name) {
        std::ifstream in(std::string(TRAMB_TEST_DATA) + "/kernel/" + name);
        int applied = 0;
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line.substr(0, line.find('#')));
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
    std::string Rows() { return Bytes(kRow0, 8 * kCallsStride) + Bytes(BucketWord(5, 1435), 4); }
};

TEST_F(KernelDamageTest, PatchedChainsAreReportedAndNeverWritten) {
    struct TCase {
        const char* Patch;
        bool GReadable, HReadable;
        const char* Message;  // shown while looking for a key not in the chain
        int32_t CheckStatus;
    } cases[] = {
        {"bucket_beyond_file.patch", false, false, KernelMessages::kTailOutOfRange, 999},
        {"bucket_into_slots.patch", false, false, KernelMessages::kTailOutOfRange, 999},
        {"tail_beyond_file.patch", true, false, KernelMessages::kTailOutOfRange, 999},
        {"tail_misaligned.patch", true, false, KernelMessages::kTailOutOfRange, 999},
        {"tail_to_free_slot.patch", true, true, nullptr, 999},  // a link no write makes
        {"cyclic_chain.patch", true, true, KernelMessages::kChainTooLong, 999},  // the last
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Patch);
        Rebuild();
        Patch(c.Patch);
        EXPECT_EQ(Read(5, "ABCDEFG").size(), c.GReadable ? 3u : 0u);
        EXPECT_EQ(Read(5, "ABCDEFH").size(), c.HReadable ? 3u : 0u);
        dialogs_->Messages.clear();
        EXPECT_TRUE(Read(5, "ABCDEFZ").empty());
        EXPECT_EQ(dialogs_->Messages, c.Message ? Strings{c.Message} : Strings{});
        // A new key of the damaged chain is refused without a byte written.
        const std::string rows = Rows();
        EXPECT_EQ(Write(5, {"ABCDEFZ", "4", "d"}), 999);
        EXPECT_EQ(Rows(), rows);
        EXPECT_EQ(Check(), c.CheckStatus);
    }
    // The cyclic chain's dump lists each row of the circle once and calls the
    // chain damaged; past the file, the rest of the table works.
    Strings lines;
    dialogs_->Messages.clear();
    kernel_->GetHashBucketContents(5, 0, 1435, "", lines);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "5|5846838||ABCDEFG|a|5846876|\n\r");
    EXPECT_EQ(lines[1].substr(0, 10), "5|5846876|");
    EXPECT_EQ(dialogs_->Messages, Strings{KernelMessages::kChainTooLong});
    Rebuild();
    Patch("bucket_beyond_file.patch");
    EXPECT_EQ(Write(5, {"W4ABC", "9", "z"}), 0);
    EXPECT_EQ(Read(5, "W4ABC")[1], "9");
    std::string report;
    EXPECT_EQ(Check(&report), 999);
    EXPECT_NE(report.find("CALLS5           3         1"), std::string::npos) << report;
}

TEST_F(KernelDamageTest, RowOfAnotherTableRaisesAndUnknownColumnTypesAreReported) {
    Rebuild();
    Patch("other_table_row.patch");
    EXPECT_EQ(Thrown<ExcCorruptDataPages>([&] { Read(5, "ABCDEFH"); }),
              KernelMessages::kCorruptDataPages);
    const std::string rows = Rows();
    EXPECT_THROW(Write(5, {"ABCDEFZ", "4", "d"}), ExcCorruptDataPages);
    EXPECT_EQ(Rows(), rows);
    Check();
    EXPECT_EQ(dialogs_->Messages, Strings{KernelMessages::kLinkedRowOtherTable});
    Strings lines;
    EXPECT_EQ(kernel_->GetHashBucketContents(5, 0, 1435, "", lines), 1);
    EXPECT_EQ(lines, (Strings{"5|5846838||ABCDEFG|a|5846876|\n\r", "6|5846876||6|\n\r"}));
    Rebuild();
    // A column of an unknown type: reported for every row read.
    SetU32At(5 * kTableSlotSize + kTableRecordSize + 2 * kColumnRecordSize + kColRecDataTypeOffset,
             7);
    kernel_->ForgetTable(5);
    Read(5, "W4ABC");
    Check();
    // the rows read with the wrong width have their Tails out of range
    EXPECT_EQ(dialogs_->Messages,
              (Strings{KernelMessages::kBadFieldType, KernelMessages::kBadFieldType,
                       KernelMessages::kTailOutOfRange, KernelMessages::kTailOutOfRange}));
}
