// Shared fixture of the kernel tests: a fresh database in a temporary
// directory under /dev/shm, user tables written straight into their slots (no
// schema layer involved), and readers of the raw file bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Thrown.h"
#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "platform/TScriptedDialogs.h"

using Strings = std::vector<std::string>;
using Words = std::vector<uint32_t>;

// The first row slot of the data region; CALLS rows are 26 + 12 bytes apart.
constexpr uint32_t kRow0 = DbFormat::kDataRegionBase;
constexpr uint32_t kCallsStride = 26 + DbFormat::kRowOverhead;

// The values of the first n fields.
Strings Values(const TDBFields& fields, int n = 3);
// Every attribute of every field, one text.
std::string Describe(const TDBFields& fields);

struct TTestColumn {
    std::string Name;
    uint32_t DataType, Length, KeyType;
};

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a user table (InUse 1) into slot id: the given columns, then free ones.
    void MakeTable(uint32_t id, const std::string& name, const std::vector<TTestColumn>& columns);
    // "CALLS<id>": CALL char(10) key, QTY int, NOTE char(12).
    void MakeCallsTable(uint32_t id = 5, uint32_t keyType = DbFormat::kKeyPrimary);
    // A fresh field list of the table with the first values set in order.
    TDBFieldsPtr Row(uint32_t id, const Strings& values);
    int32_t Write(uint32_t id, const Strings& values, uint8_t reject = 0) {
        int32_t found = 0;
        return kernel_->WriteDataRow(id, found, *Row(id, values), reject);
    }
    // The first n values of the row read by key; empty when not found.
    Strings Read(uint32_t id, const std::string& key, int32_t occurrence = 0, int n = 3) {
        TDBFieldsPtr f = Row(id, {key});
        return kernel_->ReadDataRow(id, *f, occurrence, key) == 0 ? Values(*f, n) : Strings{};
    }
    // The live rows the page scan counts; the tail texts go to *tails.
    int32_t Scan(uint32_t id, Strings* tails = nullptr, int32_t selector = 65) {
        Strings ignored;
        int32_t deleted = 0;
        return kernel_->RawScanTable(selector, id, deleted, tails ? *tails : ignored, !tails);
    }
    // The offset of the bucket word of a bucket in the table's block.
    static uint32_t BucketWord(uint32_t id, uint32_t bucket) {
        return DbFormat::kBucketRegionBase + (id + 1) * DbFormat::kBucketBlockSize + bucket * 4;
    }
    static uint32_t U32At(uint32_t at) {
        uint32_t v = 0;
        std::memcpy(&v, TDbKernel::Base() + at, 4);
        return v;
    }
    static void SetU32At(uint32_t at, uint32_t v) { std::memcpy(TDbKernel::Base() + at, &v, 4); }
    static std::string Bytes(uint32_t at, uint32_t n) {
        return std::string(reinterpret_cast<const char*>(TDbKernel::Base()) + at, n);
    }
    int32_t Check(std::string* report = nullptr) {
        std::string ignored;
        return kernel_->CheckDatabase(report ? *report : ignored, 0);
    }

    std::string dir_, path_;
    std::unique_ptr<TDbKernel> kernel_;
    std::unique_ptr<TScriptedDialogs> dialogs_;
};
