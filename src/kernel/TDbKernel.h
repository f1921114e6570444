// The storage kernel: one database file of fixed size mapped as one view,
// table slots, hash buckets and data pages, rows written and read in place.
// One kernel object per process (DbKernel); the open database is
// process-wide state shared by all kernel objects.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kernel/DbFormat.h"
#include "kernel/KernelRecords.h"
#include "kernel/TDBFields.h"

class TDbFile;
class TRowView;
struct TRowLayout;

class TDbKernel {
public:
    TDbKernel();   // creates the process-wide TDbKernelHelperFunctions
    ~TDbKernel();  // frees it

    // ---- File and mapping ----
    // Opens (or creates) the file read-write, exclusively. Handle >= 0, or -1.
    int32_t OpenDBFile(const std::string& fileName);
    // Maps size bytes of the open file; Base, or nullptr when that fails.
    uint8_t* GetPointerToBaseOfMapping(int32_t& fileHandle, uint32_t size);
    int32_t StartExistingDB(const std::string& fileName);  // 0 / 999
    // Why the last start or create failed, for the operator ("There is not
    // enough free disk space …"); empty when it succeeded or the reason
    // has no message of its own.
    static const std::string& StartError();
    static std::string NoDiskRoomMessage();
    int32_t CreateInitialDB(const std::string& fileName);  // 0 / 999
    int32_t CloseDB();                                     // 0 / 999
    // 0 when a file of exactly that (bare) name exists in the current
    // directory, same case; 999 otherwise.
    int32_t FileExistsBetter(const std::string& fileName);
    int32_t CreateKernelMappingInMemory(int32_t continueFlag, const TSlotRecordsView& records);
    uint8_t* GetHashBucketsPointer(int32_t tableID);
    uint8_t* GetDataPagesPointer();
    int32_t FlushRange(const uint8_t* address, uint32_t count);

    // ---- Bootstrap ----
    int32_t InitializeMetaRecs();
    int32_t InitDefinitionStructure();
    int32_t InitSysUsers();
    int32_t InitSysTables();
    int32_t InitSysLocks();

    // ---- Table and column records ----
    // withColumns false: the table record only (the columns stay null).
    int32_t GetDBArchitectureRecord(uint32_t slot, TSlotRecords& out, bool withColumns = true);
    // action 1: table record; 0: columns (all when selector 999, else that one); 2: nothing.
    int32_t WriteDBArchitectureRecord(uint32_t slot, int32_t action, int32_t columnSelector,
                                      const TSlotRecordsView& records);
    int32_t ReadTableRecord(int32_t mode, uint32_t slot, TSlotRecords& out,
                            bool withColumns = true);
    int32_t WriteTableRecord(int32_t mode, uint32_t slot, int32_t flag, int32_t columnSelector,
                             const TSlotRecordsView& records);
    int32_t IsAvailableTableID(uint32_t tableID);           // -1 / 0
    uint32_t GetFirstAvailableTableID();                    // 999 when none is free
    int32_t IsDuplicateTableName(const std::string& name);  // -1 / 0
    uint32_t GetTableIDFromName(const std::string& name);   // 999 when unknown or empty
    void GetNameFromTableID(uint32_t tableID, std::string& name);
    // Zeroes count bytes of buffer, copies text and a zero byte (never past
    // bufferSize), upper-cases a..z in the first count bytes when upper != 0.
    void ConvToSpecialChars(const std::string& text, uint32_t count, char* buffer,
                            uint32_t bufferSize, int32_t upper);

    // ---- Rows ----
    int32_t WriteDataRow(uint32_t tableID, int32_t& found, TDBFields& fields,
                         uint8_t rejectExisting);
    int32_t ReadDataRow(uint32_t tableID, TDBFields& fields, int32_t occurrence,
                        const std::string& key);
    // Every row that ReadDataRow would give for occurrence 1, 2, 3, … of the
    // key, read in one walk of the chain: out receives, in chain order, one
    // copy of fieldsTemplate per row, filled as ReadDataRow fills its list
    // (the template is the list ReadDataRow would be handed: its key field
    // holds the key). In a table without multi key that is the key's one
    // row. 0 when a row was found, 999 when none. A corrupt chain raises
    // ExcCorruptDataPages as the walk does, with the rows before the damage
    // already in out.
    int32_t ReadAllOccurrences(uint32_t tableID, const TDBFields& fieldsTemplate,
                               const std::string& key, std::vector<TDBFieldsPtr>& out);
    // Hands each row that ReadAllOccurrences would read (the key's one row in
    // a table without multi key) to visit, in chain order, read in place:
    // nothing is copied unless the visitor asks for a field. 0 when a row
    // was visited, 999 when none. A corrupt chain raises as the walk does,
    // after the rows before the damage were visited.
    int32_t VisitKeyRows(uint32_t tableID, const std::string& key,
                         const std::function<void(const TRowView&)>& visit);
    // The table's row layout, the index of its key field and whether that is
    // a multi key; false when no table of that ID is in use or it has no key.
    bool DescribeTable(uint32_t tableID, TRowLayout& layout, int32_t& keyIndex, bool& multiKey);
    // Hands every live row that a chain of the table reaches to visit, with
    // its bucket and its place in that chain (0 first), in file order, read
    // in place. Nothing is shown: false as soon as a chain is not one a
    // key's walk would follow to its end without a message or an exception
    // (a bad link, a slot of another table or a free one, a row met twice,
    // a field of unknown type); the rows visited then are no answer.
    bool VisitSoundChains(
        uint32_t tableID, const TRowLayout& layout,
        const std::function<void(int32_t bucket, uint32_t position, uint32_t slotOffset)>& visit);
    // An empty field list of the table; nullptr when no table of that ID is in
    // use. Without bypass the kernel's cached (shared) list may be answered.
    TDBFieldsPtr CreateEmptyFieldsObject(uint32_t tableID, int32_t bypassCache);
    int32_t GetGUID(int32_t n) { return n; }
    // Forgets the cached field list and RowSize of a table (dropped or created).
    void ForgetTable(uint32_t tableID);

