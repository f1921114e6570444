#include "SchemaTestSupport.h"

#include <unistd.h>

#include <filesystem>

#include "schema/TSQLStatements.h"

void SchemaTest::SetUp() {
    char tmpl[] = "/dev/shm/tramb_schema_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/db_default.sib";
    dialogs_ = std::make_unique<TScriptedDialogs>();
    ASSERT_EQ(Database, nullptr);
    db_ = std::make_unique<TDatabase>();
    ASSERT_EQ(Database, db_.get());
    ASSERT_EQ(db_->StartDatabase(path_), 0);
}

void SchemaTest::TearDown() {
    db_.reset();
    std::filesystem::remove_all(dir_);
}

int32_t SchemaTest::Sql(const std::string& text, std::string* error) {
    std::unique_ptr<TSQLStatement> st = TSQLStatements::NewStatement(text);
    const int32_t status = st->Execute();
    if (error)
        *error = st->LastError;
    return status;
}

void SchemaTest::MustSql(const std::string& text) {
    std::string error;
    ASSERT_EQ(Sql(text, &error), 0) << text << ": " << error;
    EXPECT_EQ(error, "");
}

std::string SchemaTest::Record(uint32_t slot, int c) const {
    TSlotRecords r;
    EXPECT_EQ(DbKernel->ReadTableRecord(0, slot, r), 0);
    if (c < 0)
        return std::string(r.Table->Name) + "|" + std::to_string(r.Table->TableID) + "|" +
               std::to_string(r.Table->InUse);
    const TColumnRecord& k = *r.Columns[c];
    std::string text = k.Name;
    for (uint32_t v : {k.Position, k.DataType, k.Length, k.KeyType})
        text += "|" + std::to_string(v);
    return text;
}

int32_t SchemaTest::Insert(const std::string& table, const Strings& values) {
    TDBResultSet rs;
    EXPECT_EQ(rs.Open(table, "", ""), TDBResultSet::kOK) << table;
    EXPECT_EQ(rs.AppendRow(), TDBResultSet::kOK) << table;
    for (size_t i = 0; rs.CurrentFields && i < values.size(); ++i)
        rs.CurrentFields->GetField(static_cast<int>(i))->Value = values[i];
    return rs.Post();
}

Rows SchemaTest::Select(const std::string& table, const std::string& key, int n) {
    Rows rows;
    TDBResultSet rs;
    if (rs.Open(table, key, key) != TDBResultSet::kOK)
        return rows;
    for (; rs.Eof == 0; rs.Next()) {
        rows.emplace_back();
        for (int i = 0; i < n; ++i) rows.back().push_back(rs.CurrentFields->GetField(i)->Value);
    }
    return rows;
}
