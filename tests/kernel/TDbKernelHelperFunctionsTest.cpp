// Keying, sizing and hashing of field lists; Pad.
#include <gtest/gtest.h>

#include "kernel/CustomExceptions.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"

namespace {
TDBFields List(int tableID, const std::vector<std::pair<int, int>>& typeAndKey, int length = 7) {
    TDBFields f;
    for (auto [type, key] : typeAndKey) {
        auto field = std::make_unique<TDBFieldParent>();
        field->TableID = tableID;
        field->DataType = type;
        field->KeyType = key;
        field->Length = type == 0 ? 0 : length;
        f.AddField(std::move(field));
    }
    return f;
}
}  // namespace

TEST(TDbKernelHelperFunctions, KeyIndexPrefersFirstKeyOfEitherKind) {
    TDbKernelHelperFunctions h;
    EXPECT_EQ(h.GetPrimaryKeyIndex(List(5, {{0, 2}, {1, 4}, {0, 1}})), 1);
    EXPECT_EQ(h.GetPrimaryKeyIndex(List(5, {{0, 2}, {0, 1}})), 1);
    EXPECT_EQ(h.GetPrimaryKeyIndex(List(5, {{0, 2}, {0, 3}})), 999);
    EXPECT_EQ(h.GetPrimaryKeyIndex(TDBFields()), 999);
    EXPECT_EQ(h.HasMultiKey(List(5, {{0, 2}, {1, 4}})), -1);
    EXPECT_EQ(h.HasMultiKey(List(5, {{0, 1}})), 0);
    EXPECT_EQ(h.IsMultiKeyField(List(5, {{0, 2}, {1, 4}}), 1), -1);
    EXPECT_EQ(h.IsMultiKeyField(List(5, {{0, 2}, {1, 4}}), 0), 0);
    EXPECT_EQ(h.IsMultiKeyField(List(5, {{0, 2}}), 9), 0);
}

TEST(TDbKernelHelperFunctions, RowSizeIsComputedOncePerTable) {
    TDbKernelHelperFunctions h;
    EXPECT_EQ(h.GetRowSize(List(5, {{0, 1}, {1, 2}, {999, 2}, {2, 2}, {99, 2}})), 4 + 7 + 7 + 7);
    EXPECT_EQ(h.GetRowSize(List(5, {{0, 1}})), 25);  // same table ID: the first answer
    EXPECT_EQ(h.GetRowSize(List(6, {{0, 1}})), 4);
    h.ForgetTable(5);
    EXPECT_EQ(h.GetRowSize(List(5, {{0, 1}})), 4);
}

TEST(TDbKernelHelperFunctions, Hashing) {
    TDbKernelHelperFunctions h;
    TDBFields noKey = List(5, {{1, 2}});
    try {
        h.GetHash(noKey);
        FAIL();
    } catch (const ExcNoPrimaryKeyDefined& e) {
        EXPECT_STREQ(e.what(), "No Primary key defined. Every table must have a primary key.");
    }
    TDBFields f = List(5, {{1, 1}});
    f.GetField(0)->Value = "W4ABC";
    EXPECT_EQ(h.GetHash(f), 985);
    f.GetField(0)->Value = "\t w4abc  ";
    EXPECT_EQ(h.GetHash(f), 985);
    f.GetField(0)->Value = "";
    EXPECT_EQ(h.GetHash(f), 0);
    f.GetField(0)->Value = std::string(9, '\xff');
    EXPECT_EQ(h.GetHash(f), 5355);
    EXPECT_EQ(h.GetStringHash(" w4abc"), 32 + 2 * 'w' + 3 * '4' + 4 * 'a' + 5 * 'b' + 6 * 'c');
}

TEST(TDbKernelHelperFunctions, TextHelpers) {
    EXPECT_EQ(TrimText("\x01 a b \x20"), "a b");
    EXPECT_EQ(UpperText("aZ\xe4z"), "AZ\xe4Z");
    int32_t v = 0;
    EXPECT_TRUE(ParseInt32("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(ParseInt32("+7", v));
    EXPECT_EQ(v, 7);
    for (const char* bad : {"", "+", "2147483648", "1 ", "0x1", "--1"})
        EXPECT_FALSE(ParseInt32(bad, v)) << bad;
}

TEST(TDbKernelPad, PadsToOneMoreThanTheWidth) {
    TDbKernel kernel;
    std::string r;
    kernel.Pad("5", 9, r);
    EXPECT_EQ(r, "5" + std::string(9, ' '));
    kernel.Pad("", 11, r);
    EXPECT_EQ(r, std::string(12, ' '));
    kernel.Pad(std::string(20, 'x'), 16, r);
    EXPECT_EQ(r, std::string(20, 'x'));
    kernel.Pad(std::string(16, 'x'), 16, r);
    EXPECT_EQ(r, std::string(16, 'x'));
}
