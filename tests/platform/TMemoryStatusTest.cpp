// Memory status from /proc/meminfo: physical memory, and the paging file as
// memory plus swap.
#include <gtest/gtest.h>

#include "platform/TMemoryStatus.h"
#include "platform/TOSVersion.h"

TEST(TMemoryStatus, ParsesMeminfoIntoPhysicalAndPagingFile) {
    const TMemoryStatusInfo info = TMemoryStatus::ParseMeminfo(
        "MemTotal:        2000 kB\n"
        "MemFree:          100 kB\n"
        "MemAvailable:     700 kB\n"
        "Buffers:           10 kB\n"
        "SwapTotal:       1000 kB\n"
        "SwapFree:         300 kB\n");
    EXPECT_EQ(2000u * 1024, info.TotalPhys);
    EXPECT_EQ(3000u * 1024, info.TotalPageFile);
    EXPECT_EQ(1000u * 1024, info.AvailPageFile);
}

TEST(TMemoryStatus, MissingLinesCountZero) {
    const TMemoryStatusInfo info = TMemoryStatus::ParseMeminfo("MemTotal: 64 kB\ngarbage\n");
    EXPECT_EQ(64u * 1024, info.TotalPhys);
    EXPECT_EQ(64u * 1024, info.TotalPageFile);
    EXPECT_EQ(0u, info.AvailPageFile);
}

TEST(TMemoryStatus, RealMachineReportsPlausibleValues) {
    const TMemoryStatusInfo info = MemoryStatus().Query();
    EXPECT_GT(info.TotalPhys, 0u);
    EXPECT_GE(info.TotalPageFile, info.TotalPhys);
    EXPECT_LE(info.AvailPageFile, info.TotalPageFile);
}

namespace {
class TFixedMemory : public TMemoryStatus {
public:
    TMemoryStatusInfo Query() const override { return {1, 2, 3}; }
};
class TOtherOS : public TOSVersion {
public:
    int Major() const override { return 10; }
};
}  // namespace

TEST(TMemoryStatus, InstalledStatusAndVersionReplaceThePlatformOnes) {
    TFixedMemory fixed;
    SetMemoryStatus(&fixed);
    EXPECT_EQ(3u, MemoryStatus().Query().AvailPageFile);
    SetMemoryStatus(nullptr);
    EXPECT_NE(3u, MemoryStatus().Query().AvailPageFile);
    EXPECT_EQ(5, OSVersion().Major());
    TOtherOS other;
    SetOSVersion(&other);
    EXPECT_EQ(10, OSVersion().Major());
    SetOSVersion(nullptr);
    EXPECT_EQ(5, OSVersion().Major());
}
