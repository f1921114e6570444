// Times named steps for the administration window. One per process, created
// by the TDatabase constructor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TProfiler {
public:
    static constexpr int32_t kLineCount = 30001;

    TProfiler();
    void Start(const std::string& caption);
    // Records Caption and the elapsed ms in the current line and advances to
    // the next; when the lines are full the last one is overwritten.
    void Stop();
    // Lines 0..LineIndex, each followed by "\r\n".
    void GetReport(std::string& text) const;
    void Clear();

    uint32_t StartTick = 0;
    uint32_t StopTick = 0;
    uint32_t Elapsed = 0;
    int32_t LineIndex = 0;
    std::string Caption;
    std::vector<std::string> Lines;
};

extern TProfiler* Profiler;
