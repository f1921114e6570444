// Memory status from /proc/meminfo: physical memory, and the paging file as
// memory plus swap.
#include <gtest/gtest.h>

#include "platform/TMemoryStatus.h"
#include "platform/TOSVersion.h"

TEST(TMemoryStatus, ParsesMeminfoAndMissingLinesCountZero) {
    const TMemoryStatusInfo info = TMemoryStatus::ParseMeminfo(
        "MemTotal:  2000 kB\nMemAvailable:  700 kB\nSwapTotal:  1000 kB\nSwapFree:  300 kB\n");
    EXPECT_EQ(2000u * 1024, info.TotalPhys);
    EXPECT_EQ(3000u * 1024, info.TotalPageFile);
    EXPECT_EQ(1000u * 1024, info.AvailPageFile);
    EXPECT_EQ(0u, TMemoryStatus::ParseMeminfo("MemTotal: 64 kB\ngarbage\n").AvailPageFile);
    const TMemoryStatusInfo real = MemoryStatus().Query();
    EXPECT_GE(real.TotalPageFile, real.TotalPhys);
    EXPECT_LE(real.AvailPageFile, real.TotalPageFile);
    EXPECT_EQ(5, OSVersion().Major());
}
