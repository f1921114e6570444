// Finds a top-level window of another program by its exact title and brings
// it to the front. The system finder asks the X server through xdotool; with
// no window system (no DISPLAY, no xdotool) no window is ever found.
#pragma once

#include <cstdint>
#include <string>

class TWindowFinder {
  public:
    virtual ~TWindowFinder();
    // true and the window's id when a window with exactly this title exists.
    virtual bool FindTopLevelWindow(const std::string& title, uint64_t& handle);
    // Restores (maps) the window and activates it.
    virtual void BringToFront(uint64_t handle);
};

TWindowFinder& WindowFinder();
// Installs a finder owned by the caller; nullptr restores the system one.
void SetWindowFinder(TWindowFinder* finder);
