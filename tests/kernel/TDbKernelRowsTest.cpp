// Writing, reading, overwriting and deleting rows; the field encodings; the
// empty field lists and their cache (the schema layer's hooks are tested there).
#include <stdexcept>

#include "KernelTestSupport.h"

using namespace DbFormat;

TEST_F(KernelTest, RowsAreWrittenLinkedOverwrittenAndRejected) {
    MakeCallsTable();
    int32_t found = 1;
    // The first row of a chain answers 999 although it is stored.
    EXPECT_EQ(kernel_->WriteDataRow(5, found, *Row(5, {"w4abc", "7", "Hello"}), 0), 999);
    EXPECT_EQ(found, 0);
    EXPECT_EQ((Words{U32At(kRow0), U32At(kRow0 + 4), U32At(BucketWord(5, 985))}),
              (Words{5, kRow0, kRow0}));
    EXPECT_EQ(Read(5, " w4abc "), (Strings{"W4ABC", "7", "Hello"}));
    // ABCDEFG and ABCDEFH share a bucket: the second is linked behind the first.
    Write(5, {"ABCDEFG", "1", "first"});
    EXPECT_EQ(Write(5, {"ABCDEFH", "", "second"}), 0);
    EXPECT_EQ(U32At(kRow0 + 2 * kCallsStride - 4), kRow0 + 2 * kCallsStride);  // Tail of G
    EXPECT_EQ(Read(5, "ABCDEFH"), (Strings{"ABCDEFH", "0", "second"}));  // a new empty integer
    // A unique key is overwritten in place, an empty integer kept; the rows stay linked.
    EXPECT_EQ(kernel_->WriteDataRow(5, found, *Row(5, {"abcdefg", "", "changed"}), 0), 0);
    EXPECT_EQ(found, -1);
    EXPECT_EQ(Read(5, "ABCDEFG"), (Strings{"ABCDEFG", "1", "changed"}));
    EXPECT_EQ(Scan(5), 3);
    const std::string before = Bytes(kRow0, 3 * kCallsStride);
    found = 0;  // rejecting an existing key writes nothing
    EXPECT_EQ(kernel_->WriteDataRow(5, found, *Row(5, {"W4ABC", "9", "z"}), 1), 999);
    EXPECT_EQ(found, -1);
    EXPECT_EQ(Bytes(kRow0, 3 * kCallsStride), before);
    // The RowID lands in the first free field, where reading stops; a unique
    // key ignores the occurrence.
    TDBFieldsPtr f = Row(5, {"ABCDEFH"});
    ASSERT_EQ(kernel_->ReadDataRow(5, *f, 7, "ABCDEFH"), 0);
    EXPECT_EQ(Values(*f, 5)[3] + "|" + Values(*f, 5)[4],
              std::to_string(kRow0 + 2 * kCallsStride) + "|");
}

TEST_F(KernelTest, FieldsAreEncodedAndBadIntegersRefusedBeforeAnyWrite) {
    MakeTable(5, "T",
              {{"CALL", kTypeCharacter, 6, kKeyPrimary},
               {"NOTE", kTypeCharacter, 4, kKeyNone},
               {"TAG", kTypeCharacter, 8, kKeyNone},
               {"N", kTypeInteger, 0, kKeyNone}});
    Write(5, {"w4abc", "abcdefgh", "  lead", "-12"});
    EXPECT_EQ(Bytes(kRow0 + 8, 10), std::string("W4ABC\0abcd", 10));  // cut, no terminator
    EXPECT_EQ(U32At(kRow0 + 8 + 18), static_cast<uint32_t>(-12));
    EXPECT_EQ(Read(5, "W4ABC", 0, 4), (Strings{"W4ABC", "abcd", "  lead", "-12"}));
    const std::string before = Bytes(kRow0, 400) + Bytes(BucketWord(5, 0), kBucketBlockSize);
    int32_t found = 0;
    for (const char* bad : {"12a", "abc", " 5", "99999999999", "1.5"})
        for (const char* key : {"NEWKEY", "W4ABC"})
            EXPECT_THROW(kernel_->WriteDataRow(5, found, *Row(5, {key, "", "", bad}), 0),
                         std::invalid_argument)
                << bad;
    EXPECT_TRUE(Bytes(kRow0, 400) + Bytes(BucketWord(5, 0), kBucketBlockSize) == before);
    // a list of another table: refused
    EXPECT_EQ(kernel_->WriteDataRow(7, found, *Row(5, {"K"}), 0), 999);
    EXPECT_EQ(kernel_->WriteDataRow(99, found, *Row(5, {"K"}), 0), 999);
    EXPECT_EQ(Scan(5), 1);
}

