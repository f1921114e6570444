// CREATE TABLE and DROP TABLE as typed into the administration window: what
// each statement leaves in the table slots, including after a failure.
#include <gtest/gtest.h>

#include "SchemaTestSupport.h"
#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "schema/TDBResultSet.h"
#include "schema/TSQLStatements.h"

namespace {
const char* kFirstClause = "CLAUSE MUST CONTAIN \"NULL\" or \"NOT NULL\" or \"PRIMARY KEY\"";
const char* kSecondClause = "CLAUSE MUST BE \"PRIMARY KEY\" or \"FOREIGN KEY\"";
const char* kInvalidDrop = "INVALID DROP SYNTAX. Example syntax: DROP TABLE SOMETABLE";

// A column list of `clauses` four-token clauses (name type NOT NULL), the
// first a primary key, and `extra` three-token clauses behind them.
std::string ColumnList(int clauses, int extra) {
    std::string list = "K0 INT PRIMARY KEY";
    for (int i = 1; i < clauses; ++i) list += ", C" + std::to_string(i) + " INT NOT NULL";
    for (int i = 0; i < extra; ++i) list += ", E" + std::to_string(i) + " INT NULL";
    return list;
}
}  // namespace

class SqlTest : public SchemaTest {
protected:
    // The slot's bytes equal those of a new file's free slot 5.
    void ExpectSlotUntouched(uint32_t slot) {
        EXPECT_EQ(TableName(slot), DbFormat::kFreeTableName);
        EXPECT_EQ(TableRecord(slot).InUse, 0u);
        for (uint32_t c = 0; c < DbFormat::kColumnsPerTable; ++c)
            EXPECT_EQ(ColumnName(slot, c), DbFormat::kFreeColumnName) << c;
    }
};

TEST_F(SqlTest, AcceptedCreateWritesTableAndColumns) {
    MustSql("CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY, NOTE [40] NOT NULL, QTY INT NULL)");
    EXPECT_EQ(DbKernel->GetTableIDFromName("stations"), 5u);
    const TTableRecord t = TableRecord(5);
    EXPECT_EQ(TableName(5), "STATIONS");
    EXPECT_EQ(t.TableID, 5u);
    EXPECT_EQ(t.OwnerWord, 0u);
    EXPECT_NE(t.InUse, 0u);

    const struct {
        const char* name;
        uint32_t type, length, key;
    } expected[] = {{"CALLSIGN", 1, 12, 1}, {"NOTE", 1, 40, 2}, {"QTY", 0, 0, 2}};
    for (uint32_t c = 0; c < 3; ++c) {
        const TColumnRecord r = ColumnRecord(5, c);
        EXPECT_EQ(ColumnName(5, c), expected[c].name);
        EXPECT_EQ(r.Position, c);
        EXPECT_EQ(r.DataType, expected[c].type);
        EXPECT_EQ(r.Length, expected[c].length);
        EXPECT_EQ(r.KeyType, expected[c].key);
        EXPECT_EQ(r.Reserved1, 2147483647u);
        EXPECT_EQ(r.Reserved2, 2147483647u);
    }
    EXPECT_EQ(ColumnRecord(5, 3).DataType, DbFormat::kTypeFree);
}

TEST_F(SqlTest, LowerCaseCreateIsAcceptedAndTheNameEndsAtTheParenthesis) {
    MustSql("create table x(a int primary key)");
    EXPECT_EQ(TableName(5), "X");
    EXPECT_EQ(ColumnName(5, 0), "A");
    EXPECT_EQ(ColumnRecord(5, 0).KeyType, DbFormat::kKeyPrimary);
    EXPECT_EQ(DbKernel->GetTableIDFromName("x"), 5u);

    // Latin-1 letters beyond a..z keep their byte.
    MustSql("create table caf\xe9 (n\xe9 int primary key)");
    EXPECT_EQ(TableName(6), "CAF\xe9");
    EXPECT_EQ(ColumnName(6, 0), "N\xe9");
}

TEST_F(SqlTest, TwoBlanksBeforeTheNameGiveNoTableName) {
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE  X (A INT PRIMARY KEY)", &error), 999);
    EXPECT_EQ(error, "No table name specified");
    EXPECT_EQ(Sql("CREATE TABLE(A INT PRIMARY KEY)", &error), 999);
    EXPECT_EQ(error, "No table name specified");
    ExpectSlotUntouched(5);
}

