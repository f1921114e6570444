// The file dialogs of Qt; paths cross the boundary in the local 8-bit
// encoding of file names.
#pragma once

#include "platform/TFileChooser.h"

class TQtFileChooser : public TFileChooser {
public:
    std::string SaveFileName(const std::string& caption, const std::string& filter,
                             void* owner) override;
    std::string OpenFileName(const std::string& caption, const std::string& filter,
                             void* owner) override;
};
