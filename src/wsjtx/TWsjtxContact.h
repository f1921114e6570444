// One contact as a logging program reported it, as ADIF fields (upper-case
// names, UTF-8 values), whichever message carried it.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct TWsjtxContact {
    std::string Source;  // the sending program's id
    std::vector<std::pair<std::string, std::string>> Fields;

    std::string Value(const std::string& name) const {
        for (const auto& field : Fields)
            if (field.first == name)
                return field.second;
        return std::string();
    }
};
