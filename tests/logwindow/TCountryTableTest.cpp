#include <gtest/gtest.h>

#include <map>

#include "logwindow/TCountryTable.h"

namespace {

TEST(TCountryTable, HoldsThe310EntriesWithTheirPrefixLengths) {
    const auto& entries = TCountryTable::Entries();
    ASSERT_EQ(310u, entries.size());
    std::map<size_t, int> byLength;
    for (const auto& e : entries) ++byLength[e.find(' ')];
    EXPECT_EQ((std::map<size_t, int>{{1, 6}, {2, 259}, {3, 35}, {4, 10}}), byLength);
    EXPECT_EQ("1A Malta", entries.front());
    EXPECT_EQ("ZS S. Africa", entries.back());
    EXPECT_EQ("3A Monaco ", entries[2]);
}

struct TCase {
    const char* Call;
    const char* Country;  // nullptr: no result
};

// First match in table order, prefixes compared case-sensitively with the
// call as the cell holds it.
const TCase kCases[] = {
    {"KH6ABC", "HAWAII"},      {"K1ABC", "U.S.A."},
    {"KP4XY", "PUERTO RICO"},  {"WP4XY", "PUERTO RICO"},
    {"W1AW", "U.S.A"},         {"AA1AA", "U.S.A"},
    {"CE0YAB", "CHILE"},       {"3Y0X", "BOUVET"},
    {"VP8ABC", "FALKLANDS"},   {"EA8AB", "SPAIN"},
    {"GM3ABC", "SCOTLAND"},    {"G3ABC", "ENGLAND"},
    {"F0XY", "CLIPPERTON IS"}, {"FO5AB", "FRENCH POLYNESIA"},
    {"F5ABC", "FRANCE"},       {"3A2AB", "MONACO "},
    {"DL/W1ABC", "GERMANY"},   {"W1ABC/KH6", "U.S.A"},
    {"KH5K1", "KINGMAN REEF"}, {"KH51", "U.S.A."},
    {"R1FJ", "FRANZ JOSEF"},   {"VK9XA", "AUSTRALIA"},
    {"HB0AA", "SWITZERLAND"},  {"7O1A", "YEMEN"},
    {"70A", nullptr},          {"TY1AB", nullptr},
    {"AB1CD", nullptr},        {"Q1AB", nullptr},
    {"dl1abc", nullptr},       {"TYPECALL", nullptr},
    {"K", "U.S.A."},           {"", nullptr},
    {"8Z4A", "S. ARABIA"},     {"8Z", nullptr},
    {"I2ABC", "ITALY"},        {"N0CALL", "U.S.A."},
};

TEST(TCountryTable, LookupFollowsTheFirstMatchRule) {
    for (const TCase& c : kCases) {
        std::string country = "unchanged";
        const bool found = TCountryTable::Lookup(c.Call, country);
        if (c.Country == nullptr) {
            EXPECT_FALSE(found) << c.Call;
            EXPECT_EQ("unchanged", country) << c.Call;
        } else {
            EXPECT_TRUE(found) << c.Call;
            EXPECT_EQ(c.Country, country) << c.Call;
        }
    }
}

TEST(TCountryTable, ARepeatedTableGivesTheSameResults) {
    std::vector<std::string> items;
    for (int i = 0; i < 3; ++i)
        items.insert(items.end(), TCountryTable::Entries().begin(), TCountryTable::Entries().end());
    ASSERT_EQ(930u, items.size());
    for (const TCase& c : kCases) {
        std::string once, thrice;
        EXPECT_EQ(TCountryTable::Lookup(c.Call, once),
                  TCountryTable::Lookup(items, c.Call, thrice));
        EXPECT_EQ(once, thrice) << c.Call;
    }
}

TEST(TCountryTable, ItemsAreUpperCasedAndArbitraryTextIsSafe) {
    std::string country;
    EXPECT_TRUE(TCountryTable::Lookup({"xx Somewhere odd"}, "XX1", country));
    EXPECT_EQ("SOMEWHERE ODD", country);
    EXPECT_TRUE(TCountryTable::Lookup({"NOBLANK"}, "NOBLANK1", country));
    EXPECT_EQ("", country);
    country = "kept";
    EXPECT_FALSE(TCountryTable::Lookup({}, "W1AW", country));
    EXPECT_EQ("kept", country);
    const std::string binary("\xff\x01 \x80/|", 6);
    for (const auto& call : {binary, std::string(5000, 'W'), std::string("\0\0", 2)}) {
        std::string result;
        TCountryTable::Lookup(call, result);  // must not fail on any text
    }
    EXPECT_TRUE(TCountryTable::Lookup(std::string(5000, 'W'), country));
    EXPECT_EQ("U.S.A", country);
}

}  // namespace
