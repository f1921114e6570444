#include "RecordsFixture.h"
#include "records/TQSOMemos.h"
#include "records/TSchemaScript.h"

TEST(TSchemaScriptSplit, StatementsEndWhereALineEndsWithASemicolon) {
    EXPECT_EQ((std::vector<std::string>{"CREATE TABLE A (X INT PRIMARY KEY)",
                                        "CREATE TABLE B (Y INT PRIMARY KEY,\n  Z CHAR[3] NULL)",
                                        "DROP TABLE A", "A; B"}),
              TSchemaScript::Split("CREATE TABLE A (X INT PRIMARY KEY);\r\n"
                                   "CREATE TABLE B (Y INT PRIMARY KEY,\r\n  Z CHAR[3] NULL);  \n"
                                   "\n;\nDROP TABLE A;\nA; B"));
}

using TSchemaScriptTest = RecordsFixture;  // the fixture has run the log script

TEST_F(TSchemaScriptTest, TheLogScriptCreatesTheSixTablesOnceAsIDs5To10) {
    for (const auto& t : TSchemaScript::kLogTables)
        EXPECT_EQ(t.TableID, DbKernel->GetTableIDFromName(t.Name)) << t.Name;
    // A text piece is as long as the records layer cuts it.
    EXPECT_EQ(static_cast<int>(TQSOMemos::kPieceLength),
              DbKernel->CreateEmptyFieldsObject(8, 0)->GetField(1)->Length);

    int done = 0, failed = -1;
    std::string error;  // again: the first statement fails, the table exists
    EXPECT_NE(0, TSchemaScript::Run(SchemaScript(), done, failed, error));
    EXPECT_EQ(0, done);
    EXPECT_EQ(0, failed);
    EXPECT_FALSE(error.empty());
}
