#include "rig/TRigModes.h"

#include <cstdio>
#include <map>

std::string TRigModes::LogMode(const std::string& rigMode) {
    static const std::map<std::string, std::string> kModes = {
        {"USB", "SSB"},   {"LSB", "SSB"},    {"CW", "CW"}, {"CWR", "CW"},
        {"RTTY", "RTTY"}, {"RTTYR", "RTTY"}, {"AM", "AM"}, {"FM", "FM"}};
    const auto it = kModes.find(rigMode);
    return it == kModes.end() ? std::string() : it->second;
}

std::string TRigModes::MHzText(uint64_t hz) {
    const uint64_t khz = (hz + 500) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(khz / 1000),
                  static_cast<unsigned long long>(khz % 1000));
    return text;
}
