// Hashing of keys and the strict integer parse.
#include "KernelTestSupport.h"

TEST(TDbKernelHelperFunctions, KeysHashTrimmedAndUpperCased) {
    TDbKernelHelperFunctions h;
    TDBFields f;
    f.AddField(std::make_unique<TDBFieldParent>());
    f.GetField(0)->KeyType = DbFormat::kKeyNone;
    EXPECT_EQ(Thrown<ExcNoPrimaryKeyDefined>([&] { h.GetHash(f); }), KernelMessages::kNoPrimaryKey);
    f.GetField(0)->KeyType = DbFormat::kKeyMulti;
    for (const auto& [key, hash] : std::vector<std::pair<std::string, int>>{
             {"W4ABC", 985}, {"\t w4abc  ", 985}, {"", 0}, {std::string(9, '\xff'), 5355}}) {
        f.GetField(0)->Value = key;
        EXPECT_EQ(h.GetHash(f), hash) << key;
    }
    EXPECT_EQ(h.IsMultiKeyField(f, 0) * 2 + h.IsMultiKeyField(f, 1), -2);
    EXPECT_EQ(h.GetStringHash(" w4abc"), 32 + 2 * 'w' + 3 * '4' + 4 * 'a' + 5 * 'b' + 6 * 'c');
    EXPECT_EQ(TrimText("\x01 a b \x20") + UpperText("aZ\xe4z"), "a bAZ\xe4Z");
    int32_t v = 0;
    EXPECT_TRUE(ParseInt32("-2147483648", v) && v == INT32_MIN);
    EXPECT_TRUE(ParseInt32("+7", v) && v == 7);
    for (const char* bad : {"", "+", "2147483648", "1 ", "0x1", "--1"})
        EXPECT_FALSE(ParseInt32(bad, v)) << bad;
}
