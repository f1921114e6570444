// A contact of the log and its text as ADIF fields, and back.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "adif/TAdifRecord.h"
#include "records/TQSO.h"

class TAdifMapping {
public:
    using TFields = std::vector<std::pair<std::string, std::string>>;
    // The longest contact text the log keeps (the window's limit).
    static constexpr size_t kMaxTextLength = 10000;
    static constexpr const char* kUnknownMode = "UNKN";
    static constexpr int32_t kBadReport = 999;

    // The contact's fields in the order they are written; values in
    // Latin-1, empty and zero values left out where ADIF has no use for them.
    static TFields ToFields(const TQSO& qso, const std::string& text);

    // The contact and text of a record. widths[c] is the length of QSOLOG
    // column c (0: no limit). False, with the reason, when the record cannot
    // be a contact (no call or date, a date or time that is not valid).
    // Every value cut or replaced adds a line to notes. The country is left
    // empty when the record has none.
    static bool FromRecord(const TAdifRecord& record, const std::vector<int>& widths, TQSO& qso,
                           std::string& text, std::string& reason, std::vector<std::string>& notes);

    // An empty country from the call (upper case) through lookup, cut to its
    // column; a country the record named stays.
    static void FillCountry(TQSO& qso, const std::vector<int>& widths,
                            const std::function<bool(const std::string&, std::string&)>& lookup);

    // What makes two contacts the same for the import: the call (trimmed,
    // upper case), the date, the start time and the band of the frequency.
    static std::string DuplicateKey(const TQSO& qso);

    // "mm/dd/yyyy" from ADIF's YYYYMMDD (a real calendar day); false else.
    static bool DateFromAdif(const std::string& adif, std::string& date);
    // "hh:mm" from HHMM or HHMMSS; false else.
    static bool TimeFromAdif(const std::string& adif, std::string& time);
};
