#include "TFuzzWorkspace.h"

#include <cstring>
#include <stdexcept>

#include "HardeningFiles.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TProfiler.h"
#include "records/TDbSystemSettings.h"
#include "records/THolderImport.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "schema/TDBRows.h"

using namespace DbFormat;

TFuzzWorkspace& TFuzzWorkspace::Get() {
    static TFuzzWorkspace workspace;
    return workspace;
}

TFuzzWorkspace::TFuzzWorkspace() : dir_(HardeningFiles::MakeTempDir("fuzz")) {
    if (dir_.empty())
        throw std::runtime_error("cannot make a scratch directory");
    BuildLogTemplate();
    MeasureLogTemplate();
}

TFuzzWorkspace::~TFuzzWorkspace() {
    Close();
    SetDbFileFactory({});
    std::filesystem::remove_all(dir_);
}

void TFuzzWorkspace::BuildLogTemplate() {
    log_ = dir_ + "/log.sib";
    const std::string holders = dir_ + "/holders.txt";
    std::ofstream(holders, std::ios::binary)
        << "K1ABC|John|Smith|Boston|MA\r\nW1AW|Hiram|Maxim|Newington|CT\r\nN0CALL|A|B|C|D\r\n";
    const bool made = HardeningFiles::MakeLogDatabase(log_, [&] {
        const char* const contacts[][3] = {{"01/02/2002", "W1AW", "first contact, good signal"},
                                           {"01/02/2002", "K1ABC", ""},
                                           {"01/03/2002", "W1AW", "again, on 40 m"},
                                           {"01/03/2002", "dl1xyz", ""},
                                           {"01/04/2002", "JA1ZZZ/P", "portable"}};
        TQSOs qsos;
        TQSOMemos memos;
        for (const auto& [date, call, text] : contacts) {
            TQSO* q = qsos.AddQSO(date, call, "12:30", "12:45", "14.070", 100, "SSB", 59, 57, 0, 1,
                                  1, "5", "U.S.A.", "Wake", "FN31", "W1XX", 0, "A", "B", "C", "D");
            if (q && *text)
                memos.SaveText(q->QSOID, text);
        }
        for (const auto& [name, value] :
             {std::pair{"STATION_CALL", "W4ABC"}, std::pair{"UTC_SHIFT", "5"},
              std::pair{"DEFAULT_MODE", "SSB"}})
            TDbSystemSettings().Save(name, value);
        THolderImport().ImportData(holders, THolderImport::kTable, 1, 100);
    });
    if (!made)
        throw std::runtime_error("cannot build the log template " + log_);
}

// Finds, straight from the template's bytes, the row slots of every table
// in use and the bucket words that lead somewhere.
void TFuzzWorkspace::MeasureLogTemplate() {
    const std::string image = HardeningFiles::ReadFile(log_);
    const auto u32 = [&](uint32_t off) {
        uint32_t v = 0;
        if (off + 4 <= image.size())
            std::memcpy(&v, image.data() + off, 4);
        return v;
    };
    for (uint32_t t = kFirstUserTableID; t <= kLastAllocatableTableID; ++t) {
        const uint32_t slot = t * kTableSlotSize;
        if (u32(slot + kTableRecInUseOffset) == 0)
            continue;
        uint32_t rowSize = 0;
        for (uint32_t c = 0; c < kColumnsPerTable; ++c) {
            const uint32_t at = slot + kTableRecordSize + c * kColumnRecordSize;
            const uint32_t type = u32(at + kColRecDataTypeOffset);
            rowSize += type == kTypeInteger     ? kIntegerFieldSize
                       : type == kTypeCharacter ? u32(at + kColRecLengthOffset)
                                                : 0;
        }
        const uint32_t block = kBucketRegionBase + (t + 1) * kBucketBlockSize;
        for (uint32_t b = block; b < block + kBucketCount * kBucketWordSize; b += kBucketWordSize)
            if (u32(b) != 0)
                buckets_.push_back(b);
        for (uint32_t page = 0; page < kDataPageCount; ++page) {
            const uint32_t start = kDataRegionBase + page * kDataPageSize;
            for (uint32_t s = start; s + rowSize + kRowOverhead < start + kDataPageSize &&
                                     s + rowSize + kRowOverhead < kDbFileSize && u32(s) == t;
                 s += rowSize + kRowOverhead)
                rows_.push_back(TRowSlot{s, rowSize, t});
        }
    }
}

// The schema (table and column definitions) is read by a full start only
// when the slot region may differ from the last one read: the first time,
// after an input that patched or wrote it, after a failed start. Otherwise
// the kernel alone reopens the file; its field lists, which carry values
// between operations, are still dropped so that no input sees another's.
bool TFuzzWorkspace::Open(std::vector<TFuzzDbFile::TPatch> patches) {
    for (const TFuzzDbFile::TPatch& p : patches)
        schemaRead_ = schemaRead_ && p.Offset >= kTableSlotRegionSize;
    TFuzzDbFile::Install(log_, std::move(patches));
    if (schemaRead_ && DbKernel != nullptr) {
        for (uint32_t t = 0; t <= kLastSlot; ++t) DbKernel->ForgetTable(t);
        if (DbKernel->StartExistingDB(log_) == 0)
            return true;
    } else {
        db_ = std::make_unique<TDatabase>();
        schemaRead_ = db_->StartDatabase(log_) == 0 && TDbKernel::Base() != nullptr;
        if (schemaRead_)
            return true;
    }
    Close();
    return false;
}

// What an input allocated in the row layer's and the profiler's
// process-wide lists is freed before it ends: an input whose allocations
// outlive it is taken by the fuzzer's leak detection as a possible leak
// and run again.
void TFuzzWorkspace::Close() {
    if (DbKernel != nullptr && TDbKernel::Base() != nullptr)
        DbKernel->CloseDB();
    schemaRead_ = !TFuzzDbFile::Restore(kTableSlotRegionSize) && schemaRead_;
    // A schema the next input must read again is dropped now: what an input
    // allocates and still holds at its end makes the fuzzer run it again
    // to look for a leak.
    if (!schemaRead_)
        db_.reset();
    TDBRows::Reset();
    if (Profiler != nullptr)
        Profiler->Clear();
    TFuzzDbFile::Install(log_, {});
}
