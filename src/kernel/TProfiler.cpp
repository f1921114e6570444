#include "kernel/TProfiler.h"

#include "platform/TClock.h"

TProfiler* Profiler = nullptr;

TProfiler::TProfiler() : Lines(static_cast<size_t>(kLineCount)) {}

void TProfiler::Start(const std::string& caption) {
    StartTick = Clock().TickCount();
    Caption = caption;
}

void TProfiler::Stop() {
    StopTick = Clock().TickCount();
    Elapsed = StopTick - StartTick;
    Lines[static_cast<size_t>(LineIndex)] = Caption + " " + std::to_string(Elapsed);
    if (LineIndex < kLineCount - 1)
        ++LineIndex;
}

void TProfiler::GetReport(std::string& text) const {
    for (int32_t i = 0; i <= LineIndex; ++i) {
        text += Lines[static_cast<size_t>(i)];
        text += "\r\n";
    }
}

void TProfiler::Clear() {
    for (int32_t i = 0; i <= LineIndex; ++i) Lines[static_cast<size_t>(i)].clear();
    LineIndex = 0;
}