TEST_F(SqlTest, LineBreaks) {
    // Right after the name a line break belongs to the name.
    MustSql("CREATE TABLE X\r\n(A INT PRIMARY KEY)");
    EXPECT_EQ(TableName(5), "X\r\n");
    EXPECT_EQ(DbKernel->GetTableIDFromName("X"), DbFormat::kNoTableID);
    EXPECT_EQ(ColumnName(5, 0), "A");

    // Inside the column list it is dropped: clauses still need a separator.
    MustSql("CREATE TABLE Y (A INT PRIMARY KEY,\r\nB CHAR[4] NULL)");
    EXPECT_EQ(ColumnName(6, 1), "B");
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE Z (A INT PRIMARY\nKEY)", &error), 999);
    EXPECT_EQ(error, kFirstClause);
}

TEST_F(SqlTest, DropSyntaxVariants) {
    MustSql("CREATE TABLE A (K INT PRIMARY KEY)");
    std::string error;
    EXPECT_EQ(Sql("DROP TABLE A B", &error), 999);
    EXPECT_EQ(error, kInvalidDrop);
    EXPECT_EQ(Sql("DROP TABLES A", &error), 999);
    EXPECT_EQ(error, kInvalidDrop);
    EXPECT_EQ(Sql("please DROP TABLE A", &error), 999);
    EXPECT_EQ(error, kInvalidDrop);
    EXPECT_NE(TableRecord(5).InUse, 0u);

    EXPECT_EQ(Sql("DROP TABLE NOSUCH", &error), 999);
    EXPECT_EQ(error, "SPECIFIED TABLE COULD NOT BE FOUND ");

    MustSql("drop table a");
    EXPECT_EQ(TableName(5), "UNALLOCATED TABLE");
    EXPECT_EQ(TableRecord(5).InUse, 0u);
    EXPECT_EQ(TableRecord(5).TableID, 5u);
    for (uint32_t c = 0; c < DbFormat::kColumnsPerTable; ++c) {
        const TColumnRecord r = ColumnRecord(5, c);
        EXPECT_EQ(ColumnName(5, c), "") << c;
        EXPECT_EQ(r.DataType, DbFormat::kTypeFree) << c;
        EXPECT_EQ(r.Length, DbFormat::kTypeFree) << c;
        EXPECT_EQ(r.KeyType, DbFormat::kTypeFree) << c;
    }
    // The free column records keep their own place: no record spills into a
    // neighbour (the records of a new file carry Position = index + 1).
    EXPECT_EQ(ColumnRecord(5, 64).Position, 65u);
    EXPECT_EQ(TableName(6), "UNALLOCATED TABLE");
    EXPECT_EQ(ColumnName(6, 0), DbFormat::kFreeColumnName);
}

TEST_F(SqlTest, MissingNullabilityFailsWithTheFirstClauseMessageKeepingEarlierColumns) {
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE T (K CHAR[8] PRIMARY KEY, N CHAR[4] NULL, QTY INT)", &error), 999);
    EXPECT_EQ(error, kFirstClause);
    EXPECT_EQ(TableName(5), "T");
    EXPECT_EQ(TableRecord(5).InUse, 0u);
    EXPECT_EQ(ColumnName(5, 0), "K");
    EXPECT_EQ(ColumnName(5, 1), "N");
    EXPECT_EQ(ColumnRecord(5, 2).DataType, DbFormat::kTypeFree);
    EXPECT_EQ(Sql("CREATE TABLE T (K INT PRIMARY KEY, N INT NOT NUL)", &error), 999);
    EXPECT_EQ(error, kFirstClause);
}

TEST_F(SqlTest, PrimaryKeysFailsWithTheSecondClauseMessage) {
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE T (K INT PRIMARY KEYS)", &error), 999);
    EXPECT_EQ(error, kSecondClause);
    EXPECT_EQ(Sql("CREATE TABLE T (K INT MULTI)", &error), 999);
    EXPECT_EQ(error, kSecondClause);
}

TEST_F(SqlTest, ForeignAndMultiKeysAreAccepted) {
    MustSql("CREATE TABLE T (K CHAR[8] multi key, F INT Foreign Key, N INT not null)");
    EXPECT_EQ(ColumnRecord(5, 0).KeyType, DbFormat::kKeyMulti);
    EXPECT_EQ(ColumnRecord(5, 1).KeyType, DbFormat::kKeyForeign);
    EXPECT_EQ(ColumnRecord(5, 2).KeyType, DbFormat::kKeyNone);
}

TEST_F(SqlTest, UserStatementsAreAcceptedAndChangeNothing) {
    const std::vector<uint8_t> before = SlotBytes(5);
    std::string error;
    EXPECT_EQ(Sql("CreateUser BOB", &error), 0);
    EXPECT_EQ(error, "");
    EXPECT_EQ(Sql("please dropuser bob now", &error), 0);
    EXPECT_EQ(SlotBytes(5), before);
}

