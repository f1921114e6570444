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
// The input's last byte (it also belongs to the patches) picks the one
// operation that runs over the damaged file (modulo their number), so that
// each input costs one operation and the fuzzer learns which of them a
// damage reaches; with its top bit set, a write is followed by a read of
// what it changed. (Running them all in turn for some byte values made those
// inputs, which reach the most code, the ones the fuzzer kept and mutated:
// they took two thirds of its time.)
#include <cstring>
#include <functional>

#include "FuzzGuard.h"
#include "FuzzTargets.h"
#include "TFuzzWorkspace.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "records/TDbSystemSettings.h"
#include "records/TLogExport.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "schema/TDBResultSet.h"

using namespace DbFormat;

namespace {
// clang-format off
constexpr uint32_t kInteresting[] = {
    0, 1, 2, 3, 4, 5, 6, 10, 30, 65, 98, 99, 100, 255, 256, 999, 1000,
    kDataRegionBase, kDataRegionBase + 4, kDbFileSize - 4, kDbFileSize, 0x7FFFFFFF, 0x80000000,
    0xFFFFFFFF, kDataPageSize, kBucketRegionBase, 1865268};
// clang-format on

class TReader {
public:
    TReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
    bool More() const { return p_ < end_; }
    uint32_t U8() { return p_ < end_ ? *p_++ : 0; }
    uint32_t U16() { return U8() | (U8() << 8); }
    uint32_t U32() { return U16() | (U16() << 16); }
    std::vector<uint8_t> Bytes(size_t n) {
        std::vector<uint8_t> out;
        while (n-- > 0 && p_ < end_) out.push_back(*p_++);
        return out;
    }
    // A value over an old one, as the selector byte says.
    std::vector<uint8_t> Value(uint32_t old) {
        const auto& rows = TFuzzWorkspace::Get().Rows();
        const uint32_t kind = U8() % 5;
        uint32_t v = kind == 0   ? (rows.empty() ? 0 : rows[U16() % rows.size()].Offset)
                     : kind == 1 ? U32()
                     : kind == 2 ? 0
                     : kind == 3 ? kInteresting[U8() % std::size(kInteresting)]
                                 : old + static_cast<uint32_t>(static_cast<int8_t>(U8()));
        std::vector<uint8_t> b(4);
        std::memcpy(b.data(), &v, 4);
        return b;
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

std::vector<TFuzzDbFile::TPatch> ReadPatches(const uint8_t* data, size_t size) {
    const auto& rows = TFuzzWorkspace::Get().Rows();
    const auto& buckets = TFuzzWorkspace::Get().BucketWords();
    std::vector<TFuzzDbFile::TPatch> patches;
    TReader in(data, size);
    while (in.More() && patches.size() < 64) {
        TFuzzDbFile::TPatch p;
        const uint32_t kind = in.U8() % 6;
        if ((kind == 2 && buckets.empty()) || ((kind == 3 || kind == 4) && rows.empty()))
            break;
        const TFuzzWorkspace::TRowSlot row =
            kind == 3 || kind == 4 ? rows[in.U16() % rows.size()] : TFuzzWorkspace::TRowSlot{};
        if (kind == 0) {
            p.Offset = kFirstUserTableID * kTableSlotSize +
                       (in.U16() | in.U8() << 16) % (6 * kTableSlotSize);
            p.Bytes = in.Bytes(in.U8() % 16 + 1);
        } else if (kind == 1) {
            const uint32_t slot = kFirstUserTableID + in.U8() % 6;
            const uint32_t column = in.U8() % kColumnsPerTable;
            p.Offset = slot * kTableSlotSize + kTableRecordSize + column * kColumnRecordSize +
                       kColRecPositionOffset + (in.U8() % 6) * 4;
            p.Bytes = in.Value(0);
        } else if (kind == 2) {
            p.Offset = buckets[in.U16() % buckets.size()];
            p.Bytes = in.Value(0);
        } else if (kind == 3) {
            const uint32_t which = in.U8() % 3;
            const uint32_t offsets[] = {kRowTableIDOffset, kRowRowIDOffset,
                                        kRowFieldsOffset + row.RowSize};
            const uint32_t olds[] = {row.TableID, row.Offset, 0};
            p.Offset = row.Offset + offsets[which];
            p.Bytes = in.Value(olds[which]);
        } else if (kind == 4) {
            p.Offset = row.Offset + in.U16() % (row.RowSize + kRowOverhead);
            p.Bytes = in.Bytes(in.U8() % 16 + 1);
        } else {
            p.Offset = in.U32() % kDbFileSize;
            p.Bytes = in.Bytes(4);
        }
        if (!p.Bytes.empty())
            patches.push_back(std::move(p));
    }
    return patches;
}
}  // namespace

int FuzzDbImage(const uint8_t* data, size_t size) {
    TFuzzWorkspace& ws = TFuzzWorkspace::Get();
    if (!ws.Open(ReadPatches(data, size)))
        return 0;
    std::string report;
    TQSOs qsos;
    TQSOMemos memos;
    TDbSystemSettings settings;
    int32_t count = 0;
    std::vector<std::string> lines;
    const uint32_t pick = size > 0 ? data[size - 1] : 0;
    const bool readBack = (pick & 0x80) != 0;
    const std::function<void()> steps[] = {
        [&] { TLogExport::ExportToFile(ws.Dir() + "/export.txt", count); },
        // Reads by key: contacts of the template's days, by call sign, texts, settings.
        [&] { qsos.LoadDay("01/02/2002", "01/04/2002"); },
        [&] {
            for (const char* call : {"W1AW", "K1ABC", "DL1XYZ", "JA1ZZZ/P", ""})
                FuzzGuard([&] {
                    TDBResultSet rs;
                    if (rs.Open(TQSOs::kLogTable, call, call) == TDBResultSet::kOK)
                        while (rs.Eof == 0) rs.Next();
                });
        },
        [&] { TDBResultSet().Open("HAMCLS", "K1ABC", "K1ABC"); },
        [&] {
            for (int32_t n = 1; n <= 5; ++n) FuzzGuard([&] { memos.LoadForQSO(n); });
        },
        [&] { settings.Load("STATION_CALL", "STATION_CALL"); },
        [&] { settings.Load("UTC_SHIFT", "UTC_SHIFT"); },
        // Writes and deletes.
        [&] {
            TQSO* q = qsos.AddQSO("01/03/2002", "W1AW", "13:00", "13:05", "7.010", 5, "CW", 599,
                                  579, 1, 0, 2, "05", "U.S.A.", "", "FN31", "", 0, "", "", "", "");
            if (q != nullptr)
                memos.SaveText(q->QSOID, "stored over a damaged file");
            if (readBack)
                TQSOs().LoadDay("01/03/2002", "01/03/2002");
        },
        [&] {
            settings.Save("UTC_SHIFT", "-3");
            if (readBack)
                settings.Load("UTC_SHIFT", "UTC_SHIFT");
        },
        [&] {
            settings.Save("NEW_SETTING", "value");
            if (readBack)
                settings.Load("NEW_SETTING", "NEW_SETTING");
        },
        [&] {
            qsos.LoadDay("01/02/2002", "01/02/2002");
            if (!qsos.QSOs.empty())
                qsos.DeleteQSO(*qsos.QSOs.front());
            if (readBack)
                TQSOs().LoadDay("01/02/2002", "01/02/2002");
        },
        [&] { DbKernel->CheckDatabase(report, 0); },
        [&] {
            DbKernel->GetHashBucketContents(6, 0, 0, "W1AW", lines);
            int32_t deleted = 0;
            DbKernel->RawScanTable(65, 6, deleted, lines, 0);
        }};
    FuzzGuard(steps[pick % std::size(steps)]);
    ws.Close();
    return 0;
}
