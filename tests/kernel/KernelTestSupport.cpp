#include "KernelTestSupport.h"

#include <unistd.h>

#include <filesystem>

#include "kernel/KernelRecords.h"

using namespace DbFormat;

Strings Values(const TDBFields& fields, int n) {
    Strings out;
    for (int i = 0; i < n; ++i) out.push_back(fields.GetField(i)->Value);
    return out;
}

std::string Describe(const TDBFields& fields) {
    std::string text;
    for (int i = 0; i < fields.Count(); ++i) {
        const TDBFieldParent* p = fields.GetField(i);
        for (int v : {p->Position, p->Length, p->IsPrimary, p->KeyType, p->DataType, p->TableID})
            text += std::to_string(v) + ",";
        text += p->Name + "=" + p->Value + ";";
    }
    return text;
}

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
    kernel_->CloseDB();
    DbKernel = nullptr;
    kernel_.reset();
    std::filesystem::remove_all(dir_);
}

void KernelTest::MakeTable(uint32_t id, const std::string& name,
                           const std::vector<TTestColumn>& columns) {
    TSlotRecords slot;  // a free slot's records, filled in
    ASSERT_EQ(kernel_->GetDBArchitectureRecord(3, slot), 0);
    std::strncpy(slot.Table->Name, name.c_str(), kNameAreaSize - 1);
    slot.Table->TableID = id;
    slot.Table->InUse = 1;
    TSlotRecordsView view;
    view.Table = slot.Table.get();
    for (uint32_t c = 0; c < kColumnsPerTable; ++c) {
        TColumnRecord& r = *slot.Columns[c];
        if (c < columns.size()) {
            std::strncpy(r.Name, columns[c].Name.c_str(), kNameAreaSize - 1);
            r.Position = c;
            r.DataType = columns[c].DataType;
            r.Length = columns[c].Length;
            r.KeyType = columns[c].KeyType;
        }
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

TDBFieldsPtr KernelTest::Row(uint32_t id, const Strings& values) {
    TDBFieldsPtr f = kernel_->CreateEmptyFieldsObject(id, 1);
    for (size_t i = 0; f && i < values.size(); ++i)
        f->GetField(static_cast<int>(i))->Value = values[i];
    return f;
}
