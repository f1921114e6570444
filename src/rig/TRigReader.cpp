#include "rig/TRigReader.h"

#include <condition_variable>
#include <mutex>

#include "rig/TRigConnection.h"

namespace {

// How long Stop waits for the thread: one poll with its timeouts fits.
constexpr auto kStopWait = std::chrono::seconds(3);

}  // namespace

// What the thread and its owner share; the thread keeps it alive when the
// owner is gone.
struct TRigReader::TShared {
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    bool done = false;
    TReport report;
    std::function<void(bool)> attempt;

    void Report(const TRigReading& reading) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!stopping)
            report(reading);
    }
    void Attempt(bool ok) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!stopping && attempt)
            attempt(ok);
    }
    bool Stopping() {
        std::lock_guard<std::mutex> lock(mutex);
        return stopping;
    }
    // Waits the interval; false when the reader is stopping.
    bool Pause(TMs interval) {
        std::unique_lock<std::mutex> lock(mutex);
        return !wake.wait_for(lock, interval, [this] { return stopping; });
    }
};

TRigReader::TRigReader(TOptions options, TReport report, std::function<void(bool)> attempt)
    : options_(std::move(options)), shared_(std::make_shared<TShared>()) {
    shared_->report = std::move(report);
    shared_->attempt = std::move(attempt);
}

TRigReader::~TRigReader() {
    Stop();
}

void TRigReader::Start() {
    if (!thread_.joinable())
        thread_ = std::thread(&TRigReader::Run, shared_, options_);
}

void TRigReader::Stop() {
    if (!thread_.joinable())
        return;
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->stopping = true;
    shared_->wake.notify_all();
    const bool done = shared_->wake.wait_for(lock, kStopWait, [this] { return shared_->done; });
    lock.unlock();
    if (done)
        thread_.join();
    else
        thread_.detach();
}

void TRigReader::Run(std::shared_ptr<TShared> shared, TOptions options) {
    TRigConnection rig;
    // The owner was told the radio is away and has had no reading since:
    // further failures stay quiet (a radio that is switched off may still
    // let its port be opened, then answer nothing).
    bool toldAway = false;
    auto away = [&](const std::string& error) {
        if (!toldAway)
            shared->Report({false, 0, "", error});
        toldAway = true;
    };
    do {
        std::string error;
        const bool opened = rig.Open(options.Model, options.Port, options.Speed, error);
        shared->Attempt(opened);
        if (!opened) {
            away(error);
            continue;
        }
        TRigReading reading{true, 0, "", ""};
        while (rig.Read(reading.Hz, reading.RigMode, error)) {
            toldAway = false;
            shared->Report(reading);
            if (!shared->Pause(options.Poll))
                break;
        }
        rig.Close();
        if (shared->Stopping())
            break;
        away(error);  // the radio stopped answering
    } while (shared->Pause(options.Retry));
    rig.Close();
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->done = true;
    shared->wake.notify_all();
}
