// The database file: creation and bootstrap bytes, extension of a short
// file, the exclusive lock against a second process, closing, exact-name
// search and the metadata cursor.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "KernelTestSupport.h"
#include "kernel/DbFormat.h"
#include "kernel/KernelRecords.h"
#include "platform/TDbFile.h"

using namespace DbFormat;

namespace {
std::string NameAt(uint32_t offset) {
    return std::string(reinterpret_cast<const char*>(TDbKernel::Base() + offset));
}
uint32_t ColumnAt(uint32_t slot, uint32_t c) {
    return slot * kTableSlotSize + kTableRecordSize + c * kColumnRecordSize;
}
}  // namespace

TEST_F(KernelTest, NewFileHasExactSizeAndOnlySlotsNonZero) {
    EXPECT_EQ(std::filesystem::file_size(path_), kDbFileSize);
    const uint8_t* base = TDbKernel::Base();
    ASSERT_NE(base, nullptr);
    bool allZero = true;
    for (uint32_t i = kTableSlotRegionSize; i < kDbFileSize; ++i)
        if (base[i] != 0) {
            allZero = false;
            break;
        }
    EXPECT_TRUE(allZero);
    // the last slot's last column record ends exactly at the region's end
    EXPECT_EQ(U32At(ColumnAt(100, 64) + kColRecPositionOffset), 65u);
    EXPECT_EQ(U32At(ColumnAt(100, 64) + kColRecReserved2Offset), 999u);
}

TEST_F(KernelTest, BootstrapRecordsReadAsDesigned) {
    TSlotRecords slot3;
    ASSERT_EQ(kernel_->GetDBArchitectureRecord(3, slot3), 0);
    ASSERT_TRUE(slot3.Table);
    EXPECT_STREQ(slot3.Table->Name, "UNALLOCATED TABLE");
    EXPECT_EQ(slot3.Table->TableID, 1u);
    EXPECT_EQ(slot3.Table->OwnerWord, 1u);
    EXPECT_EQ(slot3.Table->InUse, 0u);
    EXPECT_STREQ(slot3.Columns[0]->Name, "UNALLOCATED COLUMN");
    EXPECT_EQ(slot3.Columns[0]->Position, 1u);
    EXPECT_EQ(slot3.Columns[0]->DataType, 999u);
    EXPECT_EQ(slot3.Columns[0]->KeyType, 2u);

    TSlotRecords slot1;
    ASSERT_EQ(kernel_->ReadTableRecord(0, 1, slot1), 0);
    EXPECT_STREQ(slot1.Table->Name, "SYSTables");
    EXPECT_EQ(slot1.Table->TableID, 2u);
    EXPECT_EQ(slot1.Table->InUse, 1u);
    const TColumnRecord& c1 = *slot1.Columns[1];
    EXPECT_STREQ(c1.Name, "TableName");
    EXPECT_EQ(c1.Position, 1u);
    EXPECT_EQ(c1.DataType, 2u);
    EXPECT_EQ(c1.Length, 30u);
    EXPECT_EQ(c1.KeyType, 2u);
    EXPECT_EQ(c1.Reserved1, 999u);
    EXPECT_EQ(c1.Reserved2, 999u);
    EXPECT_EQ(slot1.Columns[3]->Position, 4u);  // free columns carry index + 1
    for (uint32_t s = 0; s <= kLastSlot; ++s)
        EXPECT_EQ(U32At(ColumnAt(s, 64) + kColRecPositionOffset), 65u) << "slot " << s;

    EXPECT_EQ(NameAt(0), "SYSUSERS");
    EXPECT_EQ(U32At(ColumnAt(0, 2) + kColRecDataTypeOffset), 99u);  // Password
    EXPECT_EQ(NameAt(2 * kTableSlotSize), "SYSLOCKS");
    EXPECT_EQ(U32At(2 * kTableSlotSize + kTableRecTableIDOffset), 3u);
    EXPECT_EQ(NameAt(ColumnAt(2, 2)), "TableID");
    // name areas are zero-padded behind the name
    for (uint32_t i = 8; i < kNameAreaSize; ++i) ASSERT_EQ(TDbKernel::Base()[i], 0) << i;
}

TEST_F(KernelTest, ShortFileIsExtendedWithZeros) {
    kernel_->CloseDB();
    const std::string shortPath = dir_ + "/short.sib";
    {
        std::ofstream out(shortPath, std::ios::binary);
        out << "ABCDEFGH";
    }
    ASSERT_EQ(kernel_->StartExistingDB(shortPath), 0);
    EXPECT_EQ(std::filesystem::file_size(shortPath), kDbFileSize);
    EXPECT_EQ(std::memcmp(TDbKernel::Base(), "ABCDEFGH", 8), 0);
    EXPECT_EQ(TDbKernel::Base()[8], 0);
    EXPECT_EQ(TDbKernel::Base()[kDbFileSize - 1], 0);
}

