// The log window's start-up and its reload ("Select QSOs by Number of
// Days"), each run in a child process of its own so that its CPU time and
// peak memory are its alone.
#pragma once

#include <string>

namespace Bench {

struct TWindowFigures {
    double StartCpuMs = -1;   // window created and shown until idle
    long StartRssKb = 0;      // peak resident memory of that process
    double ReloadCpuMs = -1;  // the reload of 180 days until idle
    long ReloadRssKb = 0;
};

// The child's side: opens the window offscreen on dir/db_default.sib and
// prints "cpu_ms N rss_kb N" for mode "start" or "reload". Exit code 0 on success.
int WindowChild(const std::string& dir, const std::string& mode);
// The parent's side: the best (least CPU) of runs children per mode.
bool MeasureWindow(const std::string& self, const std::string& dir, int runs, TWindowFigures& f);

}  // namespace Bench
