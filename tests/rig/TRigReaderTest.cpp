#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "rig/TRigModes.h"
#include "rig/TRigReader.h"
#include "rig/TRigctld.h"

namespace {

// Only a hang reaches this.
constexpr auto kBound = std::chrono::seconds(30);

// Collects the reader's reports (from its thread) and the outcomes of its
// connection attempts.
struct TReports {
    std::mutex m;
    std::condition_variable cv;
    std::vector<TRigReading> all;
    int failedAttempts = 0;

    TRigReader::TReport Report() {
        return [this](const TRigReading& r) {
            std::lock_guard<std::mutex> lock(m);
            all.push_back(r);
            cv.notify_all();
        };
    }
    std::function<void(bool)> Attempt() {
        return [this](bool ok) {
            std::lock_guard<std::mutex> lock(m);
            failedAttempts += ok ? 0 : 1;
            cv.notify_all();
        };
    }
    template <class TPred>
    bool WaitFor(TPred pred) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, kBound, [&] { return pred(); });
    }
    int Count(bool connected) {
        std::lock_guard<std::mutex> lock(m);
        return static_cast<int>(std::count_if(all.begin(), all.end(), [&](const TRigReading& r) {
            return r.Connected == connected;
        }));
    }
};

TRigReader::TOptions Fast(int model, const std::string& port) {
    return {model, port, 0, std::chrono::milliseconds(1), std::chrono::milliseconds(1)};
}

}  // namespace

TEST(TRigModes, RadioModesBecomeLogModesAndDataModesNone) {
    const std::pair<const char*, const char*> cases[] = {
        {"USB", "SSB"},    {"LSB", "SSB"}, {"CW", "CW"}, {"CWR", "CW"},  {"RTTY", "RTTY"},
        {"RTTYR", "RTTY"}, {"AM", "AM"},   {"FM", "FM"}, {"PKTUSB", ""}, {"", ""}};
    for (const auto& [rig, log] : cases) EXPECT_EQ(log, TRigModes::LogMode(rig)) << rig;
    EXPECT_EQ("14.074", TRigModes::MHzText(14074000));
    EXPECT_EQ("7.031", TRigModes::MHzText(7030600));  // rounded to the kilohertz
}

TEST(TRigReader, AFailedConnectionIsToldOnceThenRetriedUntilRigctldAnswersAndALossIsTold) {
    TReports reports;
    TRigctld server;
    const int port = TRigctld::FreePort();
    TRigReader reader(Fast(2, "127.0.0.1:" + std::to_string(port)), reports.Report(),
                      reports.Attempt());
    reader.Start();
    // Nobody listens yet: several attempts, one report.
    ASSERT_TRUE(reports.WaitFor([&] { return reports.failedAttempts >= 3; }));
    EXPECT_EQ(1, reports.Count(false));
    ASSERT_TRUE(server.Start(port));
    ASSERT_TRUE(reports.WaitFor([&] { return reports.all.back().Connected; }));
    // The radio stops answering: told once more.
    server.Stop();
    ASSERT_TRUE(reports.WaitFor([&] { return !reports.all.back().Connected; }));
    EXPECT_EQ(2, reports.Count(false));
    reader.Stop();
}
