// The contact that the kill test's writers store as their i-th, and its text:
// both sides compute every value from i, so the checker knows what a reported
// contact must hold.
#pragma once

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

struct KillWriterContact {
    int32_t I = 0;

    // The QSOLOG row text ("v1|v2|...|", in column order) of the contact stored under number.
    std::string Row(int32_t number) const {
        char row[256];
        std::snprintf(row, sizeof row,
                      "%d|01/%02d/2002|K%dKW|12:%02d|13:%02d|%d.5|%d|CW|%d|%d|%d|%d|%d|%d|"
                      "COUNTRY %d|COUNTY|FN%02d|MGR|0|A|B|C|D|",
                      number, 1 + I % 28, I, I % 60, I * 7 % 60, I % 30000, I % 1500, 500 + I % 99,
                      400 + I % 99, I % 2, (I + 1) % 2, I, I % 40, I % 1000, I % 100);
        return row;
    }
    std::vector<std::string> Values() const {
        std::istringstream in(Row(0));
        std::vector<std::string> values;
        for (std::string v; std::getline(in, v, '|');) values.push_back(v);
        return values;
    }
    // Every third contact has a text of two pieces (a piece holds 249 characters).
    std::string Text() const {
        std::string text;
        while (text.size() < 300) text += "text of contact " + std::to_string(I) + ". ";
        return text.substr(0, I % 3 == 0 ? 300 : 40);
    }
};
