// CREATE TABLE and DROP TABLE as typed into the administration window: what
// each statement leaves in the table slots, including after a failure.
#include "SchemaTestSupport.h"
#include "schema/TSQLStatements.h"

using namespace DbFormat;

namespace {
const std::string kFirstClause = "CLAUSE MUST CONTAIN \"NULL\" or \"NOT NULL\" or \"PRIMARY KEY\"";
const std::string kSecondClause = "CLAUSE MUST BE \"PRIMARY KEY\" or \"FOREIGN KEY\"";
const std::string kInvalidDrop = "INVALID DROP SYNTAX. Example syntax: DROP TABLE SOMETABLE";
const std::string kFree = "UNALLOCATED COLUMN";

// A column list of `clauses` four-token clauses (name type NOT NULL), the
// first a primary key, and `extra` three-token clauses behind them.
std::string ColumnList(int clauses, int extra) {
    std::string list = "K0 INT PRIMARY KEY";
    for (int i = 1; i < clauses; ++i) list += ", C" + std::to_string(i) + " INT NOT NULL";
    for (int i = 0; i < extra; ++i) list += ", E" + std::to_string(i) + " INT NULL";
    return list;
}
}  // namespace

using SqlTest = SchemaTest;

TEST_F(SqlTest, RefusedStatementsNameTheirFaultAndAllocateNothing) {
    std::string error;  // too many tokens: nothing but the table record is written
    EXPECT_EQ(Sql("CREATE TABLE T102 (" + ColumnList(24, 2) + ")", &error), 999);
    EXPECT_NE(error.find("101"), std::string::npos) << error;
    EXPECT_EQ(Record(5) + Record(5, 0), "T102|5|0" + kFree + "|1|999|0|2");
    const std::string n256(256, 'N');
    // The expected error or (after '~') a part of it; '!' in front: nothing is written.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"CREATE TABLE  X (A INT PRIMARY KEY)", "!No table name specified"},
        {"CREATE TABLE(A INT PRIMARY KEY)", "!No table name specified"},
        {"CREATE TABLE Z (A INT PRIMARY\nKEY)", kFirstClause},
        {"CREATE TABLE T (K INT PRIMARY KEY, N INT NOT NUL)", kFirstClause},
        {"CREATE TABLE T (K INT PRIMARY KEYS)", kSecondClause},
        {"CREATE TABLE T (K INT MULTI)", kSecondClause},
        {"CREATE TABLE T (K CHAR(20) PRIMARY KEY)", "INVALID DATA TYPE"},
        {"CREATE TABLE T (K VARCHAR PRIMARY KEY)", "INVALID DATA TYPE"},
        {"CREATE TABLE T (K)", "INVALID DATA TYPE"},
        {"CREATE TABLE T (K INT PRIMARY KEY", "T"},
        {"CREATE TABLE T (A INT NULL, B CHAR[4] FOREIGN KEY)", KernelMessages::kNoPrimaryKey},
        {"CREATE TABLE U (K INT PRIMARY KEY, " + std::string(31, 'C') + " INT NULL)", "~30"},
        {"CREATE TABLE " + n256 + " (K INT PRIMARY KEY)", "!~"},
        {"CREATE TABLE T (K INT PRIMARY KEY, " + n256 + " INT NULL)", "!~"},
        {"DROP TABLE " + n256, "!~"},
        {"DROP TABLE NOSUCH", "!" + std::string(KernelMessages::kTableNotFound)},
        {"DROP TABLE T B", "!" + kInvalidDrop},
        {"DROP TABLES T", "!" + kInvalidDrop},
        {"please DROP TABLE T", "!" + kInvalidDrop},
        {"SELECT * FROM T", "!~"}};
    for (const auto& [sql, expected] : cases) {
        SCOPED_TRACE(sql.substr(0, 60));
        const std::string before = SlotBytes(5);
        const bool untouched = expected[0] == '!';
        const std::string text = expected.substr(untouched ? 1 : 0);
        EXPECT_EQ(Sql(sql, &error), 999);
        const bool part = text[0] == '~';
        EXPECT_TRUE(part ? error != "" && error.find(text.substr(1)) != std::string::npos
                         : error == text)
            << error;
        EXPECT_EQ(Record(5).substr(Record(5).size() - 2), "|0");
        EXPECT_TRUE(!untouched || SlotBytes(5) == before);
    }
    for (const char* type : {"CHAR[X]", "CHAR[0]", "CHAR[-4]", "CHAR[]", "CHAR]4[", "CHAR[65536]"})
        EXPECT_EQ(Sql(std::string("CREATE TABLE T (K ") + type + " PRIMARY KEY)"), 999) << type;
    EXPECT_EQ(Sql(""), 999);
    auto st = TSQLStatements::NewStatement("CREATE TABLE T (K INT PRIMARY KEY)");
    st->Category = 1;  // not a data-definition statement: not carried out
    EXPECT_EQ(st->Execute(), 999);
    EXPECT_EQ(DbKernel->GetFirstAvailableTableID(), 5u);
    TDBResultSet rs;
    EXPECT_EQ(rs.Open("T", "", ""), TDBResultSet::kNotAllocated);
}

