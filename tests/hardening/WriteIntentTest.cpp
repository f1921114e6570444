// The write-intent record at the moments that matter: the power cut right
// after its flush (the next open writes its words), a record torn, damaged or
// relying on bytes that never landed (ignored), a word it names changed
// outside a batch (never written back) and the close (clears it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "HardeningFiles.h"
#include "TLogSnapshot.h"
#include "TTestDbFile.h"
#include "kernel/DbFormat.h"
#include "kernel/TWriteBatch.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

using namespace DbFormat;

namespace {
constexpr const char* kDate = "01/05/2002";

void Store(const std::string& text) {
    const TWriteBatch batch;
    TQSOs qsos;
    const TQSO* q = qsos.AddQSO(kDate, "K1NEW", "12:30", "12:41", "21.250", 100, "SSB", 59, 57, 0,
                                1, 3, "5", "U.S.A.", "", "FN31", "", 0, "", "", "", "");
    ASSERT_NE(nullptr, q);
    ASSERT_EQ(0, TQSOMemos().SaveText(q->QSOID, text));
}

void StoreInOneBatch() {
    Store("the text");
}

class WriteIntent : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = HardeningFiles::MakeTempDir("intent");
        path_ = dir_ + "/db_default.sib";
        ASSERT_TRUE(HardeningFiles::MakeLogDatabase(path_, [] { Store("first"); }));
    }
    void TearDown() override {
        SetDbFileFactory({});
        std::filesystem::remove_all(dir_);
    }
    // Runs work on the open log with flushes reaching the disk as budget says.
    void Run(const std::function<void()>& work, int64_t budget = -1) {
        TTestDbFile::Install({.Private = true});
        TDatabase db;
        ASSERT_EQ(0, db.StartDatabase(path_));
        TTestDbFile::Setup().Budget = budget;
        work();
        db.ShutdownDatabase(path_);
        SetDbFileFactory({});
    }
    uint32_t Word(uint32_t at) {
        uint32_t v = 0;
        std::ifstream(path_, std::ios::binary).seekg(at).read(reinterpret_cast<char*>(&v), 4);
        return v;
    }
    void Put(uint32_t at, uint32_t v) {
        std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(at).write(reinterpret_cast<const char*>(&v), 4);
    }
    bool AreaIsClear() {
        const std::string file = HardeningFiles::ReadFile(path_);
        return file.find_first_not_of('\0', kIntentAreaBase) >= kIntentAreaEnd;
    }
    // The file must be sound and hold the contacts, the new one whole or not at all.
    void ExpectContacts(size_t contacts, bool stored) {
        const TLogSnapshot s = TLogSnapshot::Take(path_);
        EXPECT_TRUE(s.Sound && s.Complaints.empty()) << s.Describe();
        EXPECT_EQ(contacts, s.Contacts.size()) << s.Describe();
        EXPECT_EQ(contacts, s.InDateIndex.size());
        EXPECT_EQ(stored, std::any_of(s.Texts.begin(), s.Texts.end(),
                                      [](const auto& t) { return t.second == "the text"; }))
            << s.Describe();
        EXPECT_TRUE(AreaIsClear());
    }
    std::string dir_;
    std::string path_;
};
}  // namespace

TEST_F(WriteIntent, ACutAfterTheRecordIsMendedAtTheOpenUnlessTheRecordIsUnsound) {
    const uint32_t pairs = kIntentAreaBase + kIntentHeaderSize;
    const auto count = [&](uint32_t at) { return Word(kIntentAreaBase + at); };
    const struct {
        const char* What;
        std::function<void()> Damage;
        bool Stored;
    } cases[] = {
        {"whole", [] {}, true},
        {"torn", [&] { Put(pairs + 4, Word(pairs + 4) ^ 1); }, false},
        {"naming a word no row has",
         [&] {
             Put(pairs, kIntentAreaBase);  // and checksummed anew
             const uint32_t size =
                 kIntentHeaderSize + count(4) * kIntentWordSize + count(8) * kIntentRangeSize;
             const std::string file = HardeningFiles::ReadFile(path_);
             const auto* area = reinterpret_cast<const uint8_t*>(file.data()) + kIntentAreaBase;
             Put(kIntentAreaBase + size, TWriteIntent::Fnv(area, size, kFnvBasis));
         },
         false},
        {"whose new bytes did not all land",
         [&] {  // a byte of the longest range: a new row's fields
             uint32_t at = 0;
             for (uint32_t r = pairs + count(4) * kIntentWordSize, i = 0; i < count(8);
                  ++i, r += kIntentRangeSize)
                 if (at == 0 || Word(r + 4) > Word(at + 4))
                     at = r;
             Put(Word(at) + kRowFieldsOffset, Word(Word(at) + kRowFieldsOffset) ^ 0x20);
         },
         false},
    };
    const std::string base = HardeningFiles::ReadFile(path_);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        std::ofstream(path_, std::ios::binary) << base;
        Run(StoreInOneBatch, 1);  // the record's flush lands, the words' flush is cut
        ASSERT_EQ(kIntentMagic, Word(kIntentAreaBase));
        c.Damage();
        ExpectContacts(c.Stored ? 2 : 1, c.Stored);
    }
}

TEST_F(WriteIntent, AWordChangedOutsideABatchIsNotWrittenBackAndTheCloseClearsTheRecord) {
    Run(StoreInOneBatch);
    EXPECT_TRUE(AreaIsClear());
    Run([] {
        StoreInOneBatch();
        TQSOs qsos;  // its deletion is no batch
        qsos.LoadDay(kDate, kDate);
        for (const auto& q : qsos.QSOs) qsos.DeleteQSO(*q);
        TTestDbFile::Setup().Off = true;  // the power fails before the close
    });
    ExpectContacts(0, false);
}