    // ---- Pages and buckets ----
    uint8_t* GetWriteDataPointer(TDBFields& fields, uint32_t tableID, int32_t& found,
                                 uint32_t& previous);
    uint8_t* GetReadDataPointer(TDBFields& fields, uint32_t tableID, int32_t occurrence,
                                const std::string& key);
    uint8_t* GetExistingReadDataPointer(uint32_t firstOffset, uint32_t tableID, uint32_t& previous,
                                        int32_t& found, int32_t occurrence, int32_t mode,
                                        uint32_t rowSizePlus8, const std::string& key,
                                        int32_t keyIndex);
    uint8_t* FindRowForWrite(uint32_t tableID, int32_t& found, uint32_t& previous,
                             TDBFields& fields);
    uint8_t* NewWriteDataPointer(uint32_t tableID, TDBFields& fields);
    // pages[1..] receive page addresses (nullptr for other tables' pages).
    int32_t GetDataPagesList(uint8_t* pagesBase, std::vector<uint8_t*>& pages, int32_t& first,
                             uint32_t tableID);
    // The free slot after the page's last used one (a slot is used when its
    // TableID word is not 0), 0 when the page is full. Raises
    // ExcCorruptDataPages when the page is damaged: a slot from that one on
    // is used or carries a RowID.
    uint32_t FindFirstEmptyDataSpace(uint8_t* page, uint32_t tableID, TDBFields& fields);
    uint8_t* GetNewPagePointer(uint32_t tableID, uint8_t* pagesBase);
    int32_t LinkRowToChain(uint32_t newOffset, uint32_t previousOffset, TDBFields& fields,
                           int32_t found);
    void CheckAccess(const uint8_t* address, bool isWrite, uint32_t count,
                     const std::string& caption);
    // Whether new rows fit, taken in the order given as (table ID, number of
    // rows): each takes one slot (a row starting a chain as much as one
    // appended to it) in its table's last page while that page has a free
    // slot, else in the first free page, as WriteDataRow places them.
    // Nothing is written. False as well for a table not in use.
    bool HasRoomForRows(const std::vector<std::pair<uint32_t, uint32_t>>& rows);

    // ---- Deletion and truncation ----
    int32_t MarkDataRowDeleted(TDBFields& fields);
    // The RowID MarkDataRowDeleted would zero, without changing anything: 0
    // when the list has no RowID field. Throws as MarkDataRowDeleted does
    // when the row may not be marked: a RowID that is empty or 0, not a row
    // slot of the list's table, a slot whose RowID word names another slot,
    // or not the slot a read filled the list from.
    uint32_t RowToDelete(const TDBFields& fields);
    int32_t BruteForceDeleteDataRows(uint32_t tableID);
    int32_t TruncateTable(const std::string& tableName);

    // ---- Integrity check and diagnostics ----
    int32_t CheckDatabase(std::string& report, uint32_t tableID);
    // tails[n] (n from 1) receives the tail text of the n-th live row.
    int32_t RawScanTable(int32_t selector, uint32_t tableID, int32_t& deleted,
                         std::vector<std::string>& tails, int32_t noTails);
    // lines[n] (n from 0) receives the bucket line of the chain's n-th row.
    int32_t GetHashBucketContents(uint32_t tableID, int32_t keyIndex, int32_t bucket,
                                  const std::string& key, std::vector<std::string>& lines);
    // 999 (and text untouched) when offset is not a row slot inside the data region.
    int32_t ReadRowAt(int32_t selector, uint32_t tableID, uint32_t offset, std::string& text);
    uint32_t ScanForKey(int32_t selector, const std::string& key, uint32_t tableID, uint32_t limit);
    void GetBucketHitCounts(std::vector<std::string>& lines);
    int32_t GetKeyHash(const std::string& key);

