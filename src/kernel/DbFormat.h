// The on-disk layout of a Tramb database file. Every byte offset, size and
// code that the kernel reads or writes is named here; nothing else in the code
// may hard-wire a number of the format.
//
// A database is one file of exactly kDbFileSize bytes, mapped as one view and
// changed in place. All integers are 32-bit little-endian. A "position" or
// "offset" is an unsigned 32-bit byte offset from the start of the file.
//
//   offset 0            table slots: slot s (0..100) at s * kTableSlotSize
//                         +0    table record     (kTableRecordSize bytes)
//                         +268  column record c  (kColumnRecordSize bytes, c = 0..64)
//   kBucketRegionBase   bucket block of table ID t at kBucketRegionBase + (t + 1) * kBucketBlockSize
//                         (slot 100 lies inside the unused block of "table -1"; the rest of
//                         that block, from kIntentAreaBase, holds the write-intent record)
//   kDataRegionBase     data page p at kDataRegionBase + p * kDataPageSize
//                         pages 0..6 whole, page 7 only partly inside the file
//
// Table record, 268 bytes:
//   +0   char[256] name, up to the first zero byte
//   +256 u32 TableID     (the slot number for user tables)
//   +260 u32 OwnerWord   (1 from the bootstrap, 0 once saved or dropped; never read)
//   +264 u32 InUse       (non-zero = allocated)
//
// Column record, 280 bytes:
//   +0   char[256] name
//   +256 u32 Position    (0-based ordinal in the row encoding)
//   +260 u32 DataType    (kTypeInteger, kTypeCharacter, kTypeText, kTypePassword, kTypeFree)
//   +264 u32 Length      (bytes of a character column, 0 for integers)
//   +268 u32 KeyType     (kKeyPrimary, kKeyNone, kKeyForeign, kKeyMulti)
//   +272 u32 Reserved1   (stored, never interpreted)
//   +276 u32 Reserved2
//
// Bucket block: kBucketCount u32 words; word h = offset of the first row of
// bucket h's chain, 0 = empty.
//
// Data page: the first u32 is the TableID of its first row slot (0 = free page).
// Row slot, RowSize + kRowOverhead bytes:
//   +0            u32 TableID   (0 = free slot)
//   +4            u32 RowID     (the slot's own offset; 0 = deleted row)
//   +8            field bytes   (RowSize bytes, columns in position order:
//                                integer 4 bytes signed, character Length bytes
//                                zero-padded, no terminator when full)
//   +8 + RowSize  u32 Tail      (offset of the next row of the bucket chain, 0 = end)
//
// Write-intent record, at kIntentAreaBase (all zero when there is none):
//   +0   u32 kIntentMagic
//   +4   u32 N, the words to write
//   +8   u32 R, the byte ranges they rely on
//   +12  N x (u32 offset, u32 value) in the order they are written: bucket
//        words and row RowID and Tail words only
//   then R x (u32 offset, u32 length, u32 FNV-1a of those bytes of the file as
//        they are once the N words are written), inside the data region
//   then u32 FNV-1a of everything before it
// A record that passes both kinds of checksum is written again at the next
// open, then cleared.
#pragma once

#include <cstdint>

