// The platform's help viewer: shows a help file opened at its contents. The
// windows install a viewer window of their own; without windows the request
// goes nowhere.
#pragma once

#include <string>

class THelpViewer {
  public:
    virtual ~THelpViewer();
    // owner: the window the viewer belongs to (a QWidget* for the Qt viewer),
    // may be null. A file that cannot be opened is reported by the viewer.
    virtual void ShowContents(const std::string& helpFile, void* owner);
};

THelpViewer& HelpViewer();
// Installs a viewer owned by the caller; nullptr restores the one that does nothing.
void SetHelpViewer(THelpViewer* viewer);
// The installed viewer, nullptr while none is.
THelpViewer* InstalledHelpViewer();
