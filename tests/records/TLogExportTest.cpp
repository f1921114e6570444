#include <gtest/gtest.h>

#include "RecordsFixture.h"
#include "records/TLogExport.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

namespace {

class TLogExportTest : public RecordsFixture {
  protected:
    std::string Export(int32_t& count) {
        const std::string name = dir_ + "/export.txt";
        EXPECT_EQ(TLogExport::kOK, TLogExport::ExportToFile(name, count));
        return ReadFile(name);
    }
};

TEST_F(TLogExportTest, EmptyLogGivesTheTwoHeadingsAndCountZero) {
    int32_t count = -1;
    EXPECT_EQ("QSO_LOG:\r\nQSO_TEXT:\r\n", Export(count));
    EXPECT_EQ(0, count);
}

TEST_F(TLogExportTest, LinesAreUpperCasedWithDashesForEmptyValuesAndTheLink) {
    TQSOs qsos;
    qsos.AddQSO("01/15/2003", "W1ABC", "14:02", "14:10", "14.025", 100, "cw", 599, 579, 0, 0, 0,
                "05", "U.S.A.", "", "fn42", "", 0, "", "", "", "");
    TQSOMemos memos;
    ASSERT_EQ(0, memos.SaveText(0, "nice chat | 73"));
    int32_t count = 0;
    EXPECT_EQ(
        "QSO_LOG:\r\n"
        "0|01/15/2003|W1ABC|14:02|14:10|14.025|100|CW|599|579|0|0|0|05|U.S.A.|-|FN42|-|0|-|"
        "-|-|-|TAIL:0\r\n"
        "QSO_TEXT:\r\n"
        "0|NICE CHAT | 73|TAIL:0\r\n",
        Export(count));
    EXPECT_EQ(2, count);
}

TEST_F(TLogExportTest, DeletedContactsAreLeftOutAndTextPiecesCount) {
    TQSOs qsos;
    TQSOMemos memos;
    for (int i = 0; i < 4; ++i)
        qsos.AddQSO("02/02/2002", "K" + std::to_string(i) + "AA", "", "", "", 0, "", 0, 0, 0, 0, 0,
                    "", "", "", "", "", 0, "", "", "", "");
    ASSERT_EQ(0, memos.SaveText(1, std::string(260, 't')));  // two pieces
    ASSERT_EQ(0, memos.SaveText(2, "x"));
    TQSO gone = *qsos.QSOs[2];
    qsos.DeleteQSO(gone);  // takes its text piece with it

    int32_t count = 0;
    const std::string text = Export(count);
    EXPECT_EQ(3 + 2, count);
    EXPECT_EQ(std::string::npos, text.find("|K2AA|"));
    EXPECT_NE(std::string::npos, text.find("|K3AA|"));
    EXPECT_EQ(std::string::npos, text.find("2|X|"));
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(2u + 5u, lines);
}

TEST_F(TLogExportTest, ExportingAgainOverwritesTheFile) {
    TQSOs qsos;
    qsos.AddQSO("01/01/2001", "W1ABC", "", "", "", 0, "", 0, 0, 0, 0, 0, "", "", "", "", "", 0, "",
                "", "", "");
    int32_t count = 0;
    const std::string first = Export(count);
    TQSO gone = *qsos.QSOs[0];
    qsos.DeleteQSO(gone);
    EXPECT_EQ("QSO_LOG:\r\nQSO_TEXT:\r\n", Export(count));
    EXPECT_EQ(0, count);
    EXPECT_NE(first, ReadFile(dir_ + "/export.txt"));
}

TEST_F(TLogExportTest, AFileThatCannotBeCreatedOrWrittenFails) {
    int32_t count = 5;
    EXPECT_EQ(TLogExport::kFailed, TLogExport::ExportToFile("", count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(TLogExport::kFailed, TLogExport::ExportToFile(dir_ + "/no/such/dir/x.txt", count));
    EXPECT_EQ(TLogExport::kFailed, TLogExport::ExportToFile(dir_, count));  // a directory
    if (std::filesystem::exists("/dev/full")) {
        TQSOs qsos;
        qsos.AddQSO("01/01/2001", "W1ABC", "", "", "", 0, "", 0, 0, 0, 0, 0, "", "", "", "", "", 0,
                    "", "", "", "");
        EXPECT_EQ(TLogExport::kFailed, TLogExport::ExportToFile("/dev/full", count));
    }
}

TEST_F(TLogExportTest, AMissingLogTableEndsTheExportThere) {
    DropTable("QSOLOG");
    TQSOMemos memos;
    ASSERT_EQ(0, memos.SaveText(1, "orphan"));
    int32_t count = 0;
    EXPECT_EQ("", Export(count));
    EXPECT_EQ(0, count);
}

}  // namespace
