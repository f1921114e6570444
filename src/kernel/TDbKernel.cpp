// The kernel object, the file and its mapping, the bootstrap of a new file,
// the table and column records, and the kernel's text helpers.
#include "kernel/TDbKernel.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TDbKernelState.h"
#include "kernel/TKernelRowHooks.h"
#include "platform/TDbFile.h"

using namespace DbFormat;
using S = TDbKernelState;

TDbKernel* DbKernel = nullptr;

TDbKernel::TDbKernel() {
    // The new helper is made before the old one goes, so their addresses differ.
    auto* helper = new TDbKernelHelperFunctions();
    delete DbKernelHelper;
    DbKernelHelper = helper;
    ownHelper_ = helper;
}

TDbKernel::~TDbKernel() {
    if (DbKernelHelper != nullptr && DbKernelHelper == ownHelper_) {
        delete DbKernelHelper;
        DbKernelHelper = nullptr;
    }
}

uint8_t* TDbKernel::Base() {
    return S::Base;
}
uint32_t TDbKernel::MapSize() {
    return S::MapSize;
}

// ---- File and mapping ----

int32_t TDbKernel::OpenDBFile(const std::string& fileName) {
    if (S::File && S::File->IsOpen())
        return -1;  // one database per process
    auto file = NewDbFile();
    if (!file || !file->Open(fileName))
        return -1;
    S::File = std::move(file);
    return 1;
}

uint8_t* TDbKernel::GetPointerToBaseOfMapping(int32_t& fileHandle, uint32_t size) {
    if (fileHandle < 0 || !S::File)
        return nullptr;
    uint8_t* base = S::File->Map(size);
    if (base == nullptr)
        return nullptr;
    S::Base = base;
    S::MapSize = size;
    ResetKernelRowHooks();
    return base;
}

namespace {
std::string& StartErrorText() {
    static std::string text;
    return text;
}

// 45000000 as "45,000,000".
std::string WithSeparators(uint32_t n) {
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, ",");
    return digits;
}

void DropFile() {
    if (S::File) {
        S::File->Unmap();
        S::File->Close();
        S::File.reset();
    }
    S::Base = nullptr;
    S::MapSize = 0;
    S::MetaCursor = nullptr;
    ResetKernelRowHooks();
}
}  // namespace

std::string TDbKernel::NoDiskRoomMessage() {
    return "There is not enough free disk space for the log file (" + WithSeparators(kDbFileSize) +
           " bytes are needed).";
}

const std::string& TDbKernel::StartError() {
    return StartErrorText();
}

int32_t TDbKernel::StartExistingDB(const std::string& fileName) {
    SettleWrites();
    StartErrorText().clear();
    if (S::IsOpen())
        return 999;
    int32_t handle = OpenDBFile(fileName);
    if (handle < 0)
        return 999;
    S::MapSize = kDbFileSize;
    if (GetPointerToBaseOfMapping(handle, kDbFileSize) == nullptr) {
        const int error = S::File->LastError();
        if (error == ENOSPC || error == EDQUOT)
            StartErrorText() = NoDiskRoomMessage();
        // A file this start made is not left behind empty.
        if (S::File->Created())
            ::unlink(fileName.c_str());
        DropFile();
        return 999;
    }
    S::MetaCursor = S::Base;
    TWriteBatch::ClearFlushError();
    // Before anything reads the file: the words of a batch cut short.
    TWriteIntent::Replay();
    return 0;
}

int32_t TDbKernel::CreateInitialDB(const std::string& fileName) {
    const int32_t status = StartExistingDB(fileName);
    if (status != 0)
        return status;
    std::memset(S::Base, 0, S::MapSize);
    ResetKernelRowHooks();
    return InitializeMetaRecs();
}

int32_t TDbKernel::CloseDB() {
    SettleWrites();
    if (!S::File) {
        S::Base = nullptr;
        return 0;
    }
    // A flush that fails may have left the view's changes off the disk: the
    // close must not report that as a success. Its flush takes the cleared
    // intent record too.
    TWriteIntent::Clear();
    const bool flushed = S::Base == nullptr || TWriteBatch::FlushView(S::Base, S::MapSize);
    S::File->Unmap();
    S::Base = nullptr;
    S::MapSize = 0;
    S::MetaCursor = nullptr;
    ResetKernelRowHooks();
    const bool closed = S::File->Close();
    S::File.reset();
    return closed && flushed ? 0 : 999;
}

