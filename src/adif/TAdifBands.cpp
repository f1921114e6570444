#include "adif/TAdifBands.h"

#include <charconv>
#include <cstring>

namespace {

struct TBand {
    const char* Name;
    const char* Lower;
    const char* Upper;
};

// Edges in MHz, inclusive.
const TBand kBands[] = {
    {"2190m", "0.1357", "0.1378"}, {"630m", "0.472", "0.479"},  {"560m", "0.501", "0.504"},
    {"160m", "1.8", "2.0"},        {"80m", "3.5", "4.0"},       {"60m", "5.06", "5.45"},
    {"40m", "7.0", "7.3"},         {"30m", "10.1", "10.15"},    {"20m", "14.0", "14.35"},
    {"17m", "18.068", "18.168"},   {"15m", "21.0", "21.45"},    {"12m", "24.890", "24.99"},
    {"10m", "28.0", "29.7"},       {"8m", "40", "45"},          {"6m", "50", "54"},
    {"5m", "54.000001", "69.9"},   {"4m", "70", "71"},          {"2m", "144", "148"},
    {"1.25m", "222", "225"},       {"70cm", "420", "450"},      {"33cm", "902", "928"},
    {"23cm", "1240", "1300"},      {"13cm", "2300", "2450"},    {"9cm", "3300", "3500"},
    {"6cm", "5650", "5925"},       {"3cm", "10000", "10500"},   {"1.25cm", "24000", "24250"},
    {"6mm", "47000", "47200"},     {"4mm", "75500", "81000"},   {"2.5mm", "119980", "123000"},
    {"2mm", "134000", "149000"},   {"1mm", "241000", "250000"},
};

double Edge(const char* text) {
    double value = 0;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

std::string Lower(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

bool TAdifBands::ParseMHz(const std::string& text, double& mhz) {
    std::string dotted = text;
    int separators = 0;
    for (char& c : dotted) {
        if (c == ',')
            c = '.';
        if (c == '.')
            ++separators;
        else if (c < '0' || c > '9')
            return false;
    }
    if (dotted.empty() || dotted == "." || separators > 1)
        return false;
    // from_chars does not follow the locale (a Qt program's may use ",").
    const char* end = dotted.data() + dotted.size();
    const auto result = std::from_chars(dotted.data(), end, mhz);
    return result.ec == std::errc() && result.ptr == end;
}

std::string TAdifBands::BandOf(const std::string& frequency) {
    double mhz = 0;
    if (!ParseMHz(frequency, mhz))
        return std::string();
    for (const TBand& b : kBands)
        if (mhz >= Edge(b.Lower) && mhz <= Edge(b.Upper))
            return b.Name;
    return std::string();
}

bool TAdifBands::LowerEdge(const std::string& band, std::string& mhz) {
    const std::string name = Lower(band);
    for (const TBand& b : kBands) {
        if (name == b.Name) {
            mhz = b.Lower;
            return true;
        }
    }
    return false;
}
