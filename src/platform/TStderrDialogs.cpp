#include "platform/TStderrDialogs.h"

#include <cstdio>

void TStderrDialogs::ShowMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

void TStderrDialogs::InformationBox(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

std::string TStderrDialogs::InputBox(const std::string&, const std::string&, const std::string& defaultValue) {
    return defaultValue;
}
