// One contact as a logging program reported it: "QSO Logged" as ADIF fields
// (upper-case names, UTF-8 values), "Logged ADIF" as the ADIF text it sent.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct TWsjtxContact {
    std::string Source;  // the sending program's id
    std::vector<std::pair<std::string, std::string>> Fields;
    std::string Adif;
};
