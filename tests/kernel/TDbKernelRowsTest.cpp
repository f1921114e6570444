// Writing, reading and overwriting rows; multi-key occurrences; the field
// encodings.
#include <stdexcept>

#include "KernelTestSupport.h"
#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"
#include "kernel/TKernelSchemaHooks.h"

using namespace DbFormat;

TEST_F(KernelTest, FirstRowGoesToPageZeroSlotZeroAndReadsBack) {
    MakeCallsTable();
    TDBFieldsPtr f = Row(5, {"w4abc", "7", "Hello"});
    int32_t found = 1;
    // The first row of a chain answers 999 although it is stored.
    EXPECT_EQ(kernel_->WriteDataRow(5, found, *f, 0), 999);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(U32At(kDataRegionBase), 5u);
    EXPECT_EQ(U32At(kDataRegionBase + 4), kDataRegionBase);
    // bucket of "W4ABC" is 985
    EXPECT_EQ(U32At(kBucketRegionBase + 6 * kBucketBlockSize + 985 * 4), kDataRegionBase);
    EXPECT_EQ(Read(5, "W4ABC"), (std::vector<std::string>{"W4ABC", "7", "Hello"}));
    EXPECT_EQ(Read(5, " w4abc "), (std::vector<std::string>{"W4ABC", "7", "Hello"}));
    EXPECT_TRUE(Read(5, "W4ABD").empty());
}

TEST_F(KernelTest, KeysSharingABucketAreToldApart) {
    MakeCallsTable();
    TDBFieldsPtr a = Row(5, {"ABCDEFG"});
    TDBFieldsPtr b = Row(5, {"ABCDEFH"});
    EXPECT_EQ(DbKernelHelper->GetHash(*a), DbKernelHelper->GetHash(*b));
    Write(5, {"ABCDEFG", "1", "first"});
    EXPECT_EQ(Write(5, {"ABCDEFH", "2", "second"}), 0);  // linked behind the first
    EXPECT_EQ(Read(5, "abcdefg"), (std::vector<std::string>{"ABCDEFG", "1", "first"}));
    EXPECT_EQ(Read(5, "ABCDEFH"), (std::vector<std::string>{"ABCDEFH", "2", "second"}));
    const uint32_t stride = 10 + 4 + 12 + kRowOverhead;
    EXPECT_EQ(U32At(kDataRegionBase + 8 + 26), kDataRegionBase + stride);  // Tail of the first
}

TEST_F(KernelTest, UniqueKeyOverwritesInPlace) {
    MakeCallsTable();
    Write(5, {"K1", "1", "a"});
    Write(5, {"K2", "2", "b"});
    Write(5, {"K2X", "3", "c"});  // same bucket as nothing; just more rows
    const uint32_t tailBefore = U32At(kDataRegionBase + 8 + 26);
    TDBFieldsPtr f = Row(5, {"k1", "", "changed"});
    int32_t found = 0;
    EXPECT_EQ(kernel_->WriteDataRow(5, found, *f, 0), 0);
    EXPECT_EQ(found, -1);
    EXPECT_EQ(Read(5, "K1"),
              (std::vector<std::string>{"K1", "1", "changed"}));  // empty integer keeps 1
    EXPECT_EQ(U32At(kDataRegionBase + 4), kDataRegionBase);
    EXPECT_EQ(U32At(kDataRegionBase + 8 + 26), tailBefore);
    std::vector<std::string> tails;
    int32_t deleted = 0;
    EXPECT_EQ(kernel_->RawScanTable(65, 5, deleted, tails, 1), 3);
}

TEST_F(KernelTest, RejectExistingLeavesFileUnchanged) {
    MakeCallsTable();
    Write(5, {"K1", "1", "a"});
    const auto before = Bytes(kDataRegionBase, 200);
    TDBFieldsPtr f = Row(5, {"K1", "9", "z"});
    ASSERT_EQ(f->GetField(0)->IsPrimary, -1);
    int32_t found = 0;
    EXPECT_EQ(kernel_->WriteDataRow(5, found, *f, 1), 999);
    EXPECT_EQ(found, -1);
    EXPECT_EQ(Bytes(kDataRegionBase, 200), before);
}

