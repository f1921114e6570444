// The log's integrity check on a real log, sound and with bytes of its file
// damaged one way at a time.
#include <fstream>

#include "RecordsFixture.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TRowLayout.h"
#include "records/TLogCheck.h"
#include "records/TQSOMemos.h"

using namespace DbFormat;

namespace {
struct TPatch {
    uint32_t At;
    std::string Bytes;
};
TPatch Word(uint32_t at, uint32_t value) {
    return {at, std::string(reinterpret_cast<const char*>(&value), 4)};
}
uint32_t U32(uint32_t at) {
    uint32_t v = 0;
    std::memcpy(&v, TDbKernel::Base() + at, 4);
    return v;
}
uint32_t Bucket(uint32_t table, uint32_t bucket) {
    return kBucketRegionBase + (table + 1) * kBucketBlockSize + bucket * kBucketWordSize;
}
uint32_t FirstPage(uint32_t table) {
    for (uint32_t p = 0; p < kDataPageCount; ++p)
        if (U32(kDataRegionBase + p * kDataPageSize) == table)
            return kDataRegionBase + p * kDataPageSize;
    return 0;
}
}  // namespace

class TLogCheckTest : public RecordsFixture {
protected:
    std::string Check(int32_t& status) {
        std::string report;
        status = TLogCheck::Run(*DbKernel, report);
        return report;
    }
    // The lines behind the table entries.
    static std::string Findings(const std::string& report) {
        return report.substr(report.rfind("----------\r\n") + 12);
    }
};

