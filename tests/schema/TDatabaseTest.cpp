// The database object: start, restart, shutdown, the schema listing and the
// table objects.
#include <optional>

#include "SchemaTestSupport.h"
#include "kernel/TKernelSchemaHooks.h"
#include "kernel/TProfiler.h"
#include "platform/TDbFile.h"

using DatabaseTest = SchemaTest;

TEST_F(DatabaseTest, ListingTableObjectsAndColumnLoads) {
    MustSql("CREATE TABLE LOG (CALL CHAR[10] MULTI KEY, N INT NOT NULL)");
    EXPECT_EQ(Sql("CREATE TABLE HALF (K INT PRIMARY KEY"), 999);
    std::string text = "left over";
    db_->ReadTableRecords(text);
    EXPECT_EQ(text.rfind("System tables ...\r\nTable ID: 0\r\nTable: SYSUSERS\r\n"
                         "     Column: UserID Type:0 Len:0 PriKey:1\r\n",
                         0),
              0u);
    EXPECT_NE(text.find("Table ID: 5\r\nTable: LOG\r\n     Column: CALL Type:1 Len:10 PriKey:4\r\n"
                        "     Column: N Type:0 Len:0 PriKey:2\r\nTable ID: 6\r\nTable: HALF\r\n"
                        "Table ID: 7\r\nTable: UNALLOCATED TABLE\r\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 41), "Table ID: 100\r\nTable: UNALLOCATED TABLE\r\n");
    db_->Tables->Load();
    ASSERT_EQ(db_->Tables->Count(), 4);  // three system tables and LOG
    EXPECT_EQ(db_->Tables->Items(3)->Name, "LOG");
    EXPECT_EQ(db_->Tables->FindByID(5)->Name, "LOG");
    for (int id : {6, 7, -5})
        EXPECT_EQ(db_->Tables->FindByID(id), nullptr) << id;  // HALF not in use
    EXPECT_EQ(db_->Tables->GetTableID("half") + db_->Tables->GetTableID("nosuch"), 6u + 999u);
    db_->TableDefs->Load(0);
    db_->TableDefs->Items(5)->ColumnDefs->Load(5, "AppendRow");
    EXPECT_EQ(Profiler->Lines[static_cast<size_t>(Profiler->LineIndex - 1)].rfind(
                  "ColumnDefsLoad: AppendRow ", 0),
              0u);
    ASSERT_EQ(db_->ShutdownDatabase(path_), 0);
    db_->ReadTableRecords(text);
    EXPECT_EQ(text, "System tables ...\r\n");
}

TEST_F(DatabaseTest, StartsRestartsAndFailedStarts) {
    MustSql("CREATE TABLE T (K CHAR[8] PRIMARY KEY, V INT NULL)");
    Insert("T", {"W4ABC", "5"});
    std::string error;
    EXPECT_EQ(db_->StartDatabase(dir_ + "/missing-dir/db.sib"), 999);
    ASSERT_EQ(db_->TableDefs->Count(), 101);
    EXPECT_EQ(db_->TableDefs->Items(1)->Name, "");
    TDBResultSet rs;
    EXPECT_EQ(rs.Open("T", "", ""), TDBResultSet::kUnknownTable);
    for (const char* sql : {"CREATE TABLE T (K INT PRIMARY KEY)", "DROP TABLE T"}) {
        EXPECT_EQ(Sql(sql, &error), 999);
        EXPECT_EQ(error, "No database is open");
    }
    ASSERT_EQ(db_->StartDatabase(path_), 0);  // the real file again, with its tables
    EXPECT_EQ(db_->TableDefs->Items(5)->Name, "T");
    EXPECT_EQ(Select("T", "w4abc", 2), (Rows{{"W4ABC", "5"}}));
    // A second start shuts the first database down: closed, unlocked, forgotten.
    ASSERT_EQ(db_->StartDatabase(dir_ + "/other.sib"), 0);
    TDbFile file;
    EXPECT_TRUE(file.Open(path_));
    file.Close();
    EXPECT_EQ(db_->Tables->Count(), 0);
    EXPECT_EQ(db_->TableDefs->Items(5)->Name, "UNALLOCATED TABLE");
    EXPECT_EQ(rs.Open("T", "", ""), TDBResultSet::kUnknownTable);
    MustSql("CREATE TABLE U (K INT PRIMARY KEY)");
    EXPECT_EQ(DbKernel->GetTableIDFromName("U"), 5u);
}

TEST_F(DatabaseTest, TheDatabaseStartedLastIsTheProcesssDatabase) {
    MustSql("CREATE TABLE T (K INT PRIMARY KEY)");
    std::optional<TDatabase> second;
    second.emplace();
    EXPECT_EQ(Database, db_.get());
    ASSERT_EQ(second->StartDatabase(path_), 0);
    EXPECT_EQ(Database, &*second);
    MustSql("CREATE TABLE U (K INT PRIMARY KEY)");
    EXPECT_EQ(second->TableDefs->Items(6)->Name, "U");
    TDBResultSet rs;
    EXPECT_EQ(rs.Open("U", "", ""), TDBResultSet::kOK);
    db_.reset();  // the first object going away leaves the running database alone
    EXPECT_EQ(Database, &*second);
    EXPECT_EQ(rs.Open("T", "", ""), TDBResultSet::kOK);
    TProfiler* profiler = Profiler;
    ASSERT_NE(profiler, nullptr);
    EXPECT_NE(KernelSchemaHooks(), nullptr);
    second.reset();  // destruction uninstalls the hooks and frees the kernel
    EXPECT_EQ(KernelSchemaHooks(), nullptr);
    EXPECT_EQ(DbKernel, nullptr);
    EXPECT_EQ(Database, nullptr);
    EXPECT_EQ(TDbKernel::Base(), nullptr);
    second.emplace();  // one profiler per process: the next database keeps it
    EXPECT_EQ(Profiler, profiler);
}
