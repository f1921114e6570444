// Starts a program as a process of its own, in a given working directory.
// Never through a shell: every argument reaches the program as it is, one
// argv entry each, whatever characters it holds.
#pragma once

#include <string>
#include <vector>

class TProcessLauncher {
  public:
    virtual ~TProcessLauncher();
    // false when the process could not be created or the program not
    // executed (the start is detached: nobody waits for the program's end).
    virtual bool Start(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workingDirectory);
};

TProcessLauncher& ProcessLauncher();
// Installs a launcher owned by the caller; nullptr restores the system one.
void SetProcessLauncher(TProcessLauncher* launcher);
