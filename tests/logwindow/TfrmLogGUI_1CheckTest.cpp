// The start-up checks the log, not only the kernel's counts: a sequence left
// below the contacts' numbers warns as a count mismatch does.
#include "LogWindowFixture.h"
#include "kernel/TDbKernel.h"
#include "schema/TDBResultSet.h"

TEST_F(LogWindowTest, ASequenceBelowTheContactNumbersWarnsAtStartUp) {
    Seed(kFourContacts);  // numbers 0 to 3
    Reopen();
    const std::string log = std::to_string(DbKernel->GetTableIDFromName("QSOLOG"));
    TDBResultSet sequence;
    ASSERT_EQ(0, sequence.Open("SEQUENCES", log, log));
    sequence.CurrentFields->GetField(1)->Value = "2";
    sequence.Post();
    Shut();
    Start();
    EXPECT_EQ((std::vector<std::string>{
                  "The database file shows signs of corruption. You should perform an export to "
                  "a new text file [tools menu] as soon as possible, and copy a previous backup "
                  "of the database into the application directory.",
                  "No backup of the database was found in " + dir_ + "/backups."}),
              dialogs_->Messages);
    EXPECT_EQ(0, w->AppFailed);  // the operator may go on to export
}
