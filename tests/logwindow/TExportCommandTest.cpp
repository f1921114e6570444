#include <gtest/gtest.h>

#include "logwindow/TExportCommand.h"
#include "records/RecordsFixture.h"
#include "records/TLogExport.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

namespace {

class TExportCommandTest : public RecordsFixture {
  protected:
    void AddContacts() {
        TQSOs qsos;
        qsos.AddQSO("01/15/2003", "W1ABC", "14:02", "14:10", "14.025", 100, "cw", 599, 579, 0, 0, 0,
                    "05", "U.S.A.", "", "FN42", "", 0, "", "", "", "");
        qsos.AddQSO("01/16/2003", "dl1xyz", "09:00", "09:30", "7.010", 5, "CW", 579, 559, 1, 1, 0,
                    "14", "GERMANY", "", "", "", 0, "", "", "", "");
        TQSOMemos memos;
        ASSERT_EQ(0, memos.SaveText(qsos.QSOs[1]->QSOID, "nice qso"));
    }
};

TEST_F(TExportCommandTest, ThePromptedFileGetsEveryRowAndTheCountIsShown) {
    AddContacts();
    const std::string name = dir_ + "/log.txt";
    WriteFile(name, "an older export that is overwritten\r\n");
    dialogs_->QueueAnswer(name);
    EXPECT_EQ(3, TExportCommand::Run());
    EXPECT_EQ(std::vector<std::string>{"Enter filename:"}, dialogs_->Prompts);
    EXPECT_EQ(std::vector<std::string>{"3 Rows Exported."}, dialogs_->Informations);
    const std::string text = ReadFile(name);
    EXPECT_EQ(0u, text.find("QSO_LOG:\r\n"));
    EXPECT_NE(std::string::npos, text.find("|01/15/2003|W1ABC|14:02|14:10|14.025|100|CW|599|579|"));
    EXPECT_NE(std::string::npos, text.find("|DL1XYZ|"));
    EXPECT_NE(std::string::npos, text.find("\r\nQSO_TEXT:\r\n"));
    EXPECT_NE(std::string::npos, text.find("|NICE QSO|TAIL:"));
    EXPECT_EQ(std::string::npos, text.find("older"));
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(2u + 3u, lines);
}

TEST_F(TExportCommandTest, AnEmptyLogExportsTheTwoHeadings) {
    const std::string name = dir_ + "/empty.txt";
    dialogs_->QueueAnswer(name);
    EXPECT_EQ(0, TExportCommand::Run());
    EXPECT_EQ("QSO_LOG:\r\nQSO_TEXT:\r\n", ReadFile(name));
    EXPECT_EQ(std::vector<std::string>{"0 Rows Exported."}, dialogs_->Informations);
}

TEST_F(TExportCommandTest, ANameThatCannotBeCreatedIsReported) {
    AddContacts();
    dialogs_->QueueCancel();                             // no name
    dialogs_->QueueAnswer(dir_ + "/no/such/dir/x.txt");  // a folder that is not there
    dialogs_->QueueAnswer(dir_);                         // a folder itself
    for (int i = 0; i < 3; ++i) EXPECT_EQ(-1, TExportCommand::Run());
    EXPECT_EQ(std::vector<std::string>(3, TLogExport::kFailedMessage), dialogs_->Informations);
    EXPECT_TRUE(dialogs_->Messages.empty());
}

}  // namespace