TEST_F(TLogCheckTest, ASoundLogPassesAndEachDamageIsNamed) {
    int32_t status = -1;
    EXPECT_EQ("", Findings(Check(status)));
    EXPECT_EQ(0, status);  // the fresh log
    TQSOs qsos;
    for (int i = 0; i < 300; ++i) {
        const TQSO* q = Add(qsos, "03/01/2004", i == 0 ? "W1AW" : "K" + std::to_string(i));
        if (i % 25 == 0)  // texts of two pieces, some deleted with their contact
            TQSOMemos().SaveText(q->QSOID, std::string(300, 'x'));
    }
    for (int i = 10; i < 300; i += 10) qsos.DeleteQSO(*qsos.QSOs[static_cast<size_t>(i)]);
    const std::string sound = Check(status);
    EXPECT_EQ(0, status);
    EXPECT_NE(std::string::npos, sound.find("QSOLOG           271       271")) << sound;
    EXPECT_NE(std::string::npos, sound.find("QSO_TEXT         14        14")) << sound;
    EXPECT_EQ("", Findings(sound));

    const uint32_t log = DbKernel->GetTableIDFromName("QSOLOG"), slot = log * kTableSlotSize;
    const uint32_t col2 = slot + kTableRecordSize + 2 * kColumnRecordSize;
    const uint32_t rs = DbKernelHelper->GetRowSize(*DbKernel->CreateEmptyFieldsObject(log, 0));
    const uint32_t row0 = FirstPage(log), head = Bucket(log, DbKernel->GetKeyHash("W1AW"));
    const uint32_t index0 = FirstPage(DbKernel->GetTableIDFromName("QSO_DATE_INDEX"));
    uint32_t free = row0;
    while (U32(free) != 0) free += rs + kRowOverhead;
    TDBResultSet seq;
    ASSERT_EQ(0, seq.Open("SEQUENCES", std::to_string(log), std::to_string(log)));
    const uint32_t seqRow =
        static_cast<uint32_t>(std::stoul(seq.CurrentFields->GetField(2)->Value));
    ASSERT_EQ(head, Bucket(log, 728));
    ASSERT_EQ(row0, U32(head));

    const std::string path = dir_ + "/db_default.sib";
    db_.ShutdownDatabase(path);
    const std::string bytes = ReadFile(path);
    const struct {
        std::vector<TPatch> Patches;
        std::string Line;
    } cases[] = {
        {{{row0, std::string(kDataPageSize, '\0')}},  // every slot of its page zeroed
         "QSOLOG at 2127492: bucket 173 points at 10846970, which lies in free page 1"},
        {{Word(slot + kTableRecTableIDOffset, 5000)},
         "QSOLOG at 111064: TableID 5000 is not the slot's number 6"},
        {{Word(slot + kTableRecInUseOffset, 0)},
         "table 6 at 10846800: page 1 holds a live row, but no table of this ID is in use"},
        {{{slot, std::string("QSOLOX")}}, "QSOLOG: the log's table is missing"},
        {{{slot, std::string("QSO_TEXT")}},
         "QSO_TEXT at 147744: the name is the name of the table in slot 6"},
        {{Word(col2 + kColRecLengthOffset, 60000)},
         "QSOLOG at 2127492: bucket 173 points at 10846970, which is no row slot of this "
         "table's size"},
        {{Word(col2 + kColRecDataTypeOffset, 7)},
         "QSOLOG at 111896: column 2: data type 7 is neither integer (0) nor character (1)"},
        {{Word(col2 + kColRecPositionOffset, 3)},
         "QSOLOG at 111892: column 2: position 3 is not its place 2"},
        {{{0, std::string(kDbFileSize, '\xFF')}},
         "table 5 at 92596: TableID 4294967295 is not the slot's number 5"},
        {{Word(row0 + kRowRowIDOffset, row0 + 8)},
         "QSOLOG at 10846804: RowID 10846808 is not the slot's offset 10846800"},
        {{Word(seqRow + kRowFieldsOffset + 4, 7)},
         "SEQUENCES at 5846800: the sequence of QSOLOG stands at 7, below the highest number in "
         "use, 299"},
        {{Word(head, index0)},
         "QSOLOG at 2129712: bucket 728 points at 15846800, which lies in page 2 of table 7"},
        {{Word(row0 + kRowFieldsOffset + rs, row0)},
         "QSOLOG at 10846966: the Tail of the row at 10846800 points at 10846800, which was "
         "reached before (a loop, or two chains joined)"},
        {{Word(head, 0), Word(Bucket(log, 9999), row0)},
         "QSOLOG at 10846800: the row's key belongs in bucket 728, not in bucket 9999"},
        {{Word(free, 7)}, "QSOLOG at 10897800: a slot of table 7 in page 1, which this table owns"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        {
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            for (const TPatch& p : c.Patches)
                file.seekp(p.At).write(p.Bytes.data(), p.Bytes.size());
        }
        ASSERT_EQ(0, db_.StartDatabase(path));
        const std::string report = Check(status);
        EXPECT_EQ(999, status);
        EXPECT_NE(std::string::npos, report.find(c.Line)) << report;
        db_.ShutdownDatabase(path);
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        for (const TPatch& p : c.Patches)
            file.seekp(p.At).write(bytes.data() + p.At, static_cast<long>(p.Bytes.size()));
    }
    ASSERT_EQ(0, db_.StartDatabase(path));
    EXPECT_EQ("", Findings(Check(status)));
    EXPECT_EQ(0, status);
}

// The one pass over a table's pages and chains that the check, the day index
// and the import rely on: a chain's link to anything but a slot holding a row
// of the table makes the table unsound.
TEST_F(TLogCheckTest, TheSoundChainPassRefusesALinkToNoRowOfTheTable) {
    TQSOs qsos;
    for (const char* call : {"W1AW", "K1ABC", "DL1XYZ"})
        ASSERT_NE(nullptr, Add(qsos, "03/01/2004", call));
    const uint32_t log = DbKernel->GetTableIDFromName("QSOLOG");
    TRowLayout layout;
    int32_t keyIndex = 0;
    bool multi = false;
    ASSERT_TRUE(DbKernel->DescribeTable(log, layout, keyIndex, multi));
    const uint32_t stride = layout.RowSize + kRowOverhead, row0 = FirstPage(log);
    const uint32_t tail = row0 + kRowFieldsOffset + layout.RowSize;  // W1AW's, the chain's end
    ASSERT_EQ(row0, U32(Bucket(log, DbKernel->GetKeyHash("W1AW"))));
    ASSERT_EQ(0u, U32(tail));
    auto rows = [&] {
        int n = 0;
        return DbKernel->VisitSoundChains(log, layout, [&](int32_t, uint32_t, uint32_t) { ++n; })
                   ? n
                   : -1;
    };
    // W1AW's link, whether K1ABC's bucket word is cleared (its row then
    // hangs in no chain), the rows the pass visits (-1: unsound).
    const uint32_t k1abc = Bucket(log, DbKernel->GetKeyHash("K1ABC"));
    const struct {
        uint32_t Link;
        bool Orphan;
        int Rows;
    } cases[] = {
        {0, false, 3},                   // sound
        {row0 + 3 * stride, false, -1},  // the free slot after the last row
        {row0 + stride, false, -1},      // a row another chain holds
        {row0 + stride, true, 3},        // a row no other chain holds
        {row0 + stride + 8, true, -1},   // inside that row
    };
    for (const auto& c : cases) {
        const uint32_t bucketWord = c.Orphan ? 0 : row0 + stride;
        std::memcpy(TDbKernel::Base() + k1abc, &bucketWord, 4);
        std::memcpy(TDbKernel::Base() + tail, &c.Link, 4);
        EXPECT_EQ(c.Rows, rows()) << c.Link << " " << c.Orphan;
    }
}
