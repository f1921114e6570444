#include "platform/TRecordingProcessLauncher.h"

TRecordingProcessLauncher::TRecordingProcessLauncher(bool passThrough)
    : passThrough_(passThrough), previous_(&ProcessLauncher()) {
    SetProcessLauncher(this);
}

TRecordingProcessLauncher::~TRecordingProcessLauncher() {
    SetProcessLauncher(previous_);
}

bool TRecordingProcessLauncher::Start(const std::string& program,
                                      const std::vector<std::string>& arguments,
                                      const std::string& workingDirectory) {
    Starts.push_back({program, arguments, workingDirectory});
    return passThrough_ ? previous_->Start(program, arguments, workingDirectory) : true;
}
