// Shared fixture of the schema tests: a fresh database started through the
// database object in a temporary directory under /dev/shm, SQL helpers, and
// readers of the raw slot records.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"
#include "kernel/KernelRecords.h"
#include "kernel/TDbKernel.h"
#include "kernel/Thrown.h"
#include "platform/TScriptedDialogs.h"
#include "schema/TDBResultSet.h"
#include "schema/TDatabase.h"

using Strings = std::vector<std::string>;
using Rows = std::vector<Strings>;

class SchemaTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs one statement; its Execute status. The exception text that ended
    // it goes to *error when given.
    int32_t Sql(const std::string& text, std::string* error = nullptr);
    // Runs a statement that must be carried out.
    void MustSql(const std::string& text);
    // The slot's table record as "name|TableID|InUse", or column record c as
    // "name|Position|DataType|Length|KeyType".
    std::string Record(uint32_t slot, int c = -1) const;
    // The whole slot as it lies in the file.
    std::string SlotBytes(uint32_t slot) const {
        return std::string(
            reinterpret_cast<const char*>(TDbKernel::Base()) + slot * DbFormat::kTableSlotSize,
            DbFormat::kTableSlotSize);
    }
    // A row written through a result set: values set in column order.
    int32_t Insert(const std::string& table, const Strings& values);
    // The values of the first n fields of every row with the key.
    Rows Select(const std::string& table, const std::string& key, int n);

    std::string dir_, path_;
    std::unique_ptr<TScriptedDialogs> dialogs_;
    std::unique_ptr<TDatabase> db_;
};
