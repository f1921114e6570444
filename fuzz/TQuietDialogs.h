// Dialogs for unattended runs (fuzzing, crash replays): messages are counted,
// not kept, so a damaged file that makes the kernel complain a million times
// costs no memory; every input box answers its default, as Cancel does.
#pragma once

#include <cstdint>
#include <string>

#include "platform/TDialogs.h"

class TQuietDialogs : public TDialogs {
public:
    TQuietDialogs();            // installs itself as the process-wide dialogs
    ~TQuietDialogs() override;  // restores the previous ones
    TQuietDialogs(const TQuietDialogs&) = delete;
    TQuietDialogs& operator=(const TQuietDialogs&) = delete;

    void ShowMessage(const std::string& text) override;
    void InformationBox(const std::string& text, const std::string& caption) override;
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& defaultValue) override;

    uint64_t Messages = 0;
    std::string LastMessage;

private:
    TDialogs* previous_;
};