TEST_F(SqlTest, AcceptedCreatesWriteTheTableAndItsColumns) {
    MustSql(
        "CREATE TABLE STATIONS (CALLSIGN CHAR[12] PRIMARY KEY, NOTE [40] NOT NULL, QTY INT NULL)");
    MustSql("create table x(a int primary key)");             // the name ends at the parenthesis
    MustSql("create table caf\xe9 (n\xe9 int primary key)");  // Latin-1 letters keep their byte
    MustSql("CREATE TABLE X\r\n(A INT PRIMARY KEY)");         // the line break belongs to the name
    MustSql("CREATE TABLE Y (A INT PRIMARY KEY,\r\nB CHAR[4] NULL)");  // here it is dropped
    MustSql("CREATE TABLE T (K CHAR[8] multi key, F INT Foreign Key, N INT not null)");
    MustSql("CREATE TABLE OK101 (" + ColumnList(23, 3) + ")");  // exactly 101 tokens
    MustSql("CREATE TABLE " + std::string(255, 'n') + " (" + std::string(30, 'C') +
            " INT PRIMARY KEY)");
    const Strings records = {Record(5),     Record(5, 0),   Record(5, 1),  Record(5, 2),
                             Record(5, 3),  Record(6),      Record(7),     Record(7, 0),
                             Record(8),     Record(9, 1),   Record(10, 0), Record(10, 1),
                             Record(10, 2), Record(11, 25), Record(12),    Record(12, 0)};
    EXPECT_EQ(records,
              (Strings{"STATIONS|5|1", "CALLSIGN|0|1|12|1", "NOTE|1|1|40|2", "QTY|2|0|0|2",
                       kFree + "|4|999|0|2", "X|6|1", "CAF\xe9|7|1", "N\xe9|0|0|0|1", "X\r\n|8|1",
                       "B|1|1|4|2", "K|0|1|8|4", "F|1|0|0|3", "N|2|0|0|2", "E2|25|0|0|2",
                       std::string(30, 'N') + std::string(225, 'n') + "|12|1",
                       std::string(30, 'C') + "|0|0|0|1"}));
    TSlotRecords r;
    DbKernel->ReadTableRecord(0, 5, r);
    EXPECT_EQ(r.Columns[0]->Reserved1 + 0ull + r.Columns[2]->Reserved2, 2ull * kSqlReserved);
    for (const auto& [name, id] : std::vector<std::pair<std::string, uint32_t>>{
             {"stations", 5}, {"x", 6}, {"X\r\n", 8}, {std::string(30, 'N'), 12}})
        EXPECT_EQ(DbKernel->GetTableIDFromName(name), id) << name;
    // usable at once, and the table objects loaded by then do not hide the next table
    ASSERT_EQ(Insert("X", {"1"}), 999);  // the first row of its bucket chain
    MustSql("CREATE TABLE B (K CHAR[8] PRIMARY KEY, V INT NULL)");
    Insert("B", {"K2", "2"});
    EXPECT_EQ(Select("B", "K2", 2), (Rows{{"K2", "2"}}));
}

