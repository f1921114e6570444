// The text routines the data-definition statements are scanned with.
#include <gtest/gtest.h>

#include "kernel/CustomExceptions.h"
#include "schema/TSQLParser.h"

TEST(SQLParser, SeparatorsCollapseToOneBlank) {
    EXPECT_EQ(TSQLParser::NormalizeSeparators("A,B"), "A B");
    EXPECT_EQ(TSQLParser::NormalizeSeparators("A , ,,  B"), "A B");
    EXPECT_EQ(TSQLParser::NormalizeSeparators(",A"), " A");
    EXPECT_EQ(TSQLParser::NormalizeSeparators("A\tB"), "A\tB");
    EXPECT_EQ(TSQLParser::RemoveChar("a\nb\n", '\n'), "ab");
}

TEST(SQLParser, SplitTokensTrimsAndStopsPastTheTable) {
    std::vector<std::string> tokens;
    EXPECT_EQ(TSQLParser::SplitTokens(" \t A B C \r", tokens), 3);
    EXPECT_EQ(tokens, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(TSQLParser::SplitTokens("  ", tokens), 0);

    std::string text = "T";
    for (int i = 1; i < TSQLParser::kMaxTokens; ++i) text += " T";
    EXPECT_EQ(TSQLParser::SplitTokens(text, tokens), TSQLParser::kMaxTokens);
    EXPECT_EQ(TSQLParser::SplitTokens(text + " T", tokens), -1);
}

TEST(SQLParser, TableNameAndColumnList) {
    EXPECT_EQ(TSQLParser::ExtractTableName("create table Abc(x int null)"), "Abc");
    EXPECT_EQ(TSQLParser::ExtractTableName("CREATE TABLE Abc (x)"), "Abc");
    EXPECT_EQ(TSQLParser::ExtractTableName("CREATE TABLE Abc"), "Abc");
    EXPECT_EQ(TSQLParser::ExtractTableName("CREATE TABLE  Abc (x)"), "");
    EXPECT_EQ(TSQLParser::ExtractTableName("CREATE TABLE\tAbc (x)"), "");
    EXPECT_EQ(TSQLParser::ExtractTableName("CREATE TABLE"), "");
    EXPECT_EQ(TSQLParser::ExtractTableName("DROP TABLE Abc"), "");

    EXPECT_EQ(TSQLParser::ExtractColumnList("CREATE TABLE T (A INT NULL) (B)"), "A INT NULL");
    EXPECT_EQ(TSQLParser::ExtractColumnList("CREATE TABLE T (A INT NULL"), "");
    EXPECT_EQ(TSQLParser::ExtractColumnList("CREATE TABLE T ) (A INT NULL"), "");
    EXPECT_EQ(TSQLParser::ExtractColumnList("CREATE TABLE  T (A INT NULL)"), "");
}

TEST(SQLParser, DataTypes) {
    int32_t type = -1;
    int32_t length = -1;
    TSQLParser::ParseDataType("CHAR[20]", type, length);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(length, 20);
    TSQLParser::ParseDataType("[40]", type, length);
    EXPECT_EQ(length, 40);
    TSQLParser::ParseDataType("int", type, length);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(length, 0);
    TSQLParser::ParseDataType("X[65535]", type, length);
    EXPECT_EQ(length, 65535);

    for (const char* bad : {"CHAR(20)", "INTEGER", "", "CHAR[20X]", "CHAR[0]", "CHAR[99999999999]"})
        EXPECT_THROW(TSQLParser::ParseDataType(bad, type, length), ExcSQLSyntaxError) << bad;
    try {
        TSQLParser::ParseDataType("VARCHAR", type, length);
        FAIL();
    } catch (const ExcSQLSyntaxError& e) {
        EXPECT_STREQ(e.what(), "INVALID DATA TYPE");
    }
}
