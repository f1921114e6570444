#include "records/TRecordText.h"

#include <limits>
#include <stdexcept>

#include "kernel/DbFormat.h"

bool TRecordText::TryStrToInt(const std::string& text, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    int64_t n = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
        if (n > limit)
            return false;
    }
    value = static_cast<int32_t>(negative ? -n : n);
    return true;
}

int32_t TRecordText::StrToIntStrict(const std::string& text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value)) {
        throw std::invalid_argument("'" + text + "' is not a valid integer value");
    }
    return value;
}

std::string TRecordText::UpperAZ(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string TRecordText::Trim(const std::string& text) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
    return text.substr(b, e - b);
}

std::string TRecordText::RowLine(const TDBFields& fields) {
    std::string line;
    for (int i = 0; i < fields.Count(); ++i) {
        const TDBFieldParent* f = fields.GetField(i);
        if (f->DataType == static_cast<int32_t>(DbFormat::kTypeFree))
            break;
        line += f->Value.empty() ? std::string("-") : f->Value;
        line += '|';
    }
    return line;
}
