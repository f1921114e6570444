// Input: a list of patches laid over the log template before it is opened.
// Each patch starts with a kind byte; the bytes after it pick the target and
// the new bytes. Kinds (kind byte % 6):
//   0 table slots 5..10, any offset:        u24 offset, u8 length-1 (%16), bytes
//   1 a column record word:                 u8 slot, u8 column, u8 word, value
//   2 a bucket word in use:                 u16 index, value
//   3 a row header word (TableID/RowID/Tail): u16 row, u8 word, value
//   4 row bytes:                            u16 row, u16 offset, u8 length-1 (%16), bytes
//   5 anywhere in the file:                 u32 offset, 4 bytes
// A value is a selector byte and its operand: 0 another row's offset (u16),
// 1 a raw u32, 2 zero, 3 an interesting constant (u8), 4 the old value
// plus a signed byte.
#include <cstring>
#include <string>
#include <vector>

#include "FuzzGuard.h"
#include "FuzzTargets.h"
#include "TFuzzWorkspace.h"
#include "TPatchedDbFile.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "records/TDbSystemSettings.h"
#include "records/TLogExport.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "schema/TDBResultSet.h"

using namespace DbFormat;

namespace {
constexpr uint32_t kInteresting[] = {0,
                                     1,
                                     2,
                                     3,
                                     4,
                                     5,
                                     6,
                                     10,
                                     30,
                                     65,
                                     98,
                                     99,
                                     100,
                                     255,
                                     256,
                                     999,
                                     1000,
                                     kDataRegionBase,
                                     kDataRegionBase + 4,
                                     kDbFileSize - 4,
                                     kDbFileSize,
                                     0x7FFFFFFF,
                                     0x80000000,
                                     0xFFFFFFFF,
                                     kDataPageSize,
                                     kBucketRegionBase,
                                     1865268};

class TReader {
public:
    TReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
    bool More() const { return p_ < end_; }
    uint32_t U8() { return p_ < end_ ? *p_++ : 0; }
    uint32_t U16() { return U8() | (U8() << 8); }
    uint32_t U24() { return U16() | (U8() << 16); }
    uint32_t U32() { return U16() | (U16() << 16); }
    std::vector<uint8_t> Bytes(size_t n) {
        std::vector<uint8_t> out;
        while (n-- > 0 && p_ < end_) out.push_back(*p_++);
        return out;
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

std::vector<uint8_t> Word(uint32_t v) {
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
}

uint32_t Value(TReader& in, uint32_t old) {
    const auto& rows = TFuzzWorkspace::Get().Rows();
    switch (in.U8() % 5) {
        case 0:
            return rows.empty() ? 0 : rows[in.U16() % rows.size()].Offset;
        case 1:
            return in.U32();
        case 2:
            return 0;
        case 3:
            return kInteresting[in.U8() % (sizeof kInteresting / sizeof kInteresting[0])];
        default:
            return old + static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(in.U8())));
    }
}

void ReadPatches(const uint8_t* data, size_t size, std::vector<TPatchedDbFile::TPatch>& patches) {
    TFuzzWorkspace& ws = TFuzzWorkspace::Get();
    const auto& rows = ws.Rows();
    const auto& buckets = ws.BucketWords();
    TReader in(data, size);
    while (in.More() && patches.size() < 64) {
        TPatchedDbFile::TPatch patch;
        switch (in.U8() % 6) {
            case 0: {
                const uint32_t first = kFirstUserTableID * kTableSlotSize;
                patch.Offset = first + in.U24() % (6 * kTableSlotSize);
                patch.Bytes = in.Bytes(in.U8() % 16 + 1);
                break;
            }
            case 1: {
                const uint32_t slot = kFirstUserTableID + in.U8() % 6;
                const uint32_t column = in.U8() % kColumnsPerTable;
                const uint32_t word = kColRecPositionOffset + (in.U8() % 6) * 4;
                patch.Offset =
                    slot * kTableSlotSize + kTableRecordSize + column * kColumnRecordSize + word;
                patch.Bytes = Word(Value(in, 0));
                break;
            }
            case 2: {
                if (buckets.empty())
                    return;
                patch.Offset = buckets[in.U16() % buckets.size()];
                patch.Bytes = Word(Value(in, 0));
                break;
            }
            case 3: {
                if (rows.empty())
                    return;
                const TFuzzWorkspace::TRowSlot& row = rows[in.U16() % rows.size()];
                const uint32_t which = in.U8() % 3;
                patch.Offset = row.Offset + (which == 0   ? kRowTableIDOffset
                                             : which == 1 ? kRowRowIDOffset
                                                          : kRowFieldsOffset + row.RowSize);
                const uint32_t old = which == 0 ? row.TableID : which == 1 ? row.Offset : 0;
                patch.Bytes = Word(Value(in, old));
                break;
            }
            case 4: {
                if (rows.empty())
                    return;
                const TFuzzWorkspace::TRowSlot& row = rows[in.U16() % rows.size()];
                patch.Offset = row.Offset + in.U16() % (row.RowSize + kRowOverhead);
                patch.Bytes = in.Bytes(in.U8() % 16 + 1);
                break;
            }
            default:
                patch.Offset = in.U32() % kDbFileSize;
                patch.Bytes = in.Bytes(4);
                break;
        }
        if (!patch.Bytes.empty())
            patches.push_back(std::move(patch));
    }
}
}  // namespace

