// A contact is stored whole or not at all: in a full file, without a
// number to draw, and when its text is replaced.
#include "FullLogFile.h"
#include "RecordsFixture.h"
#include "records/TLogTables.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

namespace {

TQSO* Log(TQSOs& qsos, const std::string& call, const std::string& date = "05/17/2024") {
    return qsos.AddQSO(date, call, "10:00", "10:05", "14.070", 100, "CW", 599, 579, 0, 1, 0, "05",
                       "", "", "", "", 0, "", "", "", "");
}

std::string TextOf(int32_t number) {
    TQSOMemos memos;
    memos.LoadForQSO(number);
    std::string text;
    for (const auto& m : memos.Memos) text += m->Text;
    return text;
}

void Sql(const std::string& statement) {
    auto st = TSQLStatements::NewStatement(statement);
    ASSERT_EQ(0, st->Execute()) << st->LastError;
    Database->Tables->Load();
}

}  // namespace

TEST_F(RecordsFixture, AFullFileStoresAContactWholeOrNotAtAll) {
    TQSOs qsos;
    TQSO* first = Log(qsos, "W1AW");
    ASSERT_NE(nullptr, first);
    const int32_t number = first->QSOID;
    TQSOMemos memos;
    ASSERT_EQ(0, memos.SaveText(number, "old text"));
    FillLogFile({{"QSOLOG", 1}, {"QSO_DATE_INDEX", 2}, {"QSO_TEXT", 2}});
    ExpectSound();
    EXPECT_TRUE(qsos.HasRoomForContact(2));
    EXPECT_FALSE(qsos.HasRoomForContact(3));

    // Three pieces do not fit in the two slots left: nothing of the text
    // goes in and the old text stays.
    const std::string three(600, 'x');
    EXPECT_EQ(999, memos.SaveText(number, three));
    EXPECT_EQ(999, memos.ReplaceText(number, three));
    EXPECT_EQ("old text", TextOf(number));
    EXPECT_EQ(1, LiveRows("QSO_TEXT"));
    // Two pieces fit: after the replacement exactly the new text is there.
    const std::string two = std::string(249, 'a') + "b";
    EXPECT_EQ(0, memos.ReplaceText(number, two));
    EXPECT_EQ(two, TextOf(number));
    EXPECT_EQ(2, LiveRows("QSO_TEXT"));
    EXPECT_EQ(999, memos.SaveText(number, "no room left"));

    // The last contact slot takes one more contact; the next is refused
    // whole, though the date index still has room.
    ASSERT_NE(nullptr, Log(qsos, "K1ABC"));
    EXPECT_EQ(nullptr, Log(qsos, "DL1XYZ"));
    EXPECT_EQ(2, LiveRows("QSOLOG"));
    EXPECT_EQ(2, LiveRows("QSO_DATE_INDEX"));
    EXPECT_EQ("1", RowsOf("SEQUENCES", "6").at(0).GetField(1)->Value);  // QSOLOG's: none used up
    EXPECT_TRUE(dialogs_->Messages.empty());  // nothing was written into the full file
    ExpectSound();
}

TEST_F(RecordsFixture, WithoutSequencesNothingIsStoredAndInitGoesOnWithTheNumbers) {
    TQSOs qsos;
    ASSERT_NE(nullptr, Log(qsos, "W1AW", "05/17/2024"));
    ASSERT_NE(nullptr, Log(qsos, "W1AW", "05/18/2024"));
    DropTable("SEQUENCES");
    std::vector<std::string> missing, malformed;
    EXPECT_FALSE(TLogTables::CheckLogging(missing, malformed));
    EXPECT_EQ(std::vector<std::string>{"SEQUENCES"}, missing);
    EXPECT_TRUE(malformed.empty());
    EXPECT_EQ(nullptr, Log(qsos, "K1ABC"));
    EXPECT_EQ(2, LiveRows("QSOLOG"));
    EXPECT_EQ(2, LiveRows("QSO_DATE_INDEX"));

    std::vector<std::string> created;
    std::string error;
    EXPECT_EQ(999, TLogTables::CreateMissing("", created, error));  // no statement to run
    EXPECT_EQ("creating SEQUENCES failed: the schema script has no statement for it", error);
    ASSERT_EQ(0, TLogTables::CreateMissing(SchemaScript(), created, error)) << error;
    EXPECT_EQ(std::vector<std::string>{"SEQUENCES"}, created);
    EXPECT_TRUE(TLogTables::CheckLogging(missing, malformed));
    TQSO* next = Log(qsos, "K1ABC", "05/19/2024");
    ASSERT_NE(nullptr, next);
    EXPECT_EQ(2, next->QSOID);  // after the numbers in use
    TQSO copy = *next;
    qsos.DeleteQSO(copy);  // the index row's number agrees: it goes too
    EXPECT_EQ(2, LiveRows("QSO_DATE_INDEX"));

    // A table with other columns than the log needs is not made over.
    DropTable("QSO_TEXT");
    Sql("CREATE TABLE QSO_TEXT (QSO_ID INT MULTI KEY, TEXT_PIECE CHAR[20] NOT NULL)");
    EXPECT_FALSE(TLogTables::CheckLogging(missing, malformed));
    EXPECT_EQ(std::vector<std::string>{"QSO_TEXT"}, malformed);
    EXPECT_EQ(
        "The table(s) QSO_TEXT lack the columns the log needs; \"tramb-db init\" cannot repair "
        "them: export the log with \"tramb-db export\" and start a new log file. The program "
        "will now be stopped.",
        TLogTables::Problem(missing, malformed));
    DropTable("SYSTEM_SETTINGS");
    EXPECT_EQ(999, TLogTables::CreateMissing(SchemaScript(), created, error));
    EXPECT_NE(std::string::npos, error.find("QSO_TEXT")) << error;
    EXPECT_EQ(DbFormat::kNoTableID, DbKernel->GetTableIDFromName("SYSTEM_SETTINGS"));
}

TEST_F(RecordsFixture, DeletingAContactWhoseNumberCameTwiceKeepsTheOtherDay) {
    TQSOs qsos;
    ASSERT_NE(nullptr, Log(qsos, "W1AW", "05/17/2024"));
    // A sequence table made anew without its numbers hands out 0 again.
    DropTable("SEQUENCES");
    Sql("CREATE TABLE SEQUENCES (TABLE_ID INT PRIMARY KEY, LAST_NUMBER INT NOT NULL)");
    TQSO* again = Log(qsos, "W1AW", "05/18/2024");
    ASSERT_NE(nullptr, again);
    ASSERT_EQ(0, again->QSOID);
    TQSO copy = *again;
    qsos.DeleteQSO(copy);
    const std::vector<TDBFields> left = RowsOf("QSOLOG", "W1AW");
    ASSERT_EQ(1u, left.size());
    EXPECT_EQ("05/17/2024", left[0].GetField(TQSOs::kColDate)->Value);
}
