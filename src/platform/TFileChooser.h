// The platform's file dialogs: a file to write and a file to read. The log
// window falls back to its Qt dialogs while none is installed; tests
// install one that answers the names they script.
#pragma once

#include <string>

class TFileChooser {
public:
    virtual ~TFileChooser();
    // The chosen file's path; empty when the operator cancelled. filter as
    // Qt writes it ("ADIF files (*.adi *.adif)"); owner a QWidget* or null.
    virtual std::string SaveFileName(const std::string& caption, const std::string& filter,
                                     void* owner) = 0;
    virtual std::string OpenFileName(const std::string& caption, const std::string& filter,
                                     void* owner) = 0;
};

// The installed chooser, nullptr while none is.
TFileChooser* InstalledFileChooser();
// Installs a chooser owned by the caller; nullptr removes it.
void SetFileChooser(TFileChooser* chooser);