int32_t TDbKernel::FileExistsBetter(const std::string& fileName) {
    // Only a bare name can match: the directory search reports names without
    // their folder.
    if (fileName.empty() || fileName.find('/') != std::string::npos)
        return 999;
    DIR* dir = ::opendir(".");
    if (dir == nullptr)
        return 999;
    int32_t status = 999;
    while (const dirent* e = ::readdir(dir)) {
        if (fileName == e->d_name && e->d_type != DT_DIR) {
            status = 0;
            break;
        }
    }
    ::closedir(dir);
    return status;
}

int32_t TDbKernel::CreateKernelMappingInMemory(int32_t continueFlag,
                                               const TSlotRecordsView& records) {
    if (!S::IsOpen())
        return 999;
    try {
        if (continueFlag == 0 || S::MetaCursor == nullptr)
            S::MetaCursor = S::Base;
        uint32_t at = S::OffsetOf(S::MetaCursor);
        if (records.Table == nullptr || !S::InView(at, kTableRecordSize))
            return 999;
        std::memcpy(S::Base + at, records.Table, kTableRecordSize);
        at += kTableRecordSize;
        for (const TColumnRecord* c : records.Columns) {
            if (c == nullptr)
                continue;
            if (!S::InView(at, kColumnRecordSize))
                return 999;
            std::memcpy(S::Base + at, c, kColumnRecordSize);
            at += kColumnRecordSize;
        }
        S::MetaCursor = S::Base + at;
        return 0;
    } catch (const std::exception&) {
        return 999;
    }
}

uint8_t* TDbKernel::GetHashBucketsPointer(int32_t tableID) {
    if (!S::IsOpen())
        return nullptr;
    const int64_t off = static_cast<int64_t>(kBucketRegionBase) +
                        (static_cast<int64_t>(tableID) + 1) * kBucketBlockSize;
    if (off < 0 || off + kBucketBlockSize > static_cast<int64_t>(S::MapSize))
        return nullptr;
    return S::Base + off;
}

uint8_t* TDbKernel::GetDataPagesPointer() {
    return S::IsOpen() ? S::Base + kDataRegionBase : nullptr;
}

void TDbKernel::SettleWrites() {
    TWriteBatch::Commit();
    S::ForgetFreeSlots();
    ResetKernelRowHooks();
}

int32_t TDbKernel::FlushRange(const uint8_t* address, uint32_t count) {
    // A failed flush is remembered for the caller that reports the work done.
    if (address != nullptr && !TWriteBatch::FlushView(address, count))
        return 999;
    return 0;
}

// ---- Bootstrap ----

namespace {
void SetName(char* area, const char* name) {
    std::memset(area, 0, kNameAreaSize);
    std::strncpy(area, name, kNameAreaSize - 1);
}

TColumnRecord FreeColumn(uint32_t index) {
    TColumnRecord c;
    SetName(c.Name, kFreeColumnName);
    c.Position = index + 1;
    c.DataType = kTypeFree;
    c.Length = 0;
    c.KeyType = kKeyNone;
    c.Reserved1 = kBootstrapReserved;
    c.Reserved2 = kBootstrapReserved;
    return c;
}

struct TColumnSpec {
    const char* Name;
    uint32_t DataType;
    uint32_t Length;
    uint32_t KeyType;
};

// One slot's records: the three given columns, the rest free.
struct TBootstrapSlot {
    TTableRecord Table;
    std::array<TColumnRecord, kColumnsPerTable> Columns;

    TSlotRecordsView View() const {
        TSlotRecordsView v;
        v.Table = &Table;
        for (size_t i = 0; i < kColumnsPerTable; ++i) v.Columns[i] = &Columns[i];
        return v;
    }
};

std::unique_ptr<TBootstrapSlot> MakeSlot(const char* name, uint32_t tableID, uint32_t inUse,
                                         const std::array<TColumnSpec, 3>* columns) {
    auto slot = std::make_unique<TBootstrapSlot>();
    SetName(slot->Table.Name, name);
    slot->Table.TableID = tableID;
    slot->Table.OwnerWord = kBootstrapOwnerWord;
    slot->Table.InUse = inUse;
    for (uint32_t c = 0; c < kColumnsPerTable; ++c) slot->Columns[c] = FreeColumn(c);
    if (columns != nullptr) {
        for (uint32_t c = 0; c < columns->size(); ++c) {
            TColumnRecord& r = slot->Columns[c];
            SetName(r.Name, (*columns)[c].Name);
            r.Position = c;
            r.DataType = (*columns)[c].DataType;
            r.Length = (*columns)[c].Length;
            r.KeyType = (*columns)[c].KeyType;
        }
    }
    return slot;
}
}  // namespace

