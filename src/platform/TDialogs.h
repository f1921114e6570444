// Every modal message box, information box and input box of the system goes
// through this interface: the windows install a Qt implementation, the
// command-line tool one that writes to stderr, tests a scripted one.
#pragma once

#include <string>

class TDialogs {
public:
    virtual ~TDialogs();
    // A modal message box with an OK button (the kernel's "oddity" messages too).
    virtual void ShowMessage(const std::string& text) = 0;
    // An information box with a caption and an OK button.
    virtual void InformationBox(const std::string& text, const std::string& caption) = 0;
    // An input box; Cancel answers the default.
    virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& defaultValue) = 0;
};

// The process-wide dialogs (stderr dialogs until something else is installed).
TDialogs& Dialogs();
// Installs dialogs owned by the caller; nullptr restores the stderr dialogs.
void SetDialogs(TDialogs* dialogs);
