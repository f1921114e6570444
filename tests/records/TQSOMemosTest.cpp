#include <gtest/gtest.h>

#include <stdexcept>

#include "RecordsFixture.h"
#include "records/TQSOMemos.h"

namespace {

class TQSOMemosTest : public RecordsFixture {
  protected:
    std::vector<std::string> Pieces(int32_t number) {
        TQSOMemos memos;
        memos.LoadForQSO(number);
        std::vector<std::string> out;
        for (const auto& m : memos.Memos) {
            EXPECT_EQ(number, m->QSOID);
            out.push_back(m->Text);
        }
        return out;
    }
};

TEST_F(TQSOMemosTest, PiecesAreCutAt249Characters) {
    TQSOMemos memos;
    const std::string t249(249, 'a');
    ASSERT_EQ(0, memos.SaveText(1, t249));
    EXPECT_EQ(std::vector<std::string>{t249}, Pieces(1));

    std::string t250 = std::string(249, 'b') + "c";
    ASSERT_EQ(0, memos.SaveText(2, t250));
    EXPECT_EQ((std::vector<std::string>{std::string(249, 'b'), "c"}), Pieces(2));

    // Pieces come back in text order, several rows of one number.
    std::string long_text;
    for (int i = 0; i < 1000; ++i) long_text += static_cast<char>('a' + i % 26);
    ASSERT_EQ(0, memos.SaveText(3, long_text));
    const auto pieces = Pieces(3);
    ASSERT_EQ(5u, pieces.size());
    std::string joined;
    for (const auto& p : pieces) joined += p;
    EXPECT_EQ(long_text, joined);
    EXPECT_EQ(1u + 2u + 5u, memos.Memos.size());
}

TEST_F(TQSOMemosTest, LineBreaksBecomeOneBlankEach) {
    TQSOMemos memos;
    ASSERT_EQ(0, memos.SaveText(7, "AB\r\nCD"));
    EXPECT_EQ(std::vector<std::string>{"AB CD"}, Pieces(7));

    ASSERT_EQ(0, memos.SaveText(8, "A\rB\nC\r\n\r\nD\n"));
    EXPECT_EQ(std::vector<std::string>{"A B C  D "}, Pieces(8));

    // The cut is made in the converted text: 248 letters, a line break and
    // one more letter fill exactly one piece.
    ASSERT_EQ(0, memos.SaveText(9, std::string(248, 'x') + "\r\ny"));
    EXPECT_EQ((std::vector<std::string>{std::string(248, 'x') + " ", "y"}), Pieces(9));
    for (const auto& m : memos.Memos) {
        EXPECT_EQ(std::string::npos, m->Text.find_first_of("\r\n"));
    }
}

TEST_F(TQSOMemosTest, EmptyTextStoresOneEmptyPieceAndSavingTwiceKeepsBoth) {
    TQSOMemos memos;
    ASSERT_EQ(0, memos.SaveText(4, ""));
    EXPECT_EQ(std::vector<std::string>{""}, Pieces(4));
    EXPECT_EQ(1, LiveRows("QSO_TEXT"));

    ASSERT_EQ(0, memos.SaveText(5, "one"));
    ASSERT_EQ(0, memos.SaveText(5, "two"));
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), Pieces(5));
}

TEST_F(TQSOMemosTest, DeleteForQSORemovesOnlyThatContactsPieces) {
    TQSOMemos memos;
    ASSERT_EQ(0, memos.SaveText(10, std::string(600, 'q')));
    ASSERT_EQ(0, memos.SaveText(11, "other"));
    EXPECT_EQ(0, memos.DeleteForQSO(10));
    EXPECT_TRUE(Pieces(10).empty());
    EXPECT_EQ(std::vector<std::string>{"other"}, Pieces(11));
    int deleted = 0;
    EXPECT_EQ(1, LiveRows("QSO_TEXT", &deleted));
    EXPECT_EQ(3, deleted);
    EXPECT_EQ(0, memos.DeleteForQSO(12345));  // nothing there
    EXPECT_TRUE(DatabaseSound());
}

TEST_F(TQSOMemosTest, TheIntegerKeyIsFoundByItsDecimalText) {
    TQSOMemos memos;
    // Numbers whose texts share a bucket (same characters, other order).
    ASSERT_EQ(0, memos.SaveText(12, "twelve"));
    ASSERT_EQ(0, memos.SaveText(21, "twenty-one"));
    ASSERT_EQ(0, memos.SaveText(-3, "negative"));
    EXPECT_EQ(std::vector<std::string>{"twelve"}, Pieces(12));
    EXPECT_EQ(std::vector<std::string>{"twenty-one"}, Pieces(21));
    EXPECT_EQ(std::vector<std::string>{"negative"}, Pieces(-3));
    EXPECT_TRUE(Pieces(2).empty());
    EXPECT_TRUE(DatabaseSound());
}

TEST_F(TQSOMemosTest, MissingTableStoresAndLoadsNothing) {
    DropTable("QSO_TEXT");
    TQSOMemos memos;
    EXPECT_EQ(999, memos.SaveText(1, "text"));
    EXPECT_TRUE(memos.Memos.empty());
    memos.LoadForQSO(1);
    EXPECT_TRUE(memos.Memos.empty());
    EXPECT_EQ(0, memos.DeleteForQSO(1));
}

TEST_F(TQSOMemosTest, MemoFromFieldsCleansAndChecksThePiece) {
    TQSOMemos memos;
    ASSERT_EQ(0, memos.SaveText(1, "x"));
    TDBResultSet rs;
    ASSERT_EQ(0, rs.Open("QSO_TEXT", "1", "1"));
    TDBFields f = *rs.CurrentFields;
    f.GetField(1)->Value = std::string("a\r\nb") + '\0' + "c" + std::string(300, 'z');
    auto m = memos.MemoFromFields(f);
    EXPECT_EQ("abc" + std::string(246, 'z'), m->Text);
    EXPECT_EQ(m->Text, memos.Current->Text);
    f.GetField(0)->Value = "x1";
    EXPECT_THROW(memos.MemoFromFields(f), std::invalid_argument);
}

}  // namespace
