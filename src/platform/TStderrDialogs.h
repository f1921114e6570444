// Dialogs for programs without windows: messages go to stderr, input boxes
// answer their default.
#pragma once

#include "platform/TDialogs.h"

class TStderrDialogs : public TDialogs {
public:
    void ShowMessage(const std::string& text) override;
    void InformationBox(const std::string& text, const std::string& caption) override;
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& defaultValue) override;
};
