// The contact that the kill test's writers store as their i-th, and its text:
// both sides compute every value from i, so the checker knows what a reported
// contact must hold.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct KillWriterContact {
    int32_t I = 0;

    // The QSOLOG values in column order, the contact stored under number.
    std::vector<std::string> Values(int32_t number) const {
        const auto s = [](int32_t n) { return std::to_string(n); };
        const auto two = [](int32_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
        return {s(number),
                "01/" + two(1 + I % 28) + "/2002",
                "K" + s(I) + "KW",
                "12:" + two(I % 60),
                "13:" + two(I * 7 % 60),
                s(I % 30000) + ".5",
                s(I % 1500),
                "CW",
                s(500 + I % 99),
                s(400 + I % 99),
                s(I % 2),
                s((I + 1) % 2),
                s(I),
                s(I % 40),
                "COUNTRY " + s(I % 1000),
                "COUNTY",
                "FN" + two(I % 100),
                "MGR",
                "0",
                "A",
                "B",
                "C",
                "D"};
    }
    // Every third contact has a text of two pieces (a piece holds 249 characters).
    std::string Text() const {
        std::string text;
        while (text.size() < 300) text += "text of contact " + std::to_string(I) + ". ";
        return text.substr(0, I % 3 == 0 ? 300 : 40);
    }
};
