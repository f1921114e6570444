#include "platform/TFixedOpticalDrives.h"

TFixedOpticalDrives::TFixedOpticalDrives(std::vector<std::string> roots)
    : roots_(std::move(roots)), previous_(&OpticalDrives()) {
    SetOpticalDrives(this);
}

TFixedOpticalDrives::~TFixedOpticalDrives() {
    SetOpticalDrives(previous_);
}
