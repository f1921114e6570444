// A fresh database with the log's tables (data/schema.sql) in a temporary
// directory, on /dev/shm when there is one: every field write is a flush.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "kernel/TDbKernel.h"
#include "platform/TScriptedDialogs.h"
#include "records/TSchemaScript.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"
#include "schema/TSQLStatements.h"

inline std::string MakeTempDir(const char* tag) {
    std::string base = "/dev/shm";
    if (!std::filesystem::is_directory(base)) {
        const char* t = std::getenv("TMPDIR");
        base = t ? t : "/tmp";
    }
    std::string tmpl = base + "/tramb-" + tag + "-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    const char* made = ::mkdtemp(buf.data());
    return made ? std::string(made) : std::string();
}

inline std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string SchemaScriptPath() {
    return std::string(TRAMB_TEST_DATA) + "/../../data/schema.sql";
}

class RecordsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = MakeTempDir("records");
        ASSERT_FALSE(dir_.empty());
        path_ = dir_ + "/db_default.sib";
        dialogs_ = std::make_unique<TScriptedDialogs>();
        db_ = std::make_unique<TDatabase>();
        ASSERT_EQ(0, db_->StartDatabase(path_));
        if (WithSchema()) {
            int done = 0;
            int failed = -1;
            std::string error;
            ASSERT_EQ(0, TSchemaScript::Run(ReadFile(SchemaScriptPath()), done, failed, error))
                << "statement " << failed << ": " << error;
            db_->Tables->Load();
        }
    }
    void TearDown() override {
        if (db_)
            db_->ShutdownDatabase(path_);
        db_.reset();
        dialogs_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    virtual bool WithSchema() const { return true; }

    // Drops a table of the log, as a damaged or half-prepared file would lack it.
    void DropTable(const std::string& name) {
        auto st = TSQLStatements::NewStatement("DROP TABLE " + name);
        ASSERT_EQ(0, st->Execute()) << st->LastError;
        db_->Tables->Load();
    }

    // Live and deleted rows of a table, counted over its data pages.
    int LiveRows(const std::string& table, int* deleted = nullptr) {
        std::vector<std::string> tails;
        int32_t del = 0;
        const int32_t live =
            DbKernel->RawScanTable(65, DbKernel->GetTableIDFromName(table), del, tails, 1);
        if (deleted)
            *deleted = del;
        return live;
    }

    // The field lists of the rows that carry the key.
    std::vector<TDBFields> RowsOf(const std::string& table, const std::string& key) {
        TDBResultSet rs;
        std::vector<TDBFields> rows;
        if (rs.Open(table, key, key) != 0)
            return rows;
        for (const auto& r : rs.Rows) rows.push_back(*r);
        return rows;
    }

    bool DatabaseSound() {
        std::string report;
        return DbKernel->CheckDatabase(report, 0) == 0;
    }

    std::string dir_;
    std::string path_;
    std::unique_ptr<TScriptedDialogs> dialogs_;
    std::unique_ptr<TDatabase> db_;
};
