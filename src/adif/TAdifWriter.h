// Writes the ADI form: a line of text, the header fields and <EOH>, then one
// record per line, each field <NAME:LENGTH>DATA with the length in bytes of
// the UTF-8 data, records closed by <EOR>. Lines end with CR LF.
#pragma once

#include <string>
#include <utility>
#include <vector>

class TAdifWriter {
public:
    static constexpr const char* kAdifVersion = "3.1.4";
    static constexpr const char* kProgramID = "Tramb";
    static constexpr const char* kProgramVersion = "1.0";

    // One data specifier with its data (value in Latin-1).
    static std::string Field(const std::string& name, const std::string& latin1Value);
    // The header; timestamp "YYYYMMDD HHMMSS" (UTC).
    static std::string Header(const std::string& timestamp);
    // One record's line.
    static std::string Record(const std::vector<std::pair<std::string, std::string>>& fields);
};
