// How the radio's frequency and mode become the log's.
#pragma once

#include <cstdint>
#include <string>

class TRigModes {
public:
    // The log's mode for a Hamlib mode name: sidebands are SSB, reversed CW
    // and RTTY their plain form, AM and FM themselves; empty for the rest
    // (data modes), whose log mode the operator sets.
    static std::string LogMode(const std::string& rigMode);
    // Megahertz with three decimals ("14.074"), rounded to the kilohertz.
    static std::string MHzText(uint64_t hz);
};