int32_t TDbKernel::InitializeMetaRecs() {
    int32_t status = InitDefinitionStructure();
    if (status == 0)
        status = InitSysUsers();
    if (status == 0)
        status = InitSysTables();
    if (status == 0)
        status = InitSysLocks();
    return status;
}

int32_t TDbKernel::InitDefinitionStructure() {
    auto slot = MakeSlot(kFreeTableName, kBootstrapFreeTableID, 0, nullptr);
    for (uint32_t s = 0; s < kTableSlotCount; ++s) {
        const int32_t status = CreateKernelMappingInMemory(s == 0 ? 0 : 1, slot->View());
        if (status != 0)
            return status;
    }
    return 0;
}

int32_t TDbKernel::InitSysUsers() {
    const std::array<TColumnSpec, 3> cols{{{"UserID", kTypeInteger, 0, kKeyPrimary},
                                           {"UserName", kTypeText, 30, kKeyNone},
                                           {"Password", kTypePassword, 0, kKeyNone}}};
    auto slot = MakeSlot("SYSUSERS", kSysUsersTableID, 1, &cols);
    return CreateKernelMappingInMemory(0, slot->View());
}

int32_t TDbKernel::InitSysTables() {
    const std::array<TColumnSpec, 3> cols{{{"TableID", kTypeInteger, 0, kKeyPrimary},
                                           {"TableName", kTypeText, 30, kKeyNone},
                                           {"TableOwnerID", kTypeInteger, 0, kKeyNone}}};
    auto slot = MakeSlot("SYSTables", kSysTablesTableID, 1, &cols);
    return CreateKernelMappingInMemory(1, slot->View());
}

int32_t TDbKernel::InitSysLocks() {
    const std::array<TColumnSpec, 3> cols{{{"LockID", kTypeInteger, 0, kKeyPrimary},
                                           {"LockType", kTypeInteger, 0, kKeyNone},
                                           {"TableID", kTypeInteger, 0, kKeyNone}}};
    auto slot = MakeSlot("SYSLOCKS", kSysLocksTableID, 1, &cols);
    return CreateKernelMappingInMemory(1, slot->View());
}

// ---- Table and column records ----

namespace {
uint32_t SlotOffset(uint32_t slot) {
    return slot * kTableSlotSize;
}
uint32_t ColumnOffset(uint32_t slot, uint32_t c) {
    return SlotOffset(slot) + kTableRecordSize + c * kColumnRecordSize;
}
uint32_t InUseOf(uint32_t slot) {
    return S::U32(SlotOffset(slot) + kTableRecInUseOffset);
}
}  // namespace

int32_t TDbKernel::GetDBArchitectureRecord(uint32_t slot, TSlotRecords& out, bool withColumns) {
    if (!S::IsOpen() || slot > kLastSlot)
        return 0;
    out.Table = std::make_unique<TTableRecord>();
    std::memcpy(out.Table.get(), S::Base + SlotOffset(slot), kTableRecordSize);
    for (uint32_t c = 0; withColumns && c < kColumnsPerTable; ++c) {
        out.Columns[c] = std::make_unique<TColumnRecord>();
        std::memcpy(out.Columns[c].get(), S::Base + ColumnOffset(slot, c), kColumnRecordSize);
    }
    return 0;
}

int32_t TDbKernel::WriteDBArchitectureRecord(uint32_t slot, int32_t action, int32_t columnSelector,
                                             const TSlotRecordsView& records) {
    SettleWrites();
    TWriteIntent::Invalidate();
    if (!S::IsOpen() || slot > kLastSlot)
        return 0;
    // Each record is flushed as it is written: the schema layer writes a new
    // table's record (not in use), its columns, and the record in use last,
    // so the disk never holds a table in use without its columns, and rows
    // stored afterwards never reach the disk before their table does.
    if (action == 1) {
        if (records.Table != nullptr) {
            std::memcpy(S::Base + SlotOffset(slot), records.Table, kTableRecordSize);
            FlushRange(S::Base + SlotOffset(slot), kTableRecordSize);
        }
    } else if (action == 0) {
        for (uint32_t c = 0; c < kColumnsPerTable; ++c) {
            if (columnSelector != 999 && static_cast<int32_t>(c) != columnSelector)
                continue;
            if (records.Columns[c] == nullptr)
                continue;
            std::memcpy(S::Base + ColumnOffset(slot, c), records.Columns[c], kColumnRecordSize);
            FlushRange(S::Base + ColumnOffset(slot, c), kColumnRecordSize);
        }
    }
    return 0;
}

