// A disk without room for the log file stops the start with one message and
// leaves the file as it was; a contact whose flush fails is not stored.
#include <cerrno>

#include "LogWindowFixture.h"
#include "kernel/TDbKernel.h"
#include "platform/TDbFile.h"

TEST_F(LogWindowTest, NoRoomOnTheDiskStopsTheStart) {
    TDbFile::SetAllocateFault(ENOSPC);
    Start();
    TDbFile::SetAllocateFault(0);
    EXPECT_EQ(std::vector<std::string>{TDbKernel::NoDiskRoomMessage()}, dialogs_->Messages);
    EXPECT_EQ("-1 1", std::to_string(w->AppFailed) + " " + std::to_string(w->TerminateRequested));
}

TEST_F(LogWindowTest, AFailedFlushStoresNoContactAndSaysSo) {
    Start();
    Type("K1ABC");
    TDbFile::SetFailAtFlush(TDbFile::FlushCount() + 1);
    Key(Qt::Key_Return);
    TDbFile::SetFailAtFlush(0);
    EXPECT_EQ(std::vector<std::string>{"The log file could not be written to the disk: "
                                       "Input/output error."},
              dialogs_->Messages);
    EXPECT_EQ("1 K1ABC -1", std::to_string(EntryRow()) + " " + Cell(3, 1) + " " + Cell(12, 1));
    EXPECT_EQ(0u, Stored("K1ABC").size());
    Key(Qt::Key_Return);  // the disk is back: stored now
    EXPECT_EQ(1u, Stored("K1ABC").size());
}
