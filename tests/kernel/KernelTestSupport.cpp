#include "KernelTestSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "kernel/DbFormat.h"
#include "kernel/KernelRecords.h"

using namespace DbFormat;

void KernelTest::SetUp() {
    char tmpl[] = "/dev/shm/tramb_kernel_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/db_default.sib";
    dialogs_ = std::make_unique<TScriptedDialogs>();
    kernel_ = std::make_unique<TDbKernel>();
    DbKernel = kernel_.get();
    ASSERT_EQ(kernel_->CreateInitialDB(path_), 0);
}

void KernelTest::TearDown() {
    if (kernel_)
        kernel_->CloseDB();
    DbKernel = nullptr;
    kernel_.reset();
    dialogs_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void KernelTest::Reopen() {
    kernel_->CloseDB();
    kernel_ = std::make_unique<TDbKernel>();
    DbKernel = kernel_.get();
    ASSERT_EQ(kernel_->StartExistingDB(path_), 0);
}

void KernelTest::MakeTable(uint32_t id, const std::string& name,
                           const std::vector<TTestColumn>& columns) {
    TTableRecord table;
    std::strncpy(table.Name, name.c_str(), sizeof table.Name - 1);
    table.TableID = id;
    table.InUse = 1;
    std::vector<TColumnRecord> cols(kColumnsPerTable);
    TSlotRecordsView view;
    view.Table = &table;
    for (uint32_t c = 0; c < kColumnsPerTable; ++c) {
        TColumnRecord& r = cols[c];
        if (c < columns.size()) {
            std::strncpy(r.Name, columns[c].Name.c_str(), sizeof r.Name - 1);
            r.Position = c;
            r.DataType = columns[c].DataType;
            r.Length = columns[c].Length;
            r.KeyType = columns[c].KeyType;
        } else {
            std::strncpy(r.Name, kFreeColumnName, sizeof r.Name - 1);
            r.Position = c + 1;
            r.DataType = kTypeFree;
            r.KeyType = kKeyNone;
        }
        r.Reserved1 = r.Reserved2 = kSqlReserved;
        view.Columns[c] = &r;
    }
    ASSERT_EQ(kernel_->WriteTableRecord(1, id, 1, 999, view), 0);
    ASSERT_EQ(kernel_->WriteTableRecord(0, id, 0, 999, view), 0);
    kernel_->ForgetTable(id);
}

void KernelTest::MakeCallsTable(uint32_t id, uint32_t keyType) {
    MakeTable(id, "CALLS" + std::to_string(id),
              {{"CALL", kTypeCharacter, 10, keyType},
               {"QTY", kTypeInteger, 0, kKeyNone},
               {"NOTE", kTypeCharacter, 12, kKeyNone}});
}

TDBFieldsPtr KernelTest::Row(uint32_t id, const std::vector<std::string>& values) {
    TDBFieldsPtr f = kernel_->CreateEmptyFieldsObject(id, 1);
    if (!f)
        return f;
    for (size_t i = 0; i < values.size(); ++i) f->GetField(static_cast<int>(i))->Value = values[i];
    return f;
}

int32_t KernelTest::Write(uint32_t id, const std::vector<std::string>& values, uint8_t reject) {
    TDBFieldsPtr f = Row(id, values);
    int32_t found = 0;
    return kernel_->WriteDataRow(id, found, *f, reject);
}

std::vector<std::string> KernelTest::Read(uint32_t id, const std::string& key, int32_t occurrence,
                                          int n) {
    TDBFieldsPtr f = Row(id, {key});
    if (kernel_->ReadDataRow(id, *f, occurrence, key) != 0)
        return {};
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(f->GetField(i)->Value);
    return out;
}

uint32_t KernelTest::U32At(uint32_t offset) const {
    uint32_t v = 0;
    std::memcpy(&v, TDbKernel::Base() + offset, 4);
    return v;
}

void KernelTest::SetU32At(uint32_t offset, uint32_t value) {
    std::memcpy(TDbKernel::Base() + offset, &value, 4);
}

std::vector<uint8_t> KernelTest::Bytes(uint32_t offset, uint32_t count) const {
    const uint8_t* p = TDbKernel::Base() + offset;
    return std::vector<uint8_t>(p, p + count);
}

int32_t KernelTest::Check(std::string* report) {
    std::string r;
    const int32_t status = kernel_->CheckDatabase(r, 0);
    if (report)
        *report = r;
    return status;
}
