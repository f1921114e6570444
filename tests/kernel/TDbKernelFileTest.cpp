// The database file: bootstrap bytes, a short file, the exclusive lock,
// closing, platform failures; table and column records, name lookups, free IDs.
#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "KernelTestSupport.h"
#include "kernel/KernelRecords.h"
#include "platform/PlatformTestSupport.h"
#include "platform/TDbFile.h"

using namespace DbFormat;

namespace {
// A slot's table record as "name|TableID|OwnerWord|InUse", or column record
// c as "name|Position|DataType|Length|KeyType|Reserved1|Reserved2".
std::string Record(uint32_t slot, int c = -1) {
    TSlotRecords r;
    EXPECT_EQ(DbKernel->GetDBArchitectureRecord(slot, r), 0);
    if (!r.Table)
        return "nothing read";
    std::string text = c < 0 ? r.Table->Name : r.Columns[c]->Name;
    const TColumnRecord& k = *r.Columns[std::max(c, 0)];
    for (uint32_t v :
         c < 0 ? Words{r.Table->TableID, r.Table->OwnerWord, r.Table->InUse}
               : Words{k.Position, k.DataType, k.Length, k.KeyType, k.Reserved1, k.Reserved2})
        text += "|" + std::to_string(v);
    return text;
}

}  // namespace

