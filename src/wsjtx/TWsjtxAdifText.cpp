#include "wsjtx/TWsjtxAdifText.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Reads "<NAME[:LENGTH[:TYPE]]>" at pos; the value follows it. False when
// the text holds no closing ">".
bool ReadTag(const std::string& text, size_t& pos, std::string& name, size_t& length) {
    const size_t close = text.find('>', pos);
    if (close == std::string::npos)
        return false;
    const std::string inner = text.substr(pos + 1, close - pos - 1);
    const size_t colon = inner.find(':');
    name = Upper(inner.substr(0, colon));
    length = 0;
    if (colon != std::string::npos)
        for (size_t i = colon + 1;
             i < inner.size() && std::isdigit(static_cast<unsigned char>(inner[i])) &&
             length < text.size();
             ++i)
            length = length * 10 + static_cast<size_t>(inner[i] - '0');
    pos = close + 1;
    return true;
}

}  // namespace

TWsjtxAdifText::TFields TWsjtxAdifText::FirstRecord(const std::string& text) {
    size_t pos = 0;
    const size_t eoh = Upper(text).find("<EOH>");
    if (eoh != std::string::npos)
        pos = eoh + 5;
    else if (!text.empty() && text[0] != '<')
        pos = text.find('<');  // a header with no <EOH>: its text is no field
    TFields fields;
    while (pos < text.size()) {
        pos = text.find('<', pos);
        if (pos == std::string::npos)
            break;
        std::string name;
        size_t length = 0;
        if (!ReadTag(text, pos, name, length) || name == "EOR")
            break;
        if (name.empty() || name == "EOH")
            continue;
        length = std::min(length, text.size() - pos);
        fields.emplace_back(name, text.substr(pos, length));
        pos += length;
    }
    return fields;
}
