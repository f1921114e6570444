#include "adif/TAdifReader.h"

#include <cstdint>

namespace {

std::string Upper(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return out;
}

std::string Trim(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return text.substr(b, e - b);
}

bool Digits(const std::string& text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Where the data begins: behind a UTF-8 byte-order mark and leading blanks.
size_t DataStart(const std::string& text) {
    size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= ' ') ++pos;
    return pos;
}

}  // namespace

bool TAdifReader::ReadSpecifier(const std::string& text, size_t& pos, std::string& name,
                                std::string& value, bool& isTag, bool& truncated) {
    const size_t open = pos;
    pos = open + 1;
    truncated = false;
    isTag = false;
    const size_t close = text.find('>', pos);
    // A specifier holds no "<": "<a <CALL:4>" skips the first "<" only.
    const size_t nextOpen = text.find('<', pos);
    if (close == std::string::npos || (nextOpen != std::string::npos && nextOpen < close))
        return false;
    const std::string inside = text.substr(open + 1, close - open - 1);
    const size_t colon = inside.find(':');
    if (colon == std::string::npos) {
        name = Upper(Trim(inside));
        if (name != "EOR" && name != "EOH")
            return false;
        isTag = true;
        pos = close + 1;
        return true;
    }
    name = Upper(Trim(inside.substr(0, colon)));
    std::string length = inside.substr(colon + 1);
    const size_t typeColon = length.find(':');
    if (typeColon != std::string::npos)
        length.resize(typeColon);
    length = Trim(length);
    if (name.empty() || !Digits(length) || length.size() > 9)
        return false;
    const size_t count = static_cast<size_t>(std::stoul(length));
    const size_t dataStart = close + 1;
    if (dataStart + count > text.size()) {
        truncated = true;
        value = text.substr(dataStart);
        pos = text.size();
        return true;
    }
    value = text.substr(dataStart, count);
    pos = dataStart + count;
    return true;
}

void TAdifReader::Parse(const std::string& text) {
    HasHeader = false;
    Header.clear();
    Records.clear();
    size_t pos = DataStart(text);
    // A file beginning with "<" has no header; otherwise the header runs to
    // <EOH>, and a file without one is all records.
    bool inHeader = pos < text.size() && text[pos] != '<';
    if (inHeader) {
        bool foundEoh = false;
        for (size_t p = text.find('<', pos); p != std::string::npos; p = text.find('<', p + 1)) {
            if (Upper(text.substr(p, 5)) == "<EOH>") {
                foundEoh = true;
                break;
            }
        }
        inHeader = foundEoh;
    }
    HasHeader = inHeader;

    TAdifRecord current;
    current.Number = 1;
    while (pos < text.size()) {
        pos = text.find('<', pos);
        if (pos == std::string::npos)
            break;
        std::string name, value;
        bool isTag = false, truncated = false;
        if (!ReadSpecifier(text, pos, name, value, isTag, truncated))
            continue;
        if (inHeader) {
            if (isTag && name == "EOH")
                inHeader = false;
            else if (!isTag)
                Header.emplace_back(name, value);
            continue;
        }
        if (isTag && name == "EOH" && Records.empty()) {
            // A header without the text before it: what came first was it.
            Header.insert(Header.end(), current.Fields.begin(), current.Fields.end());
            current.Fields.clear();
            HasHeader = true;
            continue;
        }
        if (isTag) {
            // <EOH> out of place, and an <EOR> closing no field, end nothing.
            if (name == "EOR" && !current.Fields.empty()) {
                current.Ended = true;
                const int next = current.Number + 1;
                Records.push_back(std::move(current));
                current = TAdifRecord();
                current.Number = next;
            }
            continue;
        }
        current.Fields.emplace_back(name, value);
        if (truncated)
            break;
    }
    if (!current.Fields.empty())
        Records.push_back(std::move(current));
}
