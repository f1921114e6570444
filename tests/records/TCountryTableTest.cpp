#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "records/TCountryTable.h"

// First match in table order, prefixes compared case-sensitively with the
// call as the cell holds it.
TEST(TCountryTable, LookupFollowsTheFirstMatchRule) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {  // nullptr: no country
        {"KH6ABC", "HAWAII"}, {"K1ABC", "U.S.A."}, {"KP4XY", "PUERTO RICO"}, {"W1AW", "U.S.A"},
        {"GM3ABC", "SCOTLAND"}, {"G3ABC", "ENGLAND"}, {"F0XY", "CLIPPERTON IS"},
        {"3A2AB", "MONACO "}, {"DL/W1ABC", "GERMANY"}, {"W1ABC/KH6", "U.S.A"},
        {"KH5K1", "KINGMAN REEF"}, {"KH51", "U.S.A."}, {"70A", nullptr}, {"dl1abc", nullptr},
        {"TYPECALL", nullptr}, {"", nullptr}, {"\xff/|", nullptr}};
    // clang-format on
    for (const auto& [call, expected] : cases) {
        std::string country = "unchanged";
        EXPECT_EQ(expected != nullptr, TCountryTable::Lookup(call, country)) << call;
        EXPECT_EQ(expected ? expected : "unchanged", country);
    }
    std::string country;  // items are upper-cased; one without a blank has no name
    EXPECT_TRUE(TCountryTable::Lookup({"NOBLANK", "xx Somewhere odd"}, "XX1", country));
    EXPECT_EQ("SOMEWHERE ODD", country);
    EXPECT_TRUE(TCountryTable::Lookup({"NOBLANK"}, "NOBLANK1", country) && country.empty());
}