TEST_F(KernelTest, MultiKeyRowsAreReadByOccurrence) {
    MakeCallsTable(5, kKeyMulti);
    Write(5, {"W1AW", "1", "one"});
    Write(5, {"w1aw", "2", "two"});
    Write(5, {"W1AW", "3", "three"});
    EXPECT_EQ(Read(5, "W1AW", 1), (std::vector<std::string>{"W1AW", "1", "one"}));
    EXPECT_EQ(Read(5, "W1AW", 2), (std::vector<std::string>{"W1AW", "2", "two"}));
    EXPECT_EQ(Read(5, "W1AW", 3), (std::vector<std::string>{"W1AW", "3", "three"}));
    EXPECT_TRUE(Read(5, "W1AW", 4).empty());
    EXPECT_TRUE(Read(5, "W1AW", 0).empty());
    // a unique-key table ignores the occurrence
    MakeCallsTable(6);
    Write(6, {"W1AW", "1", "one"});
    EXPECT_EQ(Read(6, "W1AW", 7), (std::vector<std::string>{"W1AW", "1", "one"}));
}

TEST_F(KernelTest, CharacterEncoding) {
    MakeTable(5, "T",
              {{"CALL", kTypeCharacter, 6, kKeyPrimary},
               {"NOTE", kTypeCharacter, 4, kKeyNone},
               {"TAG", kTypeCharacter, 8, kKeyNone},
               {"N", kTypeInteger, 0, kKeyNone}});
    Write(5, {"w4abc", "abcdefgh", "  lead", "-12"});
    const auto bytes = Bytes(kDataRegionBase + 8, 22);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), std::string("W4ABC\0", 6));
    EXPECT_EQ(std::string(bytes.begin() + 6, bytes.begin() + 10), "abcd");  // cut, no terminator
    EXPECT_EQ(U32At(kDataRegionBase + 8 + 18), static_cast<uint32_t>(-12));
    EXPECT_EQ(Read(5, "W4ABC", 0, 4), (std::vector<std::string>{"W4ABC", "abcd", "  lead", "-12"}));
}

TEST_F(KernelTest, EmptyIntegerInNewRowReadsZeroAndRowIDLandsInFreeField) {
    MakeCallsTable();
    Write(5, {"X", "", "n"});
    TDBFieldsPtr f = Row(5, {"X"});
    ASSERT_EQ(kernel_->ReadDataRow(5, *f, 0, "X"), 0);
    EXPECT_EQ(f->GetField(1)->Value, "0");
    EXPECT_EQ(f->GetField(3)->DataType, 999);
    EXPECT_EQ(f->GetField(3)->Value, std::to_string(kDataRegionBase));
    EXPECT_EQ(f->GetField(4)->Value, "");  // reading stops at the first free column
}

TEST_F(KernelTest, NonNumericIntegerIsRefusedBeforeAnyWrite) {
    MakeCallsTable();
    Write(5, {"K1", "1", "a"});
    const auto before = Bytes(kDataRegionBase, 400);
    const auto buckets = Bytes(kBucketRegionBase + 6 * kBucketBlockSize, kBucketBlockSize);
    for (const char* bad : {"12a", "abc", " 5", "99999999999", "1.5"}) {
        TDBFieldsPtr f = Row(5, {"NEWKEY", bad, "x"});
        int32_t found = 0;
        EXPECT_THROW(kernel_->WriteDataRow(5, found, *f, 0), std::invalid_argument) << bad;
        TDBFieldsPtr g = Row(5, {"K1", bad, "x"});
        EXPECT_THROW(kernel_->WriteDataRow(5, found, *g, 0), std::invalid_argument) << bad;
    }
    EXPECT_EQ(Bytes(kDataRegionBase, 400), before);
    EXPECT_EQ(Bytes(kBucketRegionBase + 6 * kBucketBlockSize, kBucketBlockSize), buckets);
}

