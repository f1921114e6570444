// Holds no state; only the owner passed to new statements. Also home of the
// text routines the data-definition statements are scanned with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TSQLParser {
public:
    // A token table holds this many tokens; a longer text does not fit.
    static constexpr int kMaxTokens = 101;

    // Letters a..z upper-cased, every other byte unchanged.
    static std::string UpperCase(const std::string& text);
    // Characters of code 32 and below removed at both ends.
    static std::string Trim(const std::string& text);
    // The text with every occurrence of c removed.
    static std::string RemoveChar(const std::string& text, char c);
    // Every comma becomes a blank; a run of blanks and commas becomes one blank.
    static std::string NormalizeSeparators(const std::string& text);
    // Trims the text and cuts it at each blank. Returns the number of tokens,
    // or -1 when there are more than kMaxTokens (tokens then holds the first
    // kMaxTokens).
    static int SplitTokens(const std::string& text, std::vector<std::string>& tokens);
    // The name after "CREATE TABLE" plus one blank, up to the next blank or
    // "(", in its case as typed; empty when the phrase is missing or not
    // followed by exactly one blank.
    static std::string ExtractTableName(const std::string& text);
    // The text between the first "(" and the first ")" when the text names a
    // table as ExtractTableName finds it; empty otherwise.
    static std::string ExtractColumnList(const std::string& text);
    // A type token: "INT" (any case) gives data type 0 and length 0; a token
    // with "[n]" gives data type 1 and length n. Raises ExcSQLSyntaxError
    // otherwise, and for a length that is not a whole number from 1 to kMaxLength.
    static void ParseDataType(const std::string& token, int32_t& dataType, int32_t& length);
    // Longest character column: 65 of them still fit one row into a data page.
    static constexpr int32_t kMaxLength = 65535;
};