namespace DbFormat {

constexpr uint32_t kDbFileSize = 45000000;
constexpr const char* kDefaultDbFileName = "db_default.sib";

// Table slots.
constexpr uint32_t kNameAreaSize = 256;
constexpr uint32_t kNameSignificantChars = 30;  // names compare over 30 characters
constexpr uint32_t kTableRecordSize = 268;
constexpr uint32_t kColumnRecordSize = 280;
constexpr uint32_t kColumnsPerTable = 65;
constexpr uint32_t kTableSlotSize = kTableRecordSize + kColumnsPerTable * kColumnRecordSize;  // 18,468
constexpr uint32_t kTableSlotCount = 101;  // slots 0..100
constexpr uint32_t kTableSlotRegionSize = kTableSlotCount * kTableSlotSize;  // 1,865,268
constexpr uint32_t kLastSlot = 100;

// Field offsets inside a table record.
constexpr uint32_t kTableRecNameOffset = 0;
constexpr uint32_t kTableRecTableIDOffset = 256;
constexpr uint32_t kTableRecOwnerWordOffset = 260;
constexpr uint32_t kTableRecInUseOffset = 264;

// Field offsets inside a column record.
constexpr uint32_t kColRecNameOffset = 0;
constexpr uint32_t kColRecPositionOffset = 256;
constexpr uint32_t kColRecDataTypeOffset = 260;
constexpr uint32_t kColRecLengthOffset = 264;
constexpr uint32_t kColRecKeyTypeOffset = 268;
constexpr uint32_t kColRecReserved1Offset = 272;
constexpr uint32_t kColRecReserved2Offset = 276;

// Table IDs. System tables sit in slots 0..2 with IDs 1..3; slots 3 and 4 are
// never allocated; user tables have ID = slot number.
constexpr uint32_t kFirstUserTableID = 5;
constexpr uint32_t kLastUserTableID = 100;
// IDs 99 and 100 are never handed out: their bucket blocks would lie on data page 0.
constexpr uint32_t kLastAllocatableTableID = 98;
constexpr uint32_t kSysUsersTableID = 1;
constexpr uint32_t kSysTablesTableID = 2;
constexpr uint32_t kSysLocksTableID = 3;
constexpr uint32_t kNoTableID = 999;  // "no such table" / "no ID free"

// The region start constants are built as the kernel always built them:
// 100 slots (not 101) before the buckets, 100 bucket blocks before the pages.
constexpr uint32_t kBucketRegionBase = 100 * kTableRecordSize + 100 * kColumnsPerTable * kColumnRecordSize;  // 1,846,800
constexpr uint32_t kBucketCount = 10000;
constexpr uint32_t kBucketWordSize = 4;
constexpr uint32_t kBucketBlockSize = kBucketCount * kBucketWordSize;  // 40,000
constexpr uint32_t kDataRegionBase = kBucketRegionBase + 100 * kBucketBlockSize;  // 5,846,800
constexpr uint32_t kDataPageSize = 5000000;
constexpr uint32_t kDataRegionSize = kDbFileSize - kDataRegionBase;  // 39,153,200
constexpr uint32_t kDataPageCount = 8;  // pages 0..7 touch the file; page 7 only partly

// Write-intent record.
constexpr uint32_t kIntentAreaBase = kBucketRegionBase + kTableSlotSize;   // 1,865,268
constexpr uint32_t kIntentAreaEnd = kBucketRegionBase + kBucketBlockSize;  // 1,886,800
constexpr uint32_t kIntentAreaSize = kIntentAreaEnd - kIntentAreaBase;     // 21,532
constexpr uint32_t kIntentMagic = 0x544E5749;                              // "IWNT"
constexpr uint32_t kIntentHeaderSize = 12;
constexpr uint32_t kIntentWordSize = 8;
constexpr uint32_t kIntentRangeSize = 12;
constexpr uint32_t kIntentChecksumSize = 4;
constexpr uint32_t kFnvBasis = 2166136261u;
constexpr uint32_t kFnvPrime = 16777619u;

// Hashing: the sum over the first kHashChars characters of position * code.
constexpr uint32_t kHashChars = 6;
constexpr uint32_t kMaxHash = 21 * 255;  // 5,355
constexpr uint32_t kBucketHitCounters = 10001;  // indexes 0..10000

// Row slot.
constexpr uint32_t kRowTableIDOffset = 0;
constexpr uint32_t kRowRowIDOffset = 4;
constexpr uint32_t kRowFieldsOffset = 8;
constexpr uint32_t kRowOverhead = 12;  // TableID + RowID + Tail
constexpr uint32_t kIntegerFieldSize = 4;

// Column data types.
constexpr uint32_t kTypeInteger = 0;
constexpr uint32_t kTypeCharacter = 1;
constexpr uint32_t kTypeText = 2;       // system tables only
constexpr uint32_t kTypePassword = 99;  // system tables only
constexpr uint32_t kTypeFree = 999;     // free column slot

// Key types.
constexpr uint32_t kKeyPrimary = 1;
constexpr uint32_t kKeyNone = 2;
constexpr uint32_t kKeyForeign = 3;
constexpr uint32_t kKeyMulti = 4;

// Bootstrap values.
constexpr const char* kFreeTableName = "UNALLOCATED TABLE";
constexpr const char* kFreeColumnName = "UNALLOCATED COLUMN";
constexpr uint32_t kBootstrapOwnerWord = 1;
constexpr uint32_t kBootstrapFreeTableID = 1;
constexpr uint32_t kBootstrapReserved = 999;
// Columns created through SQL carry this in both reserved words.
constexpr int32_t kSqlReserved = 2147483647;

static_assert(kTableSlotSize == 18468);
static_assert(kTableSlotRegionSize == 1865268);
static_assert(kBucketRegionBase == 1846800);
static_assert(kDataRegionBase == 5846800);
static_assert(kDataRegionSize == 39153200);
static_assert(kIntentAreaBase == kTableSlotRegionSize && kIntentAreaSize == 21532);

}  // namespace DbFormat
