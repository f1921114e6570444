// The fields of the one record in a small ADIF document ("Logged ADIF"):
// the header up to <EOH> is skipped when there is one, the record ends at
// <EOR> or at the end of the text. Names come back upper case.
#pragma once

#include <string>
#include <utility>
#include <vector>

class TWsjtxAdifText {
public:
    using TFields = std::vector<std::pair<std::string, std::string>>;
    static TFields FirstRecord(const std::string& text);
};
