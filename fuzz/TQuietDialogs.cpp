#include "TQuietDialogs.h"

TQuietDialogs::TQuietDialogs() : previous_(&Dialogs()) {
    SetDialogs(this);
}

TQuietDialogs::~TQuietDialogs() {
    SetDialogs(previous_);
}

void TQuietDialogs::ShowMessage(const std::string& text) {
    ++Messages;
    LastMessage = text;
}

void TQuietDialogs::InformationBox(const std::string& text, const std::string& /*caption*/) {
    ++Messages;
    LastMessage = text;
}

std::string TQuietDialogs::InputBox(const std::string& /*caption*/, const std::string& /*prompt*/,
                                    const std::string& defaultValue) {
    return defaultValue;
}
