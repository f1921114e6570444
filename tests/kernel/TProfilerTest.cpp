#include <gtest/gtest.h>

#include "kernel/TProfiler.h"
#include "platform/TClock.h"

namespace {
class TManualClock : public TClock {
public:
    uint32_t TickCount() const override { return Now; }
    uint32_t Now = 0xFFFFFFF0u;
};
}  // namespace

TEST(TProfiler, ReportsEveryMeasurementAndKeepsToItsLines) {
    TManualClock clock;
    SetClock(&clock);
    TProfiler p;
    for (const auto& [label, ticks] : {std::pair<std::string, uint32_t>{"ColumnDefsLoad: A", 5},
                                       {"B", 0x20}}) {  // the tick counter wraps at 32 bits
        p.Start(label);
        clock.Now += ticks;
        p.Stop();
    }
    std::string text, cleared;
    p.GetReport(text);
    p.Clear();
    p.GetReport(cleared);
    EXPECT_EQ(text + cleared, "ColumnDefsLoad: A 5\r\nB 32\r\n\r\n\r\n");
    for (int i = 0; i < TProfiler::kLineCount + 5; ++i) {  // full: the last line is overwritten
        p.Start("S" + std::to_string(i));
        p.Stop();
    }
    EXPECT_EQ(p.LineIndex, TProfiler::kLineCount - 1);
    EXPECT_EQ(p.Lines.back() + p.Lines[0], "S30005 0S0 0");
    SetClock(nullptr);
}