TEST_F(SqlTest, StatementsThatAreNotCarriedOut) {
    std::string error;
    EXPECT_EQ(Sql("", &error), 999);
    EXPECT_EQ(Sql("SELECT * FROM T", &error), 999);
    EXPECT_NE(error, "");

    auto st = TSQLStatements::NewStatement("CREATE TABLE T (K INT PRIMARY KEY)");
    st->Category = 1;
    EXPECT_EQ(st->Execute(), 999);
    ExpectSlotUntouched(5);

    // Both phrases: a CREATE.
    int32_t kind = -1;
    auto both = TSQLStatements::NewStatement("drop table A; create table B (K INT PRIMARY KEY)");
    EXPECT_EQ(both->GetStatementKind(kind), 0);
    EXPECT_EQ(kind, 0);
}

TEST_F(SqlTest, ParenthesisedLengthCutsTheListShort) {
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE T (K CHAR(20) PRIMARY KEY)", &error), 999);
    EXPECT_EQ(error, "INVALID DATA TYPE");
    EXPECT_EQ(TableRecord(5).InUse, 0u);
}

TEST_F(SqlTest, MissingClosingParenthesisFailsAfterTheTableRecordWasWritten) {
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE T (K INT PRIMARY KEY", &error), 999);
    EXPECT_EQ(error, "T");
    EXPECT_EQ(TableName(5), "T");
    EXPECT_EQ(TableRecord(5).TableID, 5u);
    EXPECT_EQ(TableRecord(5).InUse, 0u);
    EXPECT_EQ(ColumnName(5, 0), DbFormat::kFreeColumnName);
}

TEST_F(SqlTest, CorrectedCreateTakesTheSameSlotWithExactlyItsOwnColumns) {
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE T (K CHAR[8] PRIMARY KEY, N CHAR[4] NULL, M INT NULL, Q INT)", &error),
              999);
    EXPECT_EQ(ColumnName(5, 2), "M");

    MustSql("CREATE TABLE T (K CHAR[8] PRIMARY KEY)");
    EXPECT_EQ(DbKernel->GetTableIDFromName("T"), 5u);
    EXPECT_NE(TableRecord(5).InUse, 0u);
    // The columns the failed attempt left behind are not part of the table.
    EXPECT_EQ(ColumnRecord(5, 1).DataType, DbFormat::kTypeFree);
    EXPECT_EQ(ColumnRecord(5, 2).DataType, DbFormat::kTypeFree);
    std::string listing;
    db_->ReadTableRecords(listing);
    EXPECT_NE(listing.find("Table: T\r\n     Column: K Type:1 Len:8 PriKey:1\r\nTable ID: 6\r\n"),
              std::string::npos);
}

TEST_F(SqlTest, DuplicateNameWritesNothing) {
    MustSql("CREATE TABLE T (K INT PRIMARY KEY)");
    const std::vector<uint8_t> before = SlotBytes(6);
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE t (K INT PRIMARY KEY)", &error), 999);
    EXPECT_EQ(error, "t");
    EXPECT_EQ(SlotBytes(6), before);
}

TEST_F(SqlTest, TokenLimitOfTheColumnList) {
    // 23 clauses of four tokens and 3 of three: exactly 101 tokens.
    MustSql("CREATE TABLE OK101 (" + ColumnList(23, 3) + ")");
    EXPECT_EQ(ColumnName(5, 25), "E2");

    // 102 tokens: the statement fails before any column is written.
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE T102 (" + ColumnList(24, 2) + ")", &error), 999);
    EXPECT_NE(error.find("101"), std::string::npos) << error;
    EXPECT_EQ(TableName(6), "T102");
    EXPECT_EQ(TableRecord(6).InUse, 0u);
    EXPECT_EQ(ColumnName(6, 0), DbFormat::kFreeColumnName);
}

TEST_F(SqlTest, ColumnNameLongerThanThirtyCharactersFailsTheStatement) {
    const std::string thirty(30, 'C');
    MustSql("CREATE TABLE T (" + thirty + " INT PRIMARY KEY)");
    EXPECT_EQ(ColumnName(5, 0), thirty);

    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE U (K INT PRIMARY KEY, " + thirty + "X INT NULL)", &error), 999);
    EXPECT_NE(error.find("30"), std::string::npos) << error;
    EXPECT_EQ(ColumnName(6, 0), "K");
    EXPECT_EQ(ColumnName(6, 1), DbFormat::kFreeColumnName);
    EXPECT_EQ(TableRecord(6).InUse, 0u);
}

