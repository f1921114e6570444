// Dialogs for unattended runs (fuzzing, crash replays): messages are counted,
// not kept, so a damaged file that makes the kernel complain a million times
// costs no memory; every input box answers its default, as Cancel does.
#pragma once

#include <cstdint>
#include <string>

#include "platform/TDialogs.h"

class TQuietDialogs : public TDialogs {
public:
    TQuietDialogs() : previous_(&Dialogs()) { SetDialogs(this); }
    ~TQuietDialogs() override { SetDialogs(previous_); }
    TQuietDialogs(const TQuietDialogs&) = delete;
    TQuietDialogs& operator=(const TQuietDialogs&) = delete;

    void ShowMessage(const std::string&) override { ++Messages; }
    void InformationBox(const std::string&, const std::string&) override { ++Messages; }
    std::string InputBox(const std::string&, const std::string&, const std::string& dflt) override {
        return dflt;
    }

    uint64_t Messages = 0;

private:
    TDialogs* previous_;
};
