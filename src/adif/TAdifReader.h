// Reads the ADI form: an optional header (any text not beginning with "<",
// header fields, <EOH>; some programs leave out the text), then records of <NAME:LENGTH[:TYPE]>DATA
// fields each closed by <EOR>. Names and the two tags are case-insensitive; the type indicator is
// ignored; anything between fields that is no data specifier (blanks, line breaks, comments, a
// stray "<") is skipped.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "adif/TAdifRecord.h"

class TAdifReader {
public:
    // Reads the whole text of a file. A last record the file ends inside
    // (no <EOR>, or a field whose length runs past the end) is kept with
    // Ended false, so it can be reported rather than dropped unseen.
    void Parse(const std::string& text);

    bool HasHeader = false;
    std::vector<std::pair<std::string, std::string>> Header;
    std::vector<TAdifRecord> Records;

private:
    // Reads the specifier at pos (text[pos] == '<'): a field (name and
    // value), a tag (name, no value; isTag) or nothing (false: pos is
    // moved past the "<" only). pos ends behind what was read. truncated:
    // the length ran past the end of the text.
    static bool ReadSpecifier(const std::string& text, size_t& pos, std::string& name,
                              std::string& value, bool& isTag, bool& truncated);
};
