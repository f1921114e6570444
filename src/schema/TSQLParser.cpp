#include "schema/TSQLParser.h"

#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"

namespace {
constexpr const char* kCreatePhrase = "CREATE TABLE";
constexpr const char* kInvalidDataType = "INVALID DATA TYPE";
}  // namespace

std::string TSQLParser::UpperCase(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string TSQLParser::Trim(const std::string& text) {
    auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string TSQLParser::RemoveChar(const std::string& text, char c) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text)
        if (ch != c) out += ch;
    return out;
}

std::string TSQLParser::NormalizeSeparators(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool lastWasSeparator = false;
    for (char c : text) {
        if (c == ',' || c == ' ') {
            if (!lastWasSeparator) out += ' ';
            lastWasSeparator = true;
        } else {
            out += c;
            lastWasSeparator = false;
        }
    }
    return out;
}

int TSQLParser::SplitTokens(const std::string& text, std::vector<std::string>& tokens) {
    tokens.clear();
    const std::string trimmed = Trim(text);
    if (trimmed.empty()) return 0;
    size_t start = 0;
    while (true) {
        const size_t blank = trimmed.find(' ', start);
        if (static_cast<int>(tokens.size()) == kMaxTokens) return -1;
        tokens.push_back(trimmed.substr(start, blank == std::string::npos ? std::string::npos
                                                                           : blank - start));
        if (blank == std::string::npos) break;
        start = blank + 1;
    }
    return static_cast<int>(tokens.size());
}

std::string TSQLParser::ExtractTableName(const std::string& text) {
    const size_t at = UpperCase(text).find(kCreatePhrase);
    if (at == std::string::npos) return "";
    const size_t after = at + std::char_traits<char>::length(kCreatePhrase);
    if (after >= text.size() || text[after] != ' ') return "";
    if (after + 1 < text.size() && text[after + 1] == ' ') return "";
    const size_t begin = after + 1;
    const size_t end = text.find_first_of(" (", begin);
    return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

std::string TSQLParser::ExtractColumnList(const std::string& text) {
    if (Trim(ExtractTableName(text)).empty()) return "";
    const size_t open = text.find('(');
    const size_t close = text.find(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return "";
    return text.substr(open + 1, close - open - 1);
}

void TSQLParser::ParseDataType(const std::string& token, int32_t& dataType, int32_t& length) {
    const size_t open = token.find('[');
    const size_t close = token.find(']');
    if (open != std::string::npos && close != std::string::npos) {
        const std::string digits = close > open ? token.substr(open + 1, close - open - 1) : "";
        bool valid = !digits.empty() && digits.size() <= 9;
        for (char c : digits)
            if (c < '0' || c > '9') valid = false;
        const long n = valid ? std::stol(digits) : 0;
        if (n < 1 || n > kMaxLength)
            throw ExcSQLSyntaxError("INVALID LENGTH " + token + ": a length is a whole number from 1 to " +
                                    std::to_string(kMaxLength));
        dataType = static_cast<int32_t>(DbFormat::kTypeCharacter);
        length = static_cast<int32_t>(n);
        return;
    }
    if (UpperCase(token) == "INT") {
        dataType = static_cast<int32_t>(DbFormat::kTypeInteger);
        length = 0;
        return;
    }
    throw ExcSQLSyntaxError(kInvalidDataType);
}
