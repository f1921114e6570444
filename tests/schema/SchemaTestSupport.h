// Shared fixture of the schema tests: a fresh database started through the
// database object in a temporary directory under /dev/shm, SQL helpers, and
// readers of the raw slot records.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kernel/KernelRecords.h"
#include "platform/TScriptedDialogs.h"
#include "schema/TDatabase.h"

class SchemaTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs one statement; its Execute status. The exception text that ended
    // it goes to *error when given.
    int32_t Sql(const std::string& text, std::string* error = nullptr);
    // Runs a statement that must be carried out.
    void MustSql(const std::string& text);

    TTableRecord TableRecord(uint32_t slot) const;
    TColumnRecord ColumnRecord(uint32_t slot, uint32_t column) const;
    std::string TableName(uint32_t slot) const;
    std::string ColumnName(uint32_t slot, uint32_t column) const;
    // The whole 18,468-byte slot as it lies in the file.
    std::vector<uint8_t> SlotBytes(uint32_t slot) const;

    // A row written through a result set: values set in column order.
    int32_t Insert(const std::string& table, const std::vector<std::string>& values);
    // The values of the first n fields of every row with the key.
    std::vector<std::vector<std::string>> Select(const std::string& table, const std::string& key,
                                                 int n);
    // A path of a second database file in the same temporary directory.
    std::string OtherPath(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;
    std::string path_;
    std::unique_ptr<TScriptedDialogs> dialogs_;
    std::unique_ptr<TDatabase> db_;
};
