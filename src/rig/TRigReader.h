// Reads the radio on a worker thread of its own, so a slow or absent radio
// never holds up the window: a reading every poll interval while connected;
// a connection that fails (or is lost) is reported once, then tried again
// quietly every retry interval until it succeeds or the reader stops.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
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

    // Starts the thread (a reader runs once: a stopped one stays stopped).
    void Start();
    // No report follows its return. The thread is waited for a while; one
    // still caught in a connection attempt (a network host that does not
    // answer) is left to end on its own.
    void Stop();

private:
    struct TShared;
    static void Run(std::shared_ptr<TShared> shared, TOptions options);

    TOptions options_;
    std::shared_ptr<TShared> shared_;
    std::thread thread_;
};