int FuzzDbImage(const uint8_t* data, size_t size) {
    TFuzzWorkspace& ws = TFuzzWorkspace::Get();
    const std::string& path = ws.LogTemplate();
    std::vector<TPatchedDbFile::TPatch> patches;
    ReadPatches(data, size, patches);
    TPatchedDbFile::Pending() = std::move(patches);
    if (!ws.Open(path)) {
        ws.Close();
        return 0;
    }

    std::string report;
    FuzzGuard([&] { DbKernel->CheckDatabase(report, 0); });
    FuzzGuard([&] {
        int32_t count = 0;
        TLogExport::ExportToFile(ws.Dir() + "/export.txt", count);
    });
    // Reads by key: contacts of the template's days, by call sign, texts, settings.
    TQSOs qsos;
    FuzzGuard([&] { qsos.LoadDay("01/02/2002", "01/04/2002"); });
    for (const char* call : {"W1AW", "K1ABC", "DL1XYZ", "JA1ZZZ/P", ""}) {
        FuzzGuard([&] {
            TDBResultSet rs;
            if (rs.Open(TQSOs::kLogTable, call, call) == TDBResultSet::kOK)
                while (rs.Eof == 0) rs.Next();
        });
    }
    FuzzGuard([&] {
        TDBResultSet rs;
        rs.Open("HAMCLS", "K1ABC", "K1ABC");
    });
    TQSOMemos memos;
    for (int32_t n = 1; n <= 5; ++n) FuzzGuard([&] { memos.LoadForQSO(n); });
    TDbSystemSettings settings;
    FuzzGuard([&] { settings.Load("STATION_CALL", "STATION_CALL"); });
    FuzzGuard([&] { settings.Load("UTC_SHIFT", "UTC_SHIFT"); });

    // Writes and deletes.
    FuzzGuard([&] {
        TQSO* q = qsos.AddQSO("01/03/2002", "W1AW", "13:00", "13:05", "7.010", 5, "CW", 599, 579, 1,
                              0, 2, "05", "U.S.A.", "", "FN31", "", 0, "", "", "", "");
        if (q != nullptr)
            memos.SaveText(q->QSOID, "stored over a damaged file");
    });
    FuzzGuard([&] { settings.Save("UTC_SHIFT", "-3"); });
    FuzzGuard([&] { settings.Save("NEW_SETTING", "value"); });
    FuzzGuard([&] {
        qsos.LoadDay("01/02/2002", "01/02/2002");
        if (!qsos.QSOs.empty())
            qsos.DeleteQSO(*qsos.QSOs.front());
    });
    FuzzGuard([&] { DbKernel->CheckDatabase(report, 0); });
    FuzzGuard([&] {
        std::vector<std::string> lines;
        DbKernel->GetHashBucketContents(6, 0, 0, "W1AW", lines);
        int32_t deleted = 0;
        DbKernel->RawScanTable(65, 6, deleted, lines, 0);
    });
    ws.Close();
    return 0;
}

#ifdef TRAMB_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDbImage(data, size);
}
#endif
