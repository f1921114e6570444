// A help viewer for tests: records each request.
#pragma once

#include <string>
#include <vector>

#include "platform/THelpViewer.h"

class TRecordingHelpViewer : public THelpViewer {
  public:
    // Installs itself; the previous viewer comes back when it is destroyed.
    TRecordingHelpViewer();
    ~TRecordingHelpViewer() override;

    void ShowContents(const std::string& helpFile, void* owner) override;

    std::vector<std::string> Files;  // the help files asked for, in order
    void* LastOwner = nullptr;

  private:
    THelpViewer* previous_;
};
