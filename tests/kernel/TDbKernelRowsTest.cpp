// Writing, reading and overwriting rows; multi-key occurrences; the field
// encodings.
#include <stdexcept>

#include "KernelTestSupport.h"
#include "kernel/DbFormat.h"

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
