// ADIF's band table: the band a frequency lies in, and a band's lower edge.
#pragma once

#include <string>

class TAdifBands {
public:
    // A frequency text in MHz ("," or "." as the decimal separator) as a
    // number; false for anything else (blanks, letters, a second separator).
    static bool ParseMHz(const std::string& text, double& mhz);
    // The band ("20m") whose edges hold the frequency, inclusive; empty when
    // no band does or the text is no frequency.
    static std::string BandOf(const std::string& frequency);
    // The lower edge of the band (case-insensitive: "20M" = "20m"), as the
    // table writes it ("14.0"); false for a band not in the table.
    static bool LowerEdge(const std::string& band, std::string& mhz);
};
