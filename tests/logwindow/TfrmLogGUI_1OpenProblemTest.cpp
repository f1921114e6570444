// A log file the window cannot open stops the start with one sentence saying
// why; a damaged file shows each of its messages once per operation.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "LogWindowFixture.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "platform/TDbFile.h"

TEST_F(LogWindowTest, AReadOnlyOrHeldLogStopsTheStartAndStaysUntouched) {
    const std::string path = dir_ + "/db_default.sib", bytes = ReadFile(path);
    for (const bool held : {false, true}) {
        dialogs_->Messages.clear();
        TDbFile holder;  // another program's open and lock
        ASSERT_EQ(0, chmod(path.c_str(), held ? 0644 : 0444));
        ASSERT_EQ(held, held && holder.Open(path));
        Start();
        EXPECT_EQ(
            std::vector<std::string>{held ? "The log file db_default.sib is in use by another "
                                            "program."
                                          : "The log file db_default.sib is read-only: Tramb "
                                            "cannot store contacts in it."},
            dialogs_->Messages);
        EXPECT_TRUE(w->AppFailed == -1 && w->TerminateRequested && w->ExitStatus == 1);
        EXPECT_TRUE(w->GridRowCount == 1 && Database == nullptr && !machine_.Held());
        Close();
        EXPECT_EQ(bytes, ReadFile(path));
    }
}

// One damaged column word of the contacts, or a bucket block of garbage: the
// start shows each text of its integrity check once, and one summary with
// the count of the boxes held back.
TEST_F(LogWindowTest, ADamagedLogShowsEachMessageOnceWithACount) {
    Seed(kFourContacts);
    using namespace DbFormat;
    const std::string clean = ReadFile(dir_ + "/db_default.sib");
    for (const bool column : {true, false}) {
        WriteFile(dir_ + "/db_default.sib", clean);
        Reopen();
        const uint32_t id = DbKernel->GetTableIDFromName(column ? "QSOLOG" : "HAMCLS");
        uint8_t* at = column ? TDbKernel::Base() + id * kTableSlotSize + kTableRecordSize +
                                   22 * kColumnRecordSize + kColRecDataTypeOffset
                             : DbKernel->GetHashBucketsPointer(id);
        std::memset(at, 7, column ? 1 : kBucketBlockSize);
        std::map<std::string, int> raw;  // the boxes of the check itself
        std::unique_ptr<TScriptedDialogs> plain = std::make_unique<TScriptedDialogs>();
        std::string report;
        DbKernel->CheckDatabase(report, 0);
        for (const std::string& m : plain->Messages) ++raw[m];
        ASSERT_LT(raw.size(), plain->Messages.size());  // some text repeats
        plain.reset();
        Shut();
        dialogs_->Messages.clear();
        Start();
        const auto& shown = dialogs_->Messages;
        auto times = [&](const std::string& m) {
            return std::count(shown.begin(), shown.end(), m);
        };
        for (const std::string& m : shown) EXPECT_EQ(1, times(m)) << m;
        for (const auto& [text, n] : raw) {
            EXPECT_EQ(1, times(text));
            EXPECT_EQ(n > 1,
                      times(text + " (shown once; " + std::to_string(n - 1) + " more like it)"))
                << text;
        }
        Close();
        window_.reset();
    }
}
