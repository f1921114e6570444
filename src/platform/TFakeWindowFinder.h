// A window finder for tests: a window of the given title "exists" while
// Present is set; every request to bring it to the front is counted.
#pragma once

#include <cstdint>
#include <string>

#include "platform/TWindowFinder.h"

class TFakeWindowFinder : public TWindowFinder {
  public:
    // Installs itself; the previous finder comes back when it is destroyed.
    TFakeWindowFinder();
    ~TFakeWindowFinder() override;

    bool FindTopLevelWindow(const std::string& title, uint64_t& handle) override;
    void BringToFront(uint64_t handle) override;

    bool Present = false;
    std::string Title;       // the window's title while Present
    uint64_t Handle = 4242;  // the id handed out
    int Searches = 0;
    int Raised = 0;
    uint64_t LastRaised = 0;

  private:
    TWindowFinder* previous_;
};