TEST_F(SqlTest, FailedCreatesAndDuplicatesLeaveNoColumnsToTheNextTable) {
    std::string error;
    EXPECT_EQ(
        Sql("CREATE TABLE T (K CHAR[8] PRIMARY KEY, N CHAR[4] NULL, M INT NULL, Q INT)", &error),
        999);
    EXPECT_EQ(error, kFirstClause);
    EXPECT_EQ(Record(5) + Record(5, 2) + Record(5, 3), "T|5|0M|2|0|0|2" + kFree + "|4|999|0|2");
    MustSql("CREATE TABLE T (K CHAR[8] PRIMARY KEY)");  // the same slot with exactly its columns
    EXPECT_EQ(Record(5) + Record(5, 1) + Record(5, 2), "T|5|1|1|999|999|999|2|999|999|999");
    const std::string before = SlotBytes(6);
    EXPECT_EQ(Sql("CREATE TABLE t (K INT PRIMARY KEY)", &error), 999);
    EXPECT_EQ(error, "t");
    EXPECT_TRUE(SlotBytes(6) == before);
    EXPECT_EQ(Sql("CreateUser BOB", &error) + Sql("please dropuser bob now", &error), 0);
    EXPECT_EQ(error, "");
    EXPECT_TRUE(SlotBytes(6) == before);
    int32_t kind = -1;  // both phrases: a CREATE
    TSQLStatements::NewStatement("drop table A; create table B (K INT PRIMARY KEY)")
        ->GetStatementKind(kind);
    EXPECT_EQ(kind, 0);
}

TEST_F(SqlTest, DropBlanksTheSlotAndWipesTheRowsForTheNextLayout) {
    MustSql("CREATE TABLE T (K CHAR[8] PRIMARY KEY, V INT NULL, NOTE CHAR[30] NULL)");
    MustSql("CREATE TABLE A (K INT PRIMARY KEY)");
    Insert("T", {"AB1", "7", "first layout"});
    Insert("T", {"AB2", "8", "first layout"});
    MustSql("drop table t");
    EXPECT_EQ(Record(5), "UNALLOCATED TABLE|5|0");
    for (uint32_t c = 0; c < kColumnsPerTable; ++c)  // each record blanked in its own place
        EXPECT_EQ(Record(5, c), "|" + std::to_string(c + (c > 2)) + "|999|999|999") << c;
    EXPECT_EQ(Record(6) + Record(6, 1), "A|6|1" + kFree + "|2|999|0|2");
    TDBResultSet gone;
    EXPECT_EQ(gone.Open("T", "AB1", "AB1"), TDBResultSet::kUnknownTable);
    MustSql("CREATE TABLE T (N INT PRIMARY KEY, NAME CHAR[4] NULL)");
    EXPECT_EQ(DbKernel->GetTableIDFromName("T"), 5u);
    Insert("T", {"42", "W4XY"});
    Insert("T", {"43", "K1AB"});
    EXPECT_EQ(Select("T", "42", 2), (Rows{{"42", "W4XY"}}));
    EXPECT_EQ(Select("T", "43", 2), (Rows{{"43", "K1AB"}}));
    EXPECT_TRUE(Select("T", "AB1", 2).empty());
    std::string report;
    EXPECT_EQ(DbKernel->CheckDatabase(report, 5), 2);
    EXPECT_TRUE(dialogs_->Messages.empty());
}
