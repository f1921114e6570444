// Reads the radio on a worker thread of its own, so a slow or absent radio
// never holds up the window: a reading every poll interval while connected;
// a connection that fails (or is lost) is reported once, then tried again
// quietly every retry interval until it succeeds or the reader stops.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "rig/TRigReading.h"

class TRigReader {
public:
    using TReport = std::function<void(const TRigReading&)>;
    using TMs = std::chrono::milliseconds;

    struct TOptions {
        int Model = 0;
        std::string Port;
        int Speed = 0;
        TMs Poll{1000};
        TMs Retry{10000};
    };

    // report runs on the worker thread; attempt (optional) after every try
    // to connect, with its outcome.
    TRigReader(TOptions options, TReport report, std::function<void(bool ok)> attempt = {});
    ~TRigReader();
    TRigReader(const TRigReader&) = delete;
    TRigReader& operator=(const TRigReader&) = delete;

    void Start();
    // Ends the thread; no report follows its return.
    void Stop();

private:
    void Run();
    // Waits the interval; false when the reader is stopping.
    bool Pause(TMs interval);

    TOptions options_;
    TReport report_;
    std::function<void(bool)> attempt_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};
