// A contact changed in one write batch (new version with its text, old
// version deleted): at most five flushes, the close included; the rows are
// readable inside the batch; the file ends byte for byte as without the
// batch; and a power cut after any flush leaves a sound file with no row
// half written, every contact reachable and one version of it at least.
#include <gtest/gtest.h>

#include <memory>

#include "HardeningFiles.h"
#include "TLogSnapshot.h"
#include "TPowerLossDbFile.h"
#include "kernel/TWriteBatch.h"
#include "platform/TScriptedDialogs.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "schema/TDatabase.h"

using namespace HardeningFiles;

namespace {
TQSO* Store(TQSOs& qsos, const char* call) {
    return qsos.AddQSO("01/04/2002", call, "12:30", "12:41", "14.070", 100, "SSB", 59, 57, 0, 1, 3,
                       "5", "", "", "", "", 0, "", "", "", "");
}
}  // namespace

TEST(BatchedPowerLoss, EveryFlushOfABatchedSaveLeavesASoundFile) {
    TScriptedDialogs dialogs;
    const std::string dir = MakeTempDir("batchcut");
    const std::string base = dir + "/base.sib", work = dir + "/db_default.sib";
    ASSERT_TRUE(MakeLogDatabase(base, [] {
        TQSOs q;
        ASSERT_NE(nullptr, Store(q, "W1AW"));
    }));
    const TLogSnapshot before = TLogSnapshot::Take(base);
    auto run = [&](int64_t budget, bool torn, bool batched = true) {
        CopyFile(base, work);
        TPowerLossDbFile::Install(budget, torn, static_cast<uint32_t>(budget + 7));
        TDatabase db;
        EXPECT_EQ(0, db.StartDatabase(work));
        {
            std::unique_ptr<TWriteBatch> batch(batched ? new TWriteBatch : nullptr);
            TQSOs qsos;
            qsos.LoadDay("01/04/2002", "01/04/2002");
            TQSO old = *qsos.QSOs.at(0);
            if (TQSO* q = Store(qsos, "W1AW")) {
                TQSOMemos memos;
                memos.SaveText(q->QSOID, std::string(300, 'x') + " two pieces");
                memos.LoadForQSO(q->QSOID);
                EXPECT_EQ(2u, memos.Memos.size());
            }
            qsos.DeleteQSO(old);
            qsos.LoadDay("01/04/2002", "01/04/2002");
            EXPECT_EQ(1u, qsos.QSOs.size());
        }
        db.ShutdownDatabase(work);
        const uint64_t flushes = TPowerLossDbFile::Power().Flushes;
        TPowerLossDbFile::Uninstall();
        return flushes;
    };
    EXPECT_GT(run(-1, false, false), 5u);
    const std::string unbatched = ReadFile(work);
    const uint64_t total = run(-1, false);
    EXPECT_LE(total, 5u);
    EXPECT_TRUE(ReadFile(work) == unbatched) << "the batch wrote another file";
    const TLogSnapshot after = TLogSnapshot::Take(work);
    ASSERT_TRUE(after.Sound) << after.Describe();
    for (bool torn : {false, true}) {
        for (uint64_t cut = 0; cut < total; ++cut) {
            run(static_cast<int64_t>(cut), torn);
            const TLogSnapshot s = TLogSnapshot::Take(work);
            SCOPED_TRACE("cut after flush " + std::to_string(cut) + (torn ? ", torn" : ""));
            EXPECT_TRUE(s.Sound && s.Complaints.empty()) << s.Describe();
            EXPECT_TRUE(s.RowsInNeither(before, after).empty()) << s.Describe();
            for (const auto& [number, row] : s.Contacts)
                EXPECT_TRUE(s.FoundByCall.count(number)) << "contact " << number;
            EXPECT_FALSE(s.Contacts.empty()) << "the old and the new version are both gone";
        }
    }
    std::filesystem::remove_all(dir);
}
