#include "RecordsFixture.h"
#include "records/TLogExport.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

class TLogExportTest : public RecordsFixture {
protected:
    std::string Export(int32_t expectedCount) {
        int32_t count = -1;
        EXPECT_EQ(TLogExport::kOK, TLogExport::ExportToFile(dir_ + "/export.txt", count));
        EXPECT_EQ(expectedCount, count);
        return ReadFile(dir_ + "/export.txt");
    }
};

// One contact gives every column in its place. The empty log, the count and
// the folders that cannot take a file are tested with the export command.
TEST_F(TLogExportTest, LiveRowsAreUpperCasedWithDashesForEmptyValues) {
    TQSOs qsos;
    TQSOMemos memos;
    qsos.AddQSO("01/15/2003", "w1abc", "14:02", "14:10", "14.025", 100, "cw", 599, 579, 1, 2, 3,
                "05", "U.S.A.", "Wake", "fn42", "W3HNK", 7, "ca", "", "cc", "cd");
    ASSERT_EQ(0, memos.SaveText(0, "nice chat | 73"));
    TQSO gone = *Add(qsos, "01/16/2003", "K2XYZ");
    ASSERT_EQ(0, memos.SaveText(gone.QSOID, std::string(260, 't')));  // two pieces
    qsos.DeleteQSO(gone);                                             // takes its text with it
    EXPECT_EQ(
        "QSO_LOG:\r\n"
        "0|01/15/2003|W1ABC|14:02|14:10|14.025|100|CW|599|579|1|2|3|05|U.S.A.|WAKE|FN42|W3HNK|7|"
        "CA|-|CC|CD|TAIL:0\r\n"
        "QSO_TEXT:\r\n"
        "0|NICE CHAT | 73|TAIL:0\r\n",
        Export(2));
}

TEST_F(TLogExportTest, AFileThatCannotBeWrittenOrAMissingLogTableFails) {
    int32_t count = 5;
    EXPECT_EQ(TLogExport::kFailed, TLogExport::ExportToFile("", count));
    EXPECT_EQ(0, count);
    TQSOs qsos;
    Add(qsos, "01/01/2001", "W1ABC");
    EXPECT_EQ(TLogExport::kFailed, TLogExport::ExportToFile("/dev/full", count));

    DropTable("QSOLOG");  // the export ends there
    EXPECT_EQ("", Export(0));
}
