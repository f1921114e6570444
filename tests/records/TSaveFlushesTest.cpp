// A save in a write batch: a few ordered flushes, reads inside the batch see
// the rows already, and the file ends byte for byte as without the batch.
#include <gtest/gtest.h>

#include "RecordsFixture.h"
#include "kernel/TWriteBatch.h"
#include "platform/TDbFile.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

namespace {

const std::string kText = std::string(300, 't') + " two pieces of text";

class SaveFlushesTest : public RecordsFixture {
protected:
    // A new contact with its text, then a changed version of it that
    // replaces the old one, as the log window saves them. Answers the most
    // flushes one save took.
    uint64_t SaveContacts(bool batched) {
        uint64_t most = 0;
        for (int i = 0; i < 4; ++i) {
            const uint64_t before = TDbFile::FlushCount();
            {
                std::unique_ptr<TWriteBatch> batch(batched ? new TWriteBatch : nullptr);
                TQSOs qsos;
                const std::string call = i % 2 ? "DL1ABC" : "W1AW";
                TQSO* q = qsos.AddQSO("06/0" + std::to_string(i + 1) + "/2015", call, "10:00",
                                      "10:05", "14.025", 100, "CW", 599, 579, 0, 0, 0, "05", "", "",
                                      "", "", 0, "", "", "", "");
                EXPECT_NE(nullptr, q);
                if (!q)
                    return most;
                TQSOMemos memos;
                EXPECT_EQ(0, memos.SaveText(q->QSOID, kText + std::to_string(i)));
                // Read back before the batch is written out.
                TQSOs day;
                day.LoadDay(q->QSODate, q->QSODate);
                EXPECT_EQ(1u, day.QSOs.size());
                TQSOMemos read;
                read.LoadForQSO(q->QSOID);
                EXPECT_EQ(2u, read.Memos.size());
                if (i == 3) {
                    TQSO old = *day.QSOs.front();
                    TQSO* changed =
                        qsos.AddQSO(old.QSODate, old.Call, "11:00", "11:05", "7.025", 5, "SSB", 59,
                                    59, 0, 0, 0, "05", "", "", "", "", 0, "", "", "", "");
                    EXPECT_NE(nullptr, changed);
                    if (!changed)
                        return most;
                    EXPECT_EQ(0, memos.SaveText(changed->QSOID, "changed"));
                    qsos.DeleteQSO(old);
                    day.LoadDay(old.QSODate, old.QSODate);
                    EXPECT_EQ(1u, day.QSOs.size());
                    if (!day.QSOs.empty()) {
                        EXPECT_EQ(changed->QSOID, day.QSOs.front()->QSOID);
                    }
                }
            }
            most = std::max(most, TDbFile::FlushCount() - before);
        }
        return most;
    }
};

TEST_F(SaveFlushesTest, ASaveWithItsTextTakesAtMostFiveFlushesAndWritesTheSameFile) {
    const uint64_t plain = SaveContacts(false);
    db_->ShutdownDatabase(path_);
    const std::string unbatched = ReadFile(path_);
    db_.reset();
    std::filesystem::remove_all(dir_);
    SetUp();
    const uint64_t batched = SaveContacts(true);
    EXPECT_LE(batched, 5u);
    EXPECT_LT(batched, plain);
    db_->ShutdownDatabase(path_);
    EXPECT_TRUE(ReadFile(path_) == unbatched) << "the batched save wrote another file";
    db_.reset();
}

}  // namespace