TEST_F(KernelTest, NoKeyRaisesAndWrongTableIsRefused) {
    MakeTable(5, "NOKEY", {{"A", kTypeCharacter, 5, kKeyNone}});
    TDBFieldsPtr f = Row(5, {"x"});
    int32_t found = 0;
    try {
        kernel_->WriteDataRow(5, found, *f, 0);
        FAIL() << "no exception";
    } catch (const ExcNoPrimaryKeyDefined& e) {
        EXPECT_STREQ(e.what(), "No Primary key defined. Every table must have a primary key.");
    }
    EXPECT_THROW(kernel_->ReadDataRow(5, *f, 0, "x"), ExcNoPrimaryKeyDefined);
    MakeCallsTable(6);
    TDBFieldsPtr g = Row(6, {"K"});
    EXPECT_EQ(kernel_->WriteDataRow(7, found, *g, 0), 999);  // list of table 6, written as 7
    EXPECT_EQ(kernel_->WriteDataRow(99, found, *g, 0), 999);
    EXPECT_EQ(U32At(kDataRegionBase), 0u);
}

TEST_F(KernelTest, EmptyFieldListsAndTheirCache) {
    EXPECT_EQ(kernel_->CreateEmptyFieldsObject(5, 0), nullptr);  // slot not in use
    EXPECT_EQ(kernel_->CreateEmptyFieldsObject(101, 0), nullptr);
    MakeCallsTable();
    TDBFieldsPtr first = kernel_->CreateEmptyFieldsObject(5, 0);
    ASSERT_TRUE(first);
    ASSERT_EQ(first->Count(), 65);
    const TDBFieldParent* key = first->GetField(0);
    EXPECT_EQ(key->Name, "CALL");
    EXPECT_EQ(key->DataType, 1);
    EXPECT_EQ(key->Length, 10);
    EXPECT_EQ(key->KeyType, 1);
    EXPECT_EQ(key->IsPrimary, -1);
    EXPECT_EQ(key->TableID, 5);
    EXPECT_EQ(key->Value, "");
    EXPECT_EQ(first->GetField(1)->IsPrimary, 0);
    EXPECT_EQ(first->GetField(64)->Position, 65);
    TDBFieldsPtr cached = kernel_->CreateEmptyFieldsObject(5, 0);
    EXPECT_NE(cached, first);  // the first call hands out its own list
    EXPECT_EQ(kernel_->CreateEmptyFieldsObject(5, 0), cached);  // later ones share the cached list
    TDBFieldsPtr fresh = kernel_->CreateEmptyFieldsObject(5, 1);
    EXPECT_NE(fresh, cached);
    // a scan does not change the values of the shared list
    Write(5, {"K", "3", "x"});
    std::vector<std::string> tails;
    int32_t deleted = 0;
    kernel_->RawScanTable(65, 5, deleted, tails, 0);
    EXPECT_EQ(cached->GetField(0)->Value, "");
    // a re-created table is seen with its new layout
    MakeTable(5, "OTHER", {{"ID", kTypeInteger, 0, kKeyPrimary}});
    TDBFieldsPtr renewed = kernel_->CreateEmptyFieldsObject(5, 0);
    EXPECT_EQ(renewed->GetField(0)->Name, "ID");
    EXPECT_EQ(DbKernelHelper->GetRowSize(*renewed), 4);
}

namespace {
class TFakeHooks : public TKernelSchemaHooks {
  public:
    bool GetColumnsForFields(uint32_t tableID, std::vector<TKernelColumnInfo>& columns) override {
        ++Calls;
        if (tableID != 9)
            return false;
        columns.assign(65, TKernelColumnInfo{"FREE", 0, 999, 0, 2});
        columns[0] = TKernelColumnInfo{"KEY", 0, 1, 8, 4};
        return true;
    }
    int Calls = 0;
};
}  // namespace

TEST_F(KernelTest, EmptyFieldListsComeFromSchemaHooksWhenInstalled) {
    TFakeHooks hooks;
    SetKernelSchemaHooks(&hooks);
    TDBFieldsPtr f = kernel_->CreateEmptyFieldsObject(9, 0);  // slot 9 is free in the file
    EXPECT_EQ(kernel_->CreateEmptyFieldsObject(5, 0), nullptr);
    SetKernelSchemaHooks(nullptr);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->GetField(0)->Name, "KEY");
    EXPECT_EQ(f->GetField(0)->IsPrimary, 0);  // a multi key is not the primary key
    EXPECT_EQ(f->GetField(0)->TableID, 9);
    EXPECT_EQ(hooks.Calls, 2);
}
