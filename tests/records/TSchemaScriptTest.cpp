#include <gtest/gtest.h>

#include "RecordsFixture.h"
#include "kernel/DbFormat.h"
#include "records/TSchemaScript.h"

namespace {

TEST(TSchemaScriptSplit, StatementsEndWhereALineEndsWithASemicolon) {
    EXPECT_EQ((std::vector<std::string>{"CREATE TABLE A (X INT PRIMARY KEY)",
                                        "CREATE TABLE B (Y INT PRIMARY KEY,\n  Z CHAR[3] NULL)",
                                        "DROP TABLE A"}),
              TSchemaScript::Split("CREATE TABLE A (X INT PRIMARY KEY);\r\n"
                                   "CREATE TABLE B (Y INT PRIMARY KEY,\r\n  Z CHAR[3] NULL);  \n"
                                   "\n"
                                   "DROP TABLE A"));
    // A ";" inside a line does not end the statement.
    EXPECT_EQ(std::vector<std::string>{"A; B"}, TSchemaScript::Split("A; B;\n"));
    EXPECT_TRUE(TSchemaScript::Split(" \n;\n\n").empty());
}

class TSchemaScriptTest : public RecordsFixture {
  protected:
    bool WithSchema() const override { return false; }
    TDBFieldsPtr Layout(const char* table) {
        return DbKernel->CreateEmptyFieldsObject(DbKernel->GetTableIDFromName(table), 0);
    }
};

TEST_F(TSchemaScriptTest, TheLogScriptCreatesTheSixTablesAsIDs5To10) {
    int done = 0;
    int failed = -1;
    std::string error;
    ASSERT_EQ(0, TSchemaScript::Run(ReadFile(SchemaScriptPath()), done, failed, error)) << error;
    EXPECT_EQ(6, done);
    for (const auto& t : TSchemaScript::kLogTables) {
        EXPECT_EQ(t.TableID, DbKernel->GetTableIDFromName(t.Name)) << t.Name;
        EXPECT_NE(nullptr, Layout(t.Name)) << t.Name;
    }

    struct Col {
        int Position;
        uint32_t DataType;
        int Length;
        uint32_t KeyType;
    };
    auto expectColumns = [&](const char* table, int count, std::vector<Col> cols) {
        TDBFieldsPtr f = Layout(table);
        ASSERT_NE(nullptr, f);
        for (const Col& c : cols) {
            const TDBFieldParent* p = f->GetField(c.Position);
            ASSERT_NE(nullptr, p);
            EXPECT_EQ(static_cast<int32_t>(c.DataType), p->DataType) << table << " " << c.Position;
            EXPECT_EQ(c.Length, p->Length) << table << " " << c.Position;
            EXPECT_EQ(static_cast<int32_t>(c.KeyType), p->KeyType) << table << " " << c.Position;
        }
        EXPECT_EQ(static_cast<int32_t>(DbFormat::kTypeFree), f->GetField(count)->DataType) << table;
    };
    using namespace DbFormat;
    expectColumns("HAMCLS", 5,
                  {{0, kTypeCharacter, 15, kKeyPrimary}, {4, kTypeCharacter, 2, kKeyNone}});
    expectColumns("QSOLOG", 23,
                  {{0, kTypeInteger, 0, kKeyNone},
                   {1, kTypeCharacter, 10, kKeyNone},
                   {2, kTypeCharacter, 15, kKeyMulti},
                   {3, kTypeCharacter, 5, kKeyNone},
                   {5, kTypeCharacter, 12, kKeyNone},
                   {6, kTypeInteger, 0, kKeyNone},
                   {7, kTypeCharacter, 10, kKeyNone},
                   {12, kTypeInteger, 0, kKeyNone},
                   {13, kTypeCharacter, 2, kKeyNone},
                   {14, kTypeCharacter, 20, kKeyNone},
                   {15, kTypeCharacter, 20, kKeyNone},
                   {16, kTypeCharacter, 5, kKeyNone},
                   {17, kTypeCharacter, 6, kKeyNone},
                   {18, kTypeInteger, 0, kKeyNone},
                   {22, kTypeCharacter, 4, kKeyNone}});
    expectColumns("QSO_DATE_INDEX", 3,
                  {{0, kTypeCharacter, 10, kKeyMulti},
                   {1, kTypeInteger, 0, kKeyNone},
                   {2, kTypeCharacter, 15, kKeyNone}});
    expectColumns("QSO_TEXT", 2,
                  {{0, kTypeInteger, 0, kKeyMulti}, {1, kTypeCharacter, 249, kKeyNone}});
    expectColumns("SYSTEM_SETTINGS", 2,
                  {{0, kTypeCharacter, 30, kKeyPrimary}, {1, kTypeCharacter, 64, kKeyNone}});
    expectColumns("SEQUENCES", 2,
                  {{0, kTypeInteger, 0, kKeyPrimary}, {1, kTypeInteger, 0, kKeyNone}});

    // Running it again fails at once: the first table exists.
    EXPECT_NE(0, TSchemaScript::Run(ReadFile(SchemaScriptPath()), done, failed, error));
    EXPECT_EQ(0, done);
    EXPECT_EQ(0, failed);
    EXPECT_FALSE(error.empty());
}

TEST_F(TSchemaScriptTest, RunStopsAtTheFirstFailingStatementWithItsError) {
    int done = 0;
    int failed = -1;
    std::string error;
    EXPECT_EQ(999, TSchemaScript::Run("CREATE TABLE T1 (A INT PRIMARY KEY);\n"
                                      "DROP TABLE T1 T2;\n"
                                      "CREATE TABLE T3 (A INT PRIMARY KEY);\n",
                                      done, failed, error));
    EXPECT_EQ(1, done);
    EXPECT_EQ(1, failed);
    EXPECT_NE(std::string::npos, error.find("INVALID DROP SYNTAX"));
    EXPECT_NE(999u, DbKernel->GetTableIDFromName("T1"));
    EXPECT_EQ(999u, DbKernel->GetTableIDFromName("T3"));

    EXPECT_EQ(999, TSchemaScript::Run("SELECT * FROM T1", done, failed, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