TEST_F(KernelTest, DeletionMarksOnlyARowSlotOfTheListsTable) {
    MakeCallsTable(5);
    MakeCallsTable(6);
    Write(5, {"K1", "1", "one"});
    Write(5, {"K2", "2", "two"});
    Write(6, {"K6", "6", "six"});
    TDBFieldsPtr f = Row(5, {"K1"});
    auto mark = [&](const std::string& rowID) {
        f->GetField(3)->Value = rowID;
        return kernel_->MarkDataRowDeleted(*f);
    };
    const std::string before = Bytes(kRow0, kDataPageSize + kCallsStride);
    for (const std::string bad : {"1", "5846801", "5846876", "45000000", "4294967295", "abc", "-4"})
        EXPECT_NE(Thrown<ExcKernelError>([&] { mark(bad); }), "none") << bad;
    // the slot of table 6's row is a row slot, but not of table 5
    EXPECT_EQ(Thrown<ExcKernelError>([&] { mark("10846800"); }),
              std::string(KernelMessages::kNotARowOfTable) + "10846800");
    for (const std::string zero : {"", "0"})
        EXPECT_EQ(Thrown<ExcRowAlreadyMarkedForDeletion>([&] { mark(zero); }),
                  KernelMessages::kRowIDZero);
    EXPECT_TRUE(Bytes(kRow0, kDataPageSize + kCallsStride) == before);
    // the row is skipped but keeps its bytes; the same slot again is no error
    EXPECT_EQ(mark(std::to_string(kRow0)) + mark(std::to_string(kRow0)), 0);
    EXPECT_TRUE(Read(5, "K1").empty());
    EXPECT_EQ(Bytes(kRow0 + 4, 7), std::string("\0\0\0\0K1\0", 7));
    std::string report;
    EXPECT_EQ(Check(&report), 0);
    EXPECT_NE(report.find("CALLS5           1         1"), std::string::npos) << report;
    // writing the key again appends a new row linked behind the deleted one
    EXPECT_EQ(Write(5, {"K1", "3", "again"}), 0);
    EXPECT_EQ(Read(5, "K1"), (Strings{"K1", "3", "again"}));
    EXPECT_EQ(U32At(kRow0 + kCallsStride - 4), kRow0 + 2 * kCallsStride);
}

TEST_F(KernelTest, EmptyFieldListsAndTheirCache) {
    EXPECT_EQ(kernel_->CreateEmptyFieldsObject(5, 0), nullptr);  // slot not in use
    EXPECT_EQ(kernel_->CreateEmptyFieldsObject(101, 0), nullptr);
    MakeCallsTable();
    TDBFieldsPtr first = kernel_->CreateEmptyFieldsObject(5, 0);
    ASSERT_EQ(first->Count(), 65);
    EXPECT_EQ(Describe(*first).substr(0, 38), "0,10,-1,1,1,5,CALL=;1,0,0,2,0,5,QTY=;2");
    EXPECT_EQ(first->GetField(64)->Position, 65);
    TDBFieldsPtr cached = kernel_->CreateEmptyFieldsObject(5, 0);
    EXPECT_NE(cached, first);  // the first call hands out its own list
    EXPECT_EQ(kernel_->CreateEmptyFieldsObject(5, 0), cached);  // later ones share the cached list
    EXPECT_NE(kernel_->CreateEmptyFieldsObject(5, 1), cached);
    Write(5, {"K", "3", "x"});
    Scan(5, nullptr, 0);
    EXPECT_EQ(cached->GetField(0)->Value, "");  // a scan leaves the shared list's values alone
    MakeTable(5, "OTHER", {{"ID", kTypeInteger, 0, kKeyPrimary}});  // seen with its new layout
    EXPECT_EQ(DbKernelHelper->GetRowSize(*kernel_->CreateEmptyFieldsObject(5, 0)), 4);
}
