// The built-in table of call-sign prefixes and the first-match lookup of a
// call sign's country.
#pragma once

#include <string>
#include <vector>

class TCountryTable {
public:
    static constexpr const char* kEntryRowCall = "TYPECALL";

    // The 310 entries ("prefix country"), in table order.
    static const std::vector<std::string>& Entries();

    // Walks items in order; the first item whose prefix (the text before its
    // first blank, upper-cased) equals the same number of leading characters
    // of call gives country := the item's name in upper case, and true.
    // The call is compared as it is (case-sensitive); "TYPECALL" and a call
    // matching no item give false and leave country as it was.
    static bool Lookup(const std::vector<std::string>& items, const std::string& call,
                       std::string& country);
    static bool Lookup(const std::string& call, std::string& country);
};
