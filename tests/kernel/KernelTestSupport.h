// Shared fixtures of the kernel tests: a fresh database in a temporary
// directory under /dev/shm, and user tables written straight into their
// slots (no schema layer involved).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "platform/TScriptedDialogs.h"

struct TTestColumn {
    std::string Name;
    uint32_t DataType;
    uint32_t Length;
    uint32_t KeyType;
};

class KernelTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a user table (InUse 1) into slot id: the given columns, then
    // free columns.
    void MakeTable(uint32_t id, const std::string& name, const std::vector<TTestColumn>& columns);
    // A table "CALLS" (id 5 unless given): CALL char(10) key, QTY int, NOTE char(12).
    void MakeCallsTable(uint32_t id = 5, uint32_t keyType = 1);
    // A fresh field list of the table with the first values set in order.
    TDBFieldsPtr Row(uint32_t id, const std::vector<std::string>& values);
    int32_t Write(uint32_t id, const std::vector<std::string>& values, uint8_t reject = 0);
    // Reads by key; empty vector when not found. Gives the values of the
    // first n fields.
    std::vector<std::string> Read(uint32_t id, const std::string& key, int32_t occurrence = 0,
                                  int n = 3);
    uint32_t U32At(uint32_t offset) const;
    void SetU32At(uint32_t offset, uint32_t value);
    std::vector<uint8_t> Bytes(uint32_t offset, uint32_t count) const;
    int32_t Check(std::string* report = nullptr);
    void Reopen();

    std::string dir_;
    std::string path_;
    std::unique_ptr<TDbKernel> kernel_;
    std::unique_ptr<TScriptedDialogs> dialogs_;
};
