#include "platform/TFakeWindowFinder.h"

TFakeWindowFinder::TFakeWindowFinder() : previous_(&WindowFinder()) {
    SetWindowFinder(this);
}

TFakeWindowFinder::~TFakeWindowFinder() {
    SetWindowFinder(previous_);
}

bool TFakeWindowFinder::FindTopLevelWindow(const std::string& title, uint64_t& handle) {
    ++Searches;
    if (!Present || title != Title)
        return false;
    handle = Handle;
    return true;
}

void TFakeWindowFinder::BringToFront(uint64_t handle) {
    ++Raised;
    LastRaised = handle;
}
