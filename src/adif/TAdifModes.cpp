#include "adif/TAdifModes.h"

#include <utility>

namespace {

std::string Upper(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Submodes of the list and the ADIF mode each belongs to.
const std::pair<const char*, const char*> kSubmodes[] = {
    {"PSK31", "PSK"},        {"PSK63", "PSK"},          {"FT4", "MFSK"},
    {"JS8", "MFSK"},         {"Q65", "MFSK"},           {"C4FM", "DIGITALVOICE"},
    {"DMR", "DIGITALVOICE"}, {"DSTAR", "DIGITALVOICE"}, {"FREEDV", "DIGITALVOICE"},
};

}  // namespace

const std::vector<std::string>& TAdifModes::LogModes() {
    static const std::vector<std::string> kModes = {
        "CW",     "SSB",      "RTTY", "AM",     "FM",    "PSK31",  "NEW1", "NEW2",
        "FT8",    "FT4",      "JT65", "JT9",    "JS8",   "MFSK",   "PSK",  "PSK63",
        "OLIVIA", "CONTESTI", "HELL", "SSTV",   "DSTAR", "C4FM",   "DMR",  "FREEDV",
        "PKT",    "MT63",     "THOR", "DOMINO", "Q65",   "MSK144", "WSPR"};
    return kModes;
}

bool TAdifModes::IsLogMode(const std::string& mode) {
    const std::string upper = Upper(mode);
    for (const std::string& m : LogModes())
        if (m == upper)
            return true;
    return false;
}

void TAdifModes::ToAdif(const std::string& logMode, std::string& mode, std::string& submode) {
    const std::string upper = Upper(logMode);
    for (const auto& [sub, parent] : kSubmodes) {
        if (upper == sub) {
            mode = parent;
            submode = sub;
            return;
        }
    }
    mode = upper;
    submode.clear();
}

std::string TAdifModes::FromAdif(const std::string& mode, const std::string& submode) {
    if (IsLogMode(submode))
        return Upper(submode);
    if (IsLogMode(mode))
        return Upper(mode);
    return std::string();
}