TEST_F(KernelTest, SecondProcessIsRefused) {
    kernel_->CloseDB();
    int toChild[2];
    int toParent[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(toParent), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // child: hold the database until the parent has tried
        TDbKernel child;
        const char ok = child.StartExistingDB(path_) == 0 ? 'y' : 'n';
        (void)!::write(toParent[1], &ok, 1);
        char c;
        (void)!::read(toChild[0], &c, 1);
        child.CloseDB();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(toParent[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    EXPECT_EQ(kernel_->StartExistingDB(path_), 999);
    EXPECT_EQ(TDbKernel::Base(), nullptr);
    EXPECT_EQ(kernel_->CreateInitialDB(path_), 999);
    (void)!::write(toChild[1], "x", 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(kernel_->StartExistingDB(path_), 0);  // free again once the child closed it
    for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) ::close(fd);
}

TEST_F(KernelTest, OneDatabaseAtATime) {
    EXPECT_EQ(kernel_->StartExistingDB(dir_ + "/other.sib"), 999);
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/other.sib"));
}

TEST_F(KernelTest, AfterCloseNothingIsReadOrWritten) {
    EXPECT_EQ(kernel_->CloseDB(), 0);
    EXPECT_EQ(TDbKernel::Base(), nullptr);
    TSlotRecords out;
    EXPECT_EQ(kernel_->GetDBArchitectureRecord(3, out), 0);
    EXPECT_FALSE(out.Table);
    EXPECT_FALSE(out.Columns[0]);
    TTableRecord t;
    TSlotRecordsView v;
    v.Table = &t;
    EXPECT_EQ(kernel_->WriteTableRecord(1, 5, 1, 999, v), 0);
    EXPECT_EQ(kernel_->GetTableIDFromName("X"), 999u);
    EXPECT_EQ(kernel_->CreateEmptyFieldsObject(5, 1), nullptr);
    // the data written before closing is in the file
    ASSERT_EQ(kernel_->StartExistingDB(path_), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(TDbKernel::Base() + kTableSlotSize), "SYSTables");
}

TEST_F(KernelTest, FileExistsBetterNeedsExactBareName) {
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    EXPECT_EQ(kernel_->FileExistsBetter("db_default.sib"), 0);
    EXPECT_EQ(kernel_->FileExistsBetter("DB_DEFAULT.SIB"), 999);
    EXPECT_EQ(kernel_->FileExistsBetter("./db_default.sib"), 999);
    EXPECT_EQ(kernel_->FileExistsBetter(dir_ + "/db_default.sib"), 999);
    EXPECT_EQ(kernel_->FileExistsBetter("missing.sib"), 999);
    EXPECT_EQ(kernel_->FileExistsBetter(""), 999);
    std::filesystem::current_path(cwd);
}

TEST_F(KernelTest, MetaCursorContinuesOrRestarts) {
    TTableRecord t;
    std::strcpy(t.Name, "FIRST");
    TColumnRecord c;
    std::strcpy(c.Name, "COL");
    TSlotRecordsView v;
    v.Table = &t;
    v.Columns[0] = &c;  // the other 64 are null and skipped
    ASSERT_EQ(kernel_->CreateKernelMappingInMemory(0, v), 0);
    EXPECT_EQ(NameAt(0), "FIRST");
    EXPECT_EQ(NameAt(kTableRecordSize), "COL");
    std::strcpy(t.Name, "SECOND");
    ASSERT_EQ(kernel_->CreateKernelMappingInMemory(1, v), 0);
    EXPECT_EQ(NameAt(kTableRecordSize + kColumnRecordSize), "SECOND");
    std::strcpy(t.Name, "THIRD");
    ASSERT_EQ(kernel_->CreateKernelMappingInMemory(0, v), 0);
    EXPECT_EQ(NameAt(0), "THIRD");
    // a record that would run past the end of the file is refused
    TSlotRecordsView none;
    EXPECT_EQ(kernel_->CreateKernelMappingInMemory(1, none), 999);
}

TEST_F(KernelTest, RegionPointers) {
    EXPECT_EQ(kernel_->GetHashBucketsPointer(0) - TDbKernel::Base(), 1886800);
    EXPECT_EQ(kernel_->GetHashBucketsPointer(-1) - TDbKernel::Base(), 1846800);
    EXPECT_EQ(kernel_->GetDataPagesPointer() - TDbKernel::Base(), 5846800);
    EXPECT_EQ(kernel_->FlushRange(TDbKernel::Base(), 10), 0);
}

namespace {
class TFaultyFile : public TDbFile {
  public:
    explicit TFaultyFile(int fault) : fault_(fault) {}
    uint8_t* Map(uint32_t size) override { return fault_ == 1 ? nullptr : TDbFile::Map(size); }
    bool Close() override {
        const bool ok = TDbFile::Close();
        return fault_ == 2 ? false : ok;
    }

  private:
    int fault_;
};
}  // namespace

TEST_F(KernelTest, PlatformFailuresAreStatuses) {
    kernel_->CloseDB();
    SetDbFileFactory([] { return std::make_unique<TFaultyFile>(1); });
    EXPECT_EQ(kernel_->StartExistingDB(path_), 999);
    EXPECT_EQ(TDbKernel::Base(), nullptr);
    SetDbFileFactory([] { return std::make_unique<TFaultyFile>(2); });
    ASSERT_EQ(kernel_->StartExistingDB(path_), 0);  // the lock was given back above
    EXPECT_EQ(kernel_->CloseDB(), 999);
    EXPECT_EQ(TDbKernel::Base(), nullptr);
    SetDbFileFactory(nullptr);
    ASSERT_EQ(kernel_->StartExistingDB(path_), 0);
}

TEST_F(KernelTest, CheckAccessWarnsOutsideTheView) {
    kernel_->CheckAccess(TDbKernel::Base() + 100, false, 4, "Read data row");
    EXPECT_TRUE(dialogs_->Messages.empty());
    kernel_->CheckAccess(TDbKernel::Base() + kDbFileSize - 2, false, 4, "Read data row");
    kernel_->CheckAccess(TDbKernel::Base() + kDbFileSize, true, 4, "Get Write Data Pointer");
    EXPECT_EQ(dialogs_->Messages,
              (std::vector<std::string>{"Read access denied Read data row44999998",
                                        "Write access denied Get Write Data Pointer45000000"}));
}
