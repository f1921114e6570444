#include <gtest/gtest.h>

#include "kernel/TProfiler.h"
#include "platform/TClock.h"

namespace {
class TManualClock : public TClock {
  public:
    uint32_t TickCount() const override { return Now_; }
    uint32_t Now_ = 100;
};
}  // namespace

TEST(TProfiler, EveryMeasurementSinceClearIsReported) {
    TManualClock clock;
    SetClock(&clock);
    TProfiler p;
    p.Start("ColumnDefsLoad: A");
    clock.Now_ += 5;
    p.Stop();
    EXPECT_EQ(p.Elapsed, 5u);
    p.Start("B");
    clock.Now_ += 12;
    p.Stop();
    EXPECT_EQ(p.LineIndex, 2);
    std::string text;
    p.GetReport(text);
    EXPECT_EQ(text, "ColumnDefsLoad: A 5\r\nB 12\r\n\r\n");
    p.Clear();
    EXPECT_EQ(p.LineIndex, 0);
    text.clear();
    p.GetReport(text);
    EXPECT_EQ(text, "\r\n");
    // the tick counter wraps like a 32-bit counter
    clock.Now_ = 0xFFFFFFF0u;
    p.Start("W");
    clock.Now_ = 0x10;
    p.Stop();
    EXPECT_EQ(p.Lines[0], "W 32");
    SetClock(nullptr);
}

TEST(TProfiler, FullLinesKeepOverwritingTheLast) {
    TProfiler p;
    for (int i = 0; i < TProfiler::kLineCount + 5; ++i) {
        p.Start("S" + std::to_string(i));
        p.Stop();
    }
    EXPECT_EQ(p.LineIndex, TProfiler::kLineCount - 1);
    EXPECT_EQ(p.Lines.back().substr(0, 6), "S30005");
    EXPECT_EQ(p.Lines[0].substr(0, 3), "S0 ");
}