    // ---- Salvage: reading past damage (TDbKernelSalvage.cpp) ----
    struct TSalvageCounts {
        int32_t Live = 0;     // rows read and handed out
        int32_t Deleted = 0;  // the table's slots with RowID 0
        int32_t Damaged = 0;  // slots of the table that cannot be read
    };
    // Reads every row of the table a page walk can still read, in storage
    // order, and hands each to visit with its Tail word (the field list
    // filled as RawScanTable fills it). Unlike RawScanTable it does not stop
    // at the first slot of another table: it walks every slot of every page
    // that belongs to the table (by its owner word, or, when that word was
    // changed, by the slots carrying the table's ID) up to the page's last
    // used slot, and skips and counts as damaged each slot there that is
    // neither a row of the table (TableID the table's, RowID the slot's own
    // offset, character fields zero-filled after their text) nor a deleted
    // one (TableID the table's, RowID 0). On a sound file it reads the rows
    // RawScanTable reads, in the same order.
    // Scans of several tables with nothing written between them share what
    // they learn of the pages (each page's used end and owner) through pages.
    struct TSalvagePages {
        bool Known = false;
        uint32_t UsedEnd[DbFormat::kDataPageCount] = {};
        uint32_t Owner[DbFormat::kDataPageCount] = {};
    };
    TSalvageCounts SalvageScanTable(
        uint32_t tableID, const std::function<void(const TDBFields& row, uint32_t tail)>& visit,
        TSalvagePages* pages = nullptr);
    // RawScanTable's tail texts (tails[n], n from 1) for the rows of
    // SalvageScanTable; answers the live rows.
    int32_t SalvageTails(int32_t selector, uint32_t tableID, int32_t& deleted, int32_t& damaged,
                         std::vector<std::string>& tails, TSalvagePages* pages = nullptr);

    // ---- Text ----
    void Pad(const std::string& text, int32_t width, std::string& result);

    // ---- Process-wide state of the open database ----
    static uint8_t* Base();  // nullptr while no database is open
    static uint32_t MapSize();

private:
    // Each data page's used end and owner, for SalvageScanTable.
    void LearnPages(TSalvagePages& pages);
    // FindFirstEmptyDataSpace for rows of rowSize in page pageNo: the slot
    // answered does not fit in the page (SlotFits) when the page is full.
    static uint32_t FirstFreeSlot(uint32_t pageNo, uint32_t rowSize);
    // Writes out an open write batch and forgets the free-slot hints, before
    // an operation that reads or writes the file other than row by row.
    void SettleWrites();
    // How a chain walk ended.
    enum class TWalkEnd { Found, End, FreeSlot, Damaged };

    // The cached list of the table, or nullptr.
    TDBFieldsPtr CachedFields(uint32_t tableID) const;
    // A table's RowSize and layout (from its cached field list); false when
    // the table has no field list.
    bool LayoutOfTable(uint32_t tableID, TRowLayout& layout, TDBFieldsPtr* fieldsOut = nullptr);
    uint8_t* WalkChain(uint32_t firstOffset, uint32_t tableID, const TRowLayout& layout,
                       uint32_t& previous, int32_t& found, int32_t occurrence, int32_t mode,
                       const std::string& key, int32_t keyIndex, TWalkEnd& how,
                       std::vector<uint32_t>* allMatches = nullptr);
    // The slot a row goes to, without changing anything. bucketWord is the
    // offset of the bucket word when the row starts a new chain, else 0.
    // Answers nullptr with damaged set when the chain cannot take a row.
    uint8_t* LocateWriteSlot(TDBFields& fields, uint32_t tableID, int32_t& found,
                             uint32_t& previous, uint32_t& bucketWord, bool& damaged);
    // The key text / tail text / bucket line pieces of the diagnostics.
    std::string KeyText(int32_t selector, const TDBFields& fields, bool omitEmpty) const;
    void ReadRowInto(uint32_t slotOffset, const TRowLayout& layout, TDBFields& fields,
                     bool trimmed) const;

    // Live rows of one bucket's chain of a table of the given layout; the
    // bucket lines go to lines when it is not null.
    int32_t BucketContents(uint32_t tableID, const TRowLayout& layout, TDBFields& scratch,
                           int32_t bucket, std::vector<std::string>* lines);

    std::vector<TDBFieldsPtr> fieldsCache_;
    // The helper object this kernel created; a kernel destroyed after a newer
    // one was made leaves the newer one's helper alone.
    void* ownHelper_ = nullptr;
};

// The process's kernel object (created by TDatabase::StartDatabase).
extern TDbKernel* DbKernel;
