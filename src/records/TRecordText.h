// Small text conversions shared by the record objects: the strict decimal
// conversion of integer columns, the export's upper-casing (a..z only, the
// text being Latin-1) and the row line of a field list.
#pragma once

#include <cstdint>
#include <string>

#include "kernel/TDBFields.h"

class TRecordText {
  public:
    // The 32-bit number written in decimal: an optional sign and digits,
    // nothing else (no blanks, no hex). Throws std::invalid_argument otherwise
    // or when the number does not fit.
    static int32_t StrToIntStrict(const std::string& text);
    // True and the number when StrToIntStrict would succeed.
    static bool TryStrToInt(const std::string& text, int32_t& value);
    // The letters a..z made upper case; every other byte unchanged.
    static std::string UpperAZ(const std::string& text);
    // Trimmed of blanks and control characters (codes 0..32) at both ends.
    static std::string Trim(const std::string& text);
    // The columns of the list (up to the first free column slot), each value
    // followed by "|", "-" for an empty value: the export's row format
    // without the link and before upper-casing.
    static std::string RowLine(const TDBFields& fields);
};
