// The database object: start, restart, shutdown, the schema listing and the
// table objects.
#include <gtest/gtest.h>

#include "SchemaTestSupport.h"
#include "kernel/TDbKernel.h"
#include "kernel/TKernelSchemaHooks.h"
#include "kernel/TProfiler.h"
#include "platform/TDbFile.h"
#include "schema/TDBResultSet.h"

namespace {
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
    return lines;
}
}  // namespace

using DatabaseTest = SchemaTest;

TEST_F(DatabaseTest, ListingOfAFreshDatabase) {
    std::string text = "left over";
    db_->ReadTableRecords(text);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 1u + 101 * 2 + 9);
    const std::vector<std::string> head(lines.begin(), lines.begin() + 18);
    EXPECT_EQ(head, (std::vector<std::string>{
                        "System tables ...",
                        "Table ID: 0",
                        "Table: SYSUSERS",
                        "     Column: UserID Type:0 Len:0 PriKey:1",
                        "     Column: UserName Type:2 Len:30 PriKey:2",
                        "     Column: Password Type:99 Len:0 PriKey:2",
                        "Table ID: 1",
                        "Table: SYSTables",
                        "     Column: TableID Type:0 Len:0 PriKey:1",
                        "     Column: TableName Type:2 Len:30 PriKey:2",
                        "     Column: TableOwnerID Type:0 Len:0 PriKey:2",
                        "Table ID: 2",
                        "Table: SYSLOCKS",
                        "     Column: LockID Type:0 Len:0 PriKey:1",
                        "     Column: LockType Type:0 Len:0 PriKey:2",
                        "     Column: TableID Type:0 Len:0 PriKey:2",
                        "Table ID: 3",
                        "Table: UNALLOCATED TABLE",
                    }));
    EXPECT_EQ(lines.back(), "Table: UNALLOCATED TABLE");
    EXPECT_EQ(lines[lines.size() - 2], "Table ID: 100");
    EXPECT_TRUE(dialogs_->Messages.empty());
}

TEST_F(DatabaseTest, ListingShowsACreatedTableAtOnce) {
    MustSql("CREATE TABLE LOG (CALL CHAR[10] MULTI KEY, N INT NOT NULL)");
    std::string text;
    db_->ReadTableRecords(text);
    EXPECT_NE(text.find("Table ID: 5\r\nTable: LOG\r\n"
                        "     Column: CALL Type:1 Len:10 PriKey:4\r\n"
                        "     Column: N Type:0 Len:0 PriKey:2\r\n"
                        "Table ID: 6\r\n"),
              std::string::npos);
}

TEST_F(DatabaseTest, ListingWithoutAnOpenDatabaseHasNoSlots) {
    ASSERT_EQ(db_->ShutdownDatabase(path_), 0);
    std::string text = "left over";
    db_->ReadTableRecords(text);
    EXPECT_EQ(text, "System tables ...\r\n");
}