TEST_F(KernelTest, NewFileHoldsTheBootstrapRecordsAndZerosBehindThem) {
    EXPECT_EQ(std::filesystem::file_size(path_), kDbFileSize);
    const uint8_t* base = TDbKernel::Base();
    EXPECT_TRUE(std::all_of(base + kTableSlotRegionSize, base + kDbFileSize,
                            [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(Bytes(0, kNameAreaSize), "SYSUSERS" + std::string(kNameAreaSize - 8, '\0'));
    const std::string system[3][4] = {
        {"SYSUSERS|1|1|1", "UserID|0|0|0|1", "UserName|1|2|30|2", "Password|2|99|0|2"},
        {"SYSTables|2|1|1", "TableID|0|0|0|1", "TableName|1|2|30|2", "TableOwnerID|2|0|0|2"},
        {"SYSLOCKS|3|1|1", "LockID|0|0|0|1", "LockType|1|0|0|2", "TableID|2|0|0|2"}};
    for (uint32_t slot = 0; slot <= kLastSlot; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(Record(slot), slot < 3 ? system[slot][0] : "UNALLOCATED TABLE|1|1|0");
        for (int c = 0; c < 65; c += c == 3 ? 61 : 1)
            EXPECT_EQ(Record(slot, c),
                      slot < 3 && c < 3
                          ? system[slot][c + 1] + "|999|999"
                          : "UNALLOCATED COLUMN|" + std::to_string(c + 1) + "|999|0|2|999|999");
    }
}

TEST_F(KernelTest, ShortFileIsExtendedWithZeros) {
    kernel_->CloseDB();
    std::ofstream(dir_ + "/short.sib", std::ios::binary) << "ABCDEFGH";
    ASSERT_EQ(kernel_->StartExistingDB(dir_ + "/short.sib"), 0);
    EXPECT_EQ(std::filesystem::file_size(dir_ + "/short.sib"), kDbFileSize);
    EXPECT_EQ(Bytes(0, 9) + Bytes(kDbFileSize - 1, 1), std::string("ABCDEFGH\0\0", 10));
}

TEST_F(KernelTest, TheFileIsLockedWhileOpenAndOneDatabaseAtATime) {
    const int fd = ::open(path_.c_str(), O_RDWR);
    EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);  // held by the open database
    EXPECT_EQ(kernel_->StartExistingDB(dir_ + "/other.sib"), 999);
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/other.sib"));
    kernel_->CloseDB();
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);  // another holder now
    EXPECT_EQ(kernel_->StartExistingDB(path_), 999);
    EXPECT_EQ(TDbKernel::Base(), nullptr);
    EXPECT_EQ(kernel_->CreateInitialDB(path_), 999);
    ::close(fd);
    EXPECT_EQ(kernel_->StartExistingDB(path_), 0);
}

TEST_F(KernelTest, ClosedOrFailingFilesReadAndWriteNothing) {
    MakeCallsTable();
    EXPECT_EQ(kernel_->CloseDB(), 0);
    EXPECT_EQ(Record(3), "nothing read");
    TSlotRecordsView v;
    EXPECT_EQ(kernel_->WriteTableRecord(1, 6, 1, 999, v), 0);
    EXPECT_EQ(kernel_->GetTableIDFromName("CALLS5"), 999u);
    EXPECT_EQ(kernel_->CreateEmptyFieldsObject(5, 1), nullptr);
    TDbFile::SetAllocateFault(ENOSPC);  // no room on the disk: said, the file as it was
    std::ofstream(dir_ + "/short.sib", std::ios::binary) << "ABCDEFGH";
    for (const std::string& path : {path_, dir_ + "/new.sib", dir_ + "/short.sib"}) {
        const std::string before = ReadFile(path);
        EXPECT_EQ(kernel_->StartExistingDB(path), 999);
        EXPECT_EQ(TDbKernel::StartError(), TDbKernel::NoDiskRoomMessage());
        EXPECT_EQ(TDbKernel::Base(), nullptr);
        EXPECT_EQ(std::filesystem::exists(path), !before.empty());
        EXPECT_TRUE(before == ReadFile(path));
    }
    TDbFile::SetAllocateFault(0);
    ASSERT_EQ(kernel_->StartExistingDB(path_), 0);         // the lock was given back above
    EXPECT_EQ(kernel_->GetTableIDFromName("CALLS5"), 5u);  // written before closing
    EXPECT_EQ(TDbKernel::StartError(), "");
    kernel_->CheckAccess(TDbKernel::Base() + 100, false, 4, "Read data row");
    kernel_->CheckAccess(TDbKernel::Base() + kDbFileSize - 2, false, 4, "Read data row");
    kernel_->CheckAccess(TDbKernel::Base() + kDbFileSize, true, 4, "Get Write Data Pointer");
    EXPECT_EQ(dialogs_->Messages, (Strings{"Read access denied Read data row44999998",
                                           "Write access denied Get Write Data Pointer45000000"}));
}

TEST_F(KernelTest, ExactBareFileNameAndNameLookups) {
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    EXPECT_EQ(kernel_->FileExistsBetter("db_default.sib"), 0);
    for (const std::string& name : Strings{"DB_DEFAULT.SIB", "./db_default.sib", path_, "x", ""})
        EXPECT_EQ(kernel_->FileExistsBetter(name), 999) << name;
    std::filesystem::current_path(cwd);
    EXPECT_EQ(kernel_->CreateKernelMappingInMemory(1, TSlotRecordsView()), 999);  // past the end
    const std::string long30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
    MakeTable(7, "QSOLOG", {{"CALL", kTypeCharacter, 10, kKeyMulti}});
    MakeTable(8, long30, {{"K", kTypeInteger, 0, kKeyPrimary}});
    Words ids;
    for (const std::string& name :
         Strings{"qsolog", long30 + "MORE", long30.substr(0, 29), "QSOLO", "", "SYSTables"})
        ids.push_back(kernel_->GetTableIDFromName(name));
    EXPECT_EQ(ids, (Words{7, 8, 999, 999, 999, 999}));
    EXPECT_EQ(kernel_->IsDuplicateTableName("qsolog") * 2 + kernel_->IsDuplicateTableName("X"), -2);
    std::string name = "x", names;
    for (uint32_t id : {7, 42, 0}) kernel_->GetNameFromTableID(id, name), names += name + "|";
    EXPECT_EQ(names, "QSOLOG|||");
    // 99 and 100 are free but never handed out; SYSTables' slot and IDs past the slots are taken
    for (uint32_t id = 5; id <= kLastAllocatableTableID; ++id) MakeCallsTable(id);
    EXPECT_EQ(kernel_->IsAvailableTableID(99) * 2 + kernel_->IsAvailableTableID(98), -2);
    EXPECT_EQ(kernel_->GetFirstAvailableTableID(), 999u);
    EXPECT_EQ(kernel_->IsAvailableTableID(999) + kernel_->IsAvailableTableID(101), 0);
    EXPECT_EQ(kernel_->IsAvailableTableID(1), 0);
}

TEST_F(KernelTest, TableRecordActionsAndBoundedNameBuffers) {
    const std::string slot = Bytes(5 * kTableSlotSize, kTableSlotSize);
    TSlotRecordsView v;
    EXPECT_EQ(kernel_->WriteTableRecord(2, 5, 0, 999, v), 0);  // action 2 writes nothing
    EXPECT_EQ(kernel_->WriteTableRecord(3, 5, 0, 999, v), 999);
    EXPECT_TRUE(Bytes(5 * kTableSlotSize, kTableSlotSize) == slot);
    TSlotRecords out;
    EXPECT_EQ(kernel_->ReadTableRecord(1, 5, out), 0);
    EXPECT_FALSE(out.Table);
    EXPECT_EQ(kernel_->ReadTableRecord(7, 5, out), 999);
    char buffer[8] = "ZZZZZZZ";
    kernel_->ConvToSpecialChars("abc", 30, buffer, 6, 1);
    EXPECT_EQ(std::string(buffer, 8), std::string("ABC\0\0\0Z\0", 8));  // never past the size
    kernel_->ConvToSpecialChars("a very long text", 30, buffer, 6, 0);
    EXPECT_EQ(std::string(buffer, 8), std::string("a ver\0Z\0", 8));
    char big[64];
    kernel_->ConvToSpecialChars(std::string(40, 'q') + "\xe4", 30, big, sizeof big, 1);
    EXPECT_EQ(std::string(big), std::string(30, 'Q') + std::string(10, 'q') + "\xe4");
}
