#include "BenchWindow.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "logwindow/TForm3.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TInstanceMutex.h"
#include "platform/TScriptedDialogs.h"

namespace Bench {

namespace {

class TNoMutex : public TInstanceMutex {
public:
    bool Wait(uint32_t) override { return held_ = true; }
    void Release() override { held_ = false; }
    bool Held() const override { return held_; }

private:
    bool held_ = true;
};

double CpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

long PeakRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Runs an event loop until nothing is left to do. (The application's own
// quit would close the windows.)
void UntilIdle() {
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int WindowChild(const std::string& dir, const std::string& mode) {
    if (::chdir(dir.c_str()) != 0)
        return 1;
    static int argc = 1;
    static char name[] = "bench_window";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    TScriptedDialogs dialogs;  // every prompt takes its default (180 days)
    TNoMutex mutex;
    SetAppMutex(&mutex);
    TForm3 alert;
    TfrmLogGUI_1 window;
    window.HaltProcess = [] {};
    window.RunModal = [](QDialog&) { return 0; };
    double from = CpuMs();
    window.show();
    UntilIdle();
    if (mode == "reload") {
        from = CpuMs();
        window.FindQSObyDate1Click();
        UntilIdle();
    }
    std::printf("cpu_ms %.1f rss_kb %ld rows %d\n", CpuMs() - from, PeakRssKb(),
                window.GridRowCount);
    std::fflush(stdout);
    // No close: closing would write the settings into the log.
    std::_Exit(window.AppFailed != 0 ? 1 : 0);
}

bool MeasureWindow(const std::string& self, const std::string& dir, int runs, TWindowFigures& f) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (const char* mode : {"start", "reload"}) {
        for (int run = 0; run < runs; ++run) {
            const std::string command = "'" + self + "' --window-child '" + dir + "' " + mode;
            FILE* child = ::popen(command.c_str(), "r");
            if (child == nullptr)
                return false;
            double cpu = -1;
            long rss = 0;
            int rows = 0;
            const int got = std::fscanf(child, "cpu_ms %lf rss_kb %ld rows %d", &cpu, &rss, &rows);
            if (::pclose(child) != 0 || got != 3)
                return false;
            double& best = mode[0] == 's' ? f.StartCpuMs : f.ReloadCpuMs;
            long& peak = mode[0] == 's' ? f.StartRssKb : f.ReloadRssKb;
            if (best < 0 || cpu < best) {
                best = cpu;
                peak = rss;
            }
        }
    }
    return true;
}

}  // namespace Bench
