#include "TLicenceRecord.h"

#include <algorithm>
#include <fstream>

namespace {

constexpr const char* kEndMarker = "TRAVINDOX-END-OF-FILE";

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    });
    return text;
}

std::string Trim(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    const size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t bar = line.find('|', start);
        fields.push_back(
            Trim(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start)));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    return fields;
}

}  // namespace

bool TLicenceRecord::Parse(const std::string& line, TLicenceRecord& record) {
    const std::vector<std::string> f = Split(line);
    if (f.size() < 5 || f[0] != "EN" || f[4].empty())
        return false;
    auto at = [&f](size_t i) { return i < f.size() ? f[i] : std::string(); };
    record.Identifier = at(1);
    record.CallSign = at(4);
    record.EntityType = at(5);
    record.EntityName = at(7);
    record.FirstName = at(8);
    record.MiddleInitial = at(9);
    record.LastName = at(10);
    record.Suffix = at(11);
    record.Email = at(14);
    record.Street = at(15);
    record.City = at(16);
    record.State = at(17);
    record.Zip = at(18);
    record.POBox = at(19);
    record.FRN = at(22);
    return true;
}

bool TLicenceRecord::FindInFile(const std::string& fileName, const std::string& call,
                                TLicenceRecord& record) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return false;
    const std::string wanted = Upper(Trim(call));
    std::string line;
    while (std::getline(in, line)) {
        TLicenceRecord candidate;
        if (Parse(line, candidate) && Upper(candidate.CallSign) == wanted) {
            record = candidate;
            return true;
        }
    }
    return false;
}

// 1 call sign, 2 record identifier, 3 first name (a club's entity name when
// the holder has no personal name), 4 middle initial, 5 last name,
// 6 ", suffix" or empty, 7 street (or "PO Box …"), 8 city, 9 state, 10 ZIP,
// 11 e-mail, 12 FRN, 13 the end marker, 14 entity type.
std::array<std::string, 14> TLicenceRecord::ResultLines() const {
    std::array<std::string, 14> lines;
    lines[0] = CallSign;
    lines[1] = Identifier;
    const bool personal = !FirstName.empty() || !LastName.empty();
    lines[2] = personal ? FirstName : EntityName;
    lines[3] = MiddleInitial;
    lines[4] = personal ? LastName : std::string();
    lines[5] = Suffix.empty() ? std::string() : ", " + Suffix;
    lines[6] = !Street.empty() ? Street : (POBox.empty() ? std::string() : "PO Box " + POBox);
    lines[7] = City;
    lines[8] = State;
    lines[9] = Zip;
    lines[10] = Email;
    lines[11] = FRN;
    lines[12] = kEndMarker;
    lines[13] = EntityType;
    return lines;
}

std::array<std::string, 14> TLicenceRecord::NotFoundLines(const std::string& call) {
    std::array<std::string, 14> lines;
    lines[0] = "NOT FO";
    lines[2] = call;
    lines[12] = kEndMarker;
    return lines;
}
