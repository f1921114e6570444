// One record of an ADI file as read: its fields in file order, names in
// upper case, values as the file's bytes.
#pragma once

#include <string>
#include <utility>
#include <vector>

class TAdifRecord {
public:
    int Number = 0;      // 1 for the file's first record
    bool Ended = false;  // closed by <EOR> (false: the file ended inside it)
    std::vector<std::pair<std::string, std::string>> Fields;

    // The value of the first field of that (upper-case) name; nullptr when
    // the record has none.
    const std::string* Find(const std::string& name) const {
        for (const auto& field : Fields)
            if (field.first == name)
                return &field.second;
        return nullptr;
    }
    std::string Value(const std::string& name) const {
        const std::string* v = Find(name);
        return v ? *v : std::string();
    }
};
