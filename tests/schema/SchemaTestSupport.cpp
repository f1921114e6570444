#include "SchemaTestSupport.h"

#include <cstring>
#include <filesystem>

#include "kernel/TDbKernel.h"
#include "schema/TDBResultSet.h"
#include "schema/TSQLStatements.h"

namespace fs = std::filesystem;

void SchemaTest::SetUp() {
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string templ = (base / "tramb-schema-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    dir_ = templ;
    path_ = dir_ + "/db_default.sib";
    dialogs_ = std::make_unique<TScriptedDialogs>();
    ASSERT_EQ(Database, nullptr);
    db_ = std::make_unique<TDatabase>();
    ASSERT_EQ(Database, db_.get());
    ASSERT_EQ(db_->StartDatabase(path_), 0);
}

void SchemaTest::TearDown() {
    db_.reset();
    dialogs_.reset();
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

int32_t SchemaTest::Sql(const std::string& text, std::string* error) {
    std::unique_ptr<TSQLStatement> st = TSQLStatements::NewStatement(text);
    const int32_t status = st->Execute();
    if (error) *error = st->LastError;
    return status;
}

void SchemaTest::MustSql(const std::string& text) {
    std::string error;
    ASSERT_EQ(Sql(text, &error), 0) << text << ": " << error;
    EXPECT_EQ(error, "");
}

TTableRecord SchemaTest::TableRecord(uint32_t slot) const {
    TSlotRecords records;
    EXPECT_EQ(DbKernel->ReadTableRecord(0, slot, records), 0);
    return records.Table ? *records.Table : TTableRecord{};
}

TColumnRecord SchemaTest::ColumnRecord(uint32_t slot, uint32_t column) const {
    TSlotRecords records;
    EXPECT_EQ(DbKernel->ReadTableRecord(0, slot, records), 0);
    return records.Columns[column] ? *records.Columns[column] : TColumnRecord{};
}

std::string SchemaTest::TableName(uint32_t slot) const {
    const TTableRecord r = TableRecord(slot);
    return std::string(r.Name, strnlen(r.Name, sizeof r.Name));
}

std::string SchemaTest::ColumnName(uint32_t slot, uint32_t column) const {
    const TColumnRecord r = ColumnRecord(slot, column);
    return std::string(r.Name, strnlen(r.Name, sizeof r.Name));
}

std::vector<uint8_t> SchemaTest::SlotBytes(uint32_t slot) const {
    const uint8_t* at = TDbKernel::Base() + slot * DbFormat::kTableSlotSize;
    return std::vector<uint8_t>(at, at + DbFormat::kTableSlotSize);
}

int32_t SchemaTest::Insert(const std::string& table, const std::vector<std::string>& values) {
    TDBResultSet rs;
    EXPECT_EQ(rs.Open(table, "", ""), TDBResultSet::kOK) << table;
    EXPECT_EQ(rs.AppendRow(), TDBResultSet::kOK) << table;
    if (!rs.CurrentFields) return -1;
    for (size_t i = 0; i < values.size(); ++i)
        rs.CurrentFields->GetField(static_cast<int>(i))->Value = values[i];
    return rs.Post();
}

std::vector<std::vector<std::string>> SchemaTest::Select(const std::string& table,
                                                         const std::string& key, int n) {
    std::vector<std::vector<std::string>> rows;
    TDBResultSet rs;
    if (rs.Open(table, key, key) != TDBResultSet::kOK) return rows;
    while (rs.Eof == 0) {
        std::vector<std::string> row;
        for (int i = 0; i < n; ++i) row.push_back(rs.CurrentFields->GetField(i)->Value);
        rows.push_back(row);
        rs.Next();
    }
    return rows;
}
