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
    bool reported = false;  // the current failure was told already
    do {
        std::string error;
        const bool opened = rig.Open(options_.Model, options_.Port, options_.Speed, error);
        if (attempt_)
            attempt_(opened);
        if (!opened) {
            if (!reported)
                report_({false, 0, "", error});
            reported = true;
            continue;
        }
        reported = false;
        TRigReading reading{true, 0, "", ""};
        while (rig.Read(reading.Hz, reading.RigMode, error)) {
            report_(reading);
            if (!Pause(options_.Poll))
                return;
        }
        rig.Close();  // the radio stopped answering
        report_({false, 0, "", error});
        reported = true;
    } while (Pause(options_.Retry));
}
