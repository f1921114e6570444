// A launcher for tests: records every start and, when asked to, hands it on
// to the system launcher so the program really runs.
#pragma once

#include <string>
#include <vector>

#include "platform/TProcessLauncher.h"

class TRecordingProcessLauncher : public TProcessLauncher {
  public:
    struct TStart {
        std::string Program;
        std::vector<std::string> Arguments;
        std::string WorkingDirectory;
    };

    // Installs itself; the previous launcher comes back when it is destroyed.
    explicit TRecordingProcessLauncher(bool passThrough = false);
    ~TRecordingProcessLauncher() override;

    bool Start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingDirectory) override;

    std::vector<TStart> Starts;

  private:
    bool passThrough_;
    TProcessLauncher* previous_;
};