TEST_F(DatabaseTest, TableObjects) {
    MustSql("CREATE TABLE T (K INT PRIMARY KEY)");
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE HALF (K INT PRIMARY KEY", &error), 999);
    db_->Tables->Load();
    ASSERT_EQ(db_->Tables->Count(), 4);  // three system tables and T
    EXPECT_EQ(db_->Tables->Items(3)->Name, "T");
    ASSERT_NE(db_->Tables->FindByID(5), nullptr);
    EXPECT_EQ(db_->Tables->FindByID(5)->Name, "T");
    EXPECT_EQ(db_->Tables->FindByID(6), nullptr);  // named, not in use
    EXPECT_EQ(db_->Tables->FindByID(7), nullptr);  // free
    EXPECT_EQ(db_->Tables->FindByID(-5), nullptr);
    EXPECT_EQ(db_->Tables->GetTableID("half"), 6u);
    EXPECT_EQ(db_->Tables->GetTableID("nosuch"), 999u);
}

TEST_F(DatabaseTest, FileThatCannotBeCreatedIsAFailedStart) {
    EXPECT_EQ(db_->StartDatabase(OtherPath("missing-dir/db.sib")), 999);
    ASSERT_EQ(db_->TableDefs->Count(), 101);
    EXPECT_EQ(db_->TableDefs->Items(1)->Name, "");
    TDBResultSet rs;
    EXPECT_EQ(rs.Open("SEQUENCES", "1", "1"), TDBResultSet::kUnknownTable);
    std::string error;
    EXPECT_EQ(Sql("CREATE TABLE T (K INT PRIMARY KEY)", &error), 999);
    EXPECT_EQ(error, "No database is open");
    EXPECT_EQ(Sql("DROP TABLE T", &error), 999);
    EXPECT_EQ(error, "No database is open");
    // The real file starts again afterwards.
    ASSERT_EQ(db_->StartDatabase(path_), 0);
    EXPECT_EQ(db_->TableDefs->Items(1)->Name, "SYSTables");
}

TEST_F(DatabaseTest, TablesSurviveARestart) {
    MustSql("CREATE TABLE T (K CHAR[8] PRIMARY KEY, V INT NULL)");
    Insert("T", {"W4ABC", "5"});
    ASSERT_EQ(db_->ShutdownDatabase(path_), 0);
    ASSERT_EQ(db_->StartDatabase(path_), 0);
    EXPECT_EQ(db_->TableDefs->Items(5)->Name, "T");
    EXPECT_EQ(Select("T", "w4abc", 2), (std::vector<std::vector<std::string>>{{"W4ABC", "5"}}));
}

TEST_F(DatabaseTest, SecondStartShutsTheFirstDatabaseDown) {
    MustSql("CREATE TABLE T (K INT PRIMARY KEY)");
    db_->Tables->Load();
    const std::string other = OtherPath("other.sib");
    ASSERT_EQ(db_->StartDatabase(other), 0);
    EXPECT_NE(DbKernel, nullptr);

    // The first file is closed and unlocked; nothing of it is remembered.
    TDbFile file;
    EXPECT_TRUE(file.Open(path_));
    file.Close();
    EXPECT_EQ(db_->Tables->Count(), 0);
    EXPECT_EQ(db_->TableDefs->Items(5)->Name, "UNALLOCATED TABLE");
    TDBResultSet rs;
    EXPECT_EQ(rs.Open("T", "", ""), TDBResultSet::kUnknownTable);
    MustSql("CREATE TABLE U (K INT PRIMARY KEY)");
    EXPECT_EQ(DbKernel->GetTableIDFromName("U"), 5u);
}

TEST_F(DatabaseTest, TheDatabaseStartedLastIsTheProcesssDatabase) {
    MustSql("CREATE TABLE T (K INT PRIMARY KEY)");
    TDatabase second;
    EXPECT_EQ(Database, db_.get());
    ASSERT_EQ(second.StartDatabase(path_), 0);
    EXPECT_EQ(Database, &second);
    MustSql("CREATE TABLE U (K INT PRIMARY KEY)");
    EXPECT_EQ(second.TableDefs->Items(6)->Name, "U");
    TDBResultSet rs;
    EXPECT_EQ(rs.Open("U", "", ""), TDBResultSet::kOK);
    // The first object going away leaves the running database alone.
    db_.reset();
    EXPECT_EQ(Database, &second);
    EXPECT_NE(TDbKernel::Base(), nullptr);
    EXPECT_EQ(rs.Open("T", "", ""), TDBResultSet::kOK);
    second.ShutdownDatabase(path_);
}

TEST_F(DatabaseTest, DestructionUninstallsTheHooksAndFreesTheKernel) {
    EXPECT_NE(KernelSchemaHooks(), nullptr);
    ASSERT_NE(Profiler, nullptr);
    TProfiler* profiler = Profiler;
    db_.reset();
    EXPECT_EQ(KernelSchemaHooks(), nullptr);
    EXPECT_EQ(DbKernel, nullptr);
    EXPECT_EQ(Database, nullptr);
    EXPECT_EQ(TDbKernel::Base(), nullptr);
    // One profiler per process: the next database keeps it.
    db_ = std::make_unique<TDatabase>();
    EXPECT_EQ(Profiler, profiler);
    ASSERT_EQ(db_->StartDatabase(path_), 0);
}

TEST_F(DatabaseTest, ColumnLoadsAreTimedUnderTheirLabel) {
    MustSql("CREATE TABLE T (K INT PRIMARY KEY)");
    db_->TableDefs->Load(0);
    TColumnDefs& columns = *db_->TableDefs->Items(5)->ColumnDefs;
    columns.Load(5, "AppendRow");
    ASSERT_GT(Profiler->LineIndex, 0);
    EXPECT_EQ(Profiler->Lines[static_cast<size_t>(Profiler->LineIndex - 1)].rfind(
                  "ColumnDefsLoad: AppendRow ", 0),
              0u);
}
