// A drive list for tests: the folders given stand for mounted discs.
#pragma once

#include <string>
#include <vector>

#include "platform/TOpticalDrives.h"

class TFixedOpticalDrives : public TOpticalDrives {
  public:
    // Installs itself as the process-wide drive list; restores the previous one when destroyed.
    explicit TFixedOpticalDrives(std::vector<std::string> roots = {});
    ~TFixedOpticalDrives() override;

    std::vector<std::string> Roots() const override { return roots_; }
    void SetRoots(std::vector<std::string> roots) { roots_ = std::move(roots); }

  private:
    std::vector<std::string> roots_;
    TOpticalDrives* previous_;
};