int32_t TDbKernel::ReadTableRecord(int32_t mode, uint32_t slot, TSlotRecords& out,
                                   bool withColumns) {
    try {
        if (mode == 0)
            return GetDBArchitectureRecord(slot, out, withColumns);
        if (mode == 1 || mode == 2)
            return 0;
        return 999;
    } catch (const std::exception&) {
        return 999;
    }
}

int32_t TDbKernel::WriteTableRecord(int32_t mode, uint32_t slot, int32_t /*flag*/,
                                    int32_t columnSelector, const TSlotRecordsView& records) {
    static constexpr int32_t kActionOfMode[3] = {0, 1, 2};
    if (mode < 0 || mode > 2)
        return 999;
    try {
        return WriteDBArchitectureRecord(slot, kActionOfMode[mode], columnSelector, records);
    } catch (const std::exception&) {
        return 999;
    }
}

int32_t TDbKernel::IsAvailableTableID(uint32_t tableID) {
    // An ID outside the slots (999 from GetFirstAvailableTableID) is never available.
    if (!S::IsOpen() || tableID > kLastSlot)
        return 0;
    return InUseOf(tableID) == 0 ? -1 : 0;
}

uint32_t TDbKernel::GetFirstAvailableTableID() {
    if (!S::IsOpen())
        return kNoTableID;
    for (uint32_t id = kFirstUserTableID; id <= kLastAllocatableTableID; ++id)
        if (InUseOf(id) == 0)
            return id;
    return kNoTableID;
}

namespace {
// The stored name of a slot equals the converted name over at most 30
// bytes, stopping after the converted name's zero byte.
bool NameMatches(uint32_t slot, const char* converted) {
    const char* stored = reinterpret_cast<const char*>(S::Base + SlotOffset(slot));
    for (uint32_t i = 0; i < kNameSignificantChars; ++i) {
        if (stored[i] != converted[i])
            return false;
        if (converted[i] == 0)
            break;
    }
    return true;
}
}  // namespace

int32_t TDbKernel::IsDuplicateTableName(const std::string& name) {
    if (!S::IsOpen())
        return 0;
    char buffer[kNameAreaSize];
    ConvToSpecialChars(name, kNameSignificantChars, buffer, sizeof buffer, 1);
    for (uint32_t slot = kFirstUserTableID; slot <= kLastSlot; ++slot)
        if (NameMatches(slot, buffer))
            return -1;
    return 0;
}

uint32_t TDbKernel::GetTableIDFromName(const std::string& name) {
    if (!S::IsOpen())
        return kNoTableID;
    char buffer[kNameAreaSize];
    ConvToSpecialChars(name, kNameSignificantChars, buffer, sizeof buffer, 1);
    if (buffer[0] == 0)
        return kNoTableID;
    for (uint32_t slot = kFirstUserTableID; slot <= kLastSlot; ++slot)
        if (NameMatches(slot, buffer))
            return S::U32(SlotOffset(slot) + kTableRecTableIDOffset);
    return kNoTableID;
}

void TDbKernel::GetNameFromTableID(uint32_t tableID, std::string& name) {
    name.clear();
    if (!S::IsOpen() || tableID == 0)
        return;
    for (uint32_t slot = kFirstUserTableID; slot <= kLastSlot; ++slot) {
        if (S::U32(SlotOffset(slot) + kTableRecTableIDOffset) != tableID)
            continue;
        const char* stored = reinterpret_cast<const char*>(S::Base + SlotOffset(slot));
        name.assign(stored, ::strnlen(stored, kNameAreaSize));
        return;
    }
}

void TDbKernel::ConvToSpecialChars(const std::string& text, uint32_t count, char* buffer,
                                   uint32_t bufferSize, int32_t upper) {
    if (buffer == nullptr || bufferSize == 0)
        return;
    const uint32_t n = count < bufferSize ? count : bufferSize;
    std::memset(buffer, 0, n);
    const size_t copy = text.size() < bufferSize - 1 ? text.size() : bufferSize - 1;
    std::memcpy(buffer, text.data(), copy);
    buffer[copy] = 0;
    if (upper != 0)
        for (uint32_t i = 0; i < n; ++i)
            if (buffer[i] >= 'a' && buffer[i] <= 'z')
                buffer[i] = static_cast<char>(buffer[i] - 'a' + 'A');
}

// ---- Text ----

void TDbKernel::Pad(const std::string& text, int32_t width, std::string& result) {
    result = text;
    if (width < 0 || static_cast<int64_t>(text.size()) >= width)
        return;
    result.append(static_cast<size_t>(width) + 1 - text.size(), ' ');
}
