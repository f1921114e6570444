// The station defaults for new contacts and the UTC shift, as text.
#pragma once

#include <string>

struct TDefaults {
    std::string Frequency;
    std::string Power;
    std::string Mode;
    std::string RRst;
    std::string SRst;
    std::string UTCShift;
};
