// The text routines the data-definition statements are scanned with.
#include <gtest/gtest.h>

#include "kernel/CustomExceptions.h"
#include "schema/TSQLParser.h"

using Strings = std::vector<std::string>;

TEST(SQLParser, SeparatorsTokensNamesAndColumnLists) {
    EXPECT_EQ(TSQLParser::NormalizeSeparators("A , ,,  B") + "|" +
                  TSQLParser::NormalizeSeparators(",A\tB") + "|" +
                  TSQLParser::RemoveChar("a\nb\n", '\n'),
              "A B| A\tB|ab");
    Strings tokens;
    EXPECT_EQ(TSQLParser::SplitTokens(" \t A B C \r", tokens), 3);
    EXPECT_EQ(tokens, (Strings{"A", "B", "C"}));
    EXPECT_EQ(TSQLParser::SplitTokens("  ", tokens), 0);
    std::string text = "T";
    for (int i = 1; i < TSQLParser::kMaxTokens; ++i) text += " T";
    EXPECT_EQ(TSQLParser::SplitTokens(text, tokens), TSQLParser::kMaxTokens);
    EXPECT_EQ(TSQLParser::SplitTokens(text + " T", tokens), -1);  // past the table
    for (const auto& [sql, name] :
         std::vector<std::pair<std::string, std::string>>{{"create table Abc(x int null)", "Abc"},
                                                          {"CREATE TABLE Abc (x)", "Abc"},
                                                          {"CREATE TABLE Abc", "Abc"},
                                                          {"CREATE TABLE  Abc (x)", ""},
                                                          {"CREATE TABLE\tAbc (x)", ""},
                                                          {"CREATE TABLE", ""},
                                                          {"DROP TABLE Abc", ""}})
        EXPECT_EQ(TSQLParser::ExtractTableName(sql), name) << sql;
    for (const auto& [sql, list] : std::vector<std::pair<std::string, std::string>>{
             {"CREATE TABLE T (A INT NULL) (B)", "A INT NULL"},
             {"CREATE TABLE T (A INT NULL", ""},
             {"CREATE TABLE T ) (A INT NULL", ""},
             {"CREATE TABLE  T (A INT NULL)", ""}})
        EXPECT_EQ(TSQLParser::ExtractColumnList(sql), list) << sql;
}

TEST(SQLParser, DataTypes) {
    for (const auto& [text, type, length] : std::vector<std::tuple<std::string, int, int>>{
             {"CHAR[20]", 1, 20}, {"[40]", -1, 40}, {"int", 0, 0}, {"X[65535]", -1, 65535}}) {
        int32_t t = -1, l = -1;  // a type of -1: not looked at
        TSQLParser::ParseDataType(text, t, l);
        EXPECT_EQ((std::pair{type < 0 ? -1 : t, l}), (std::pair{type, length})) << text;
    }
    int32_t t = 0, l = 0;
    for (const char* bad :
         {"CHAR(20)", "INTEGER", "", "CHAR[20X]", "CHAR[0]", "CHAR[99999999999]", "VARCHAR"}) {
        try {
            TSQLParser::ParseDataType(bad, t, l);
            ADD_FAILURE() << bad;
        } catch (const ExcSQLSyntaxError& e) {
            EXPECT_TRUE(std::string(bad) != "VARCHAR" ||
                        std::string(e.what()) == "INVALID DATA TYPE");
        }
    }
}