TEST_F(SqlTest, NamesOf256CharactersAreRefusedBeforeAnythingIsWritten) {
    const std::vector<uint8_t> before = SlotBytes(5);
    const std::string longName(256, 'N');
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE " + longName + " (K INT PRIMARY KEY)", &error), 999);
    EXPECT_NE(error, "");
    EXPECT_EQ(Sql("CREATE TABLE T (K INT PRIMARY KEY, " + longName + " INT NULL)", &error), 999);
    EXPECT_NE(error, "");
    EXPECT_EQ(Sql("DROP TABLE " + longName, &error), 999);
    EXPECT_EQ(SlotBytes(5), before);

    // 255 characters still fit the name area; lookups use the first 30.
    MustSql("CREATE TABLE " + std::string(255, 'n') + " (K INT PRIMARY KEY)");
    EXPECT_EQ(TableName(5), std::string(30, 'N') + std::string(225, 'n'));
    EXPECT_EQ(DbKernel->GetTableIDFromName(std::string(30, 'N')), 5u);
}

TEST_F(SqlTest, TableWithoutKeyColumnIsRefused) {
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE T (A INT NULL, B CHAR[4] FOREIGN KEY)", &error), 999);
    EXPECT_EQ(error, "No Primary key defined. Every table must have a primary key.");
    EXPECT_EQ(TableRecord(5).InUse, 0u);
    TDBResultSet rs;
    EXPECT_EQ(rs.Open("T", "", ""), TDBResultSet::kNotAllocated);
}

TEST_F(SqlTest, BadLengthsFailTheStatement) {
    std::string error;
    for (const char* type : {"CHAR[X]", "CHAR[0]", "CHAR[-4]", "CHAR[]", "CHAR]4[", "CHAR[65536]"}) {
        EXPECT_EQ(Sql(std::string("CREATE TABLE T (K ") + type + " PRIMARY KEY)", &error), 999) << type;
        EXPECT_NE(error, "") << type;
    }
    EXPECT_EQ(Sql("CREATE TABLE T (K VARCHAR PRIMARY KEY)", &error), 999);
    EXPECT_EQ(error, "INVALID DATA TYPE");
    EXPECT_EQ(Sql("CREATE TABLE T (K)", &error), 999);
    EXPECT_EQ(error, "INVALID DATA TYPE");
}

TEST_F(SqlTest, CreatedTableIsUsableAtOnce) {
    MustSql("CREATE TABLE A (K CHAR[8] PRIMARY KEY, V INT NULL)");
    ASSERT_EQ(Insert("A", {"K1", "1"}), 999);  // the first row of its bucket chain
    // Table objects and definitions are loaded now; the next table must not
    // be hidden by them.
    MustSql("CREATE TABLE B (K CHAR[8] PRIMARY KEY, V INT NULL)");
    TDBResultSet rs;
    EXPECT_EQ(rs.Open("B", "", ""), TDBResultSet::kOK);
    Insert("B", {"K2", "2"});
    EXPECT_EQ(Select("B", "K2", 2), (std::vector<std::vector<std::string>>{{"K2", "2"}}));
}

TEST_F(SqlTest, DroppedThenRecreatedTableUsesItsNewLayoutAndHoldsNoOldRows) {
    MustSql("CREATE TABLE T (K CHAR[8] PRIMARY KEY, V INT NULL, NOTE CHAR[30] NULL)");
    Insert("T", {"AB1", "7", "first layout"});
    Insert("T", {"AB2", "8", "first layout"});
    ASSERT_EQ(Select("T", "AB1", 3).size(), 1u);

    MustSql("DROP TABLE T");
    TDBResultSet gone;
    EXPECT_EQ(gone.Open("T", "AB1", "AB1"), TDBResultSet::kUnknownTable);

    MustSql("CREATE TABLE T (N INT PRIMARY KEY, NAME CHAR[4] NULL)");
    EXPECT_EQ(DbKernel->GetTableIDFromName("T"), 5u);
    Insert("T", {"42", "W4XY"});
    Insert("T", {"43", "K1AB"});
    EXPECT_EQ(Select("T", "42", 2), (std::vector<std::vector<std::string>>{{"42", "W4XY"}}));
    EXPECT_EQ(Select("T", "43", 2), (std::vector<std::vector<std::string>>{{"43", "K1AB"}}));
    EXPECT_TRUE(Select("T", "AB1", 2).empty());
    std::string report;
    DbKernel->CheckDatabase(report, 5);
    EXPECT_EQ(dialogs_->Messages, std::vector<std::string>{});
}
