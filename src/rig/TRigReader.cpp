#include "rig/TRigReader.h"

#include "rig/TRigConnection.h"

TRigReader::TRigReader(TOptions options, TReport report, std::function<void(bool)> attempt)
    : options_(std::move(options)), report_(std::move(report)), attempt_(std::move(attempt)) {}

TRigReader::~TRigReader() {
    Stop();
}

void TRigReader::Start() {
    if (thread_.joinable())
        return;
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
}

void TRigReader::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

bool TRigReader::Pause(TMs interval) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !wake_.wait_for(lock, interval, [this] { return stopping_; });
}

void TRigReader::Run() {
    TRigConnection rig;
    // The window was told the radio is away and has had no reading since:
    // further failures stay quiet (a radio that is switched off may still
    // let its port be opened, then answer nothing).
    bool toldAway = false;
    auto away = [&](const std::string& error) {
        if (!toldAway)
            report_({false, 0, "", error});
        toldAway = true;
    };
    do {
        std::string error;
        const bool opened = rig.Open(options_.Model, options_.Port, options_.Speed, error);
        if (attempt_)
            attempt_(opened);
        if (!opened) {
            away(error);
            continue;
        }
        TRigReading reading{true, 0, "", ""};
        while (rig.Read(reading.Hz, reading.RigMode, error)) {
            toldAway = false;
            report_(reading);
            if (!Pause(options_.Poll))
                return;
        }
        rig.Close();  // the radio stopped answering
        away(error);
    } while (Pause(options_.Retry));
}
