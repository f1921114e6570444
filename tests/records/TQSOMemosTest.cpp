#include <stdexcept>

#include "RecordsFixture.h"
#include "records/TQSOMemos.h"

using TQSOMemosTest = RecordsFixture;

static std::vector<std::string> Pieces(int32_t number) {
    TQSOMemos memos;
    memos.LoadForQSO(number);
    std::vector<std::string> out;
    for (const auto& m : memos.Memos) out.push_back(m->Text);
    return out;
}

TEST_F(TQSOMemosTest, TextIsCutInto249CharacterPiecesAfterLineBreaksBecomeBlanks) {
    const std::string b249(249, 'b'), d249(249, 'd');
    const struct {
        int32_t Number;  // 12 and 21 share a bucket: the key is the number's text
        std::string Text;
        std::vector<std::string> Pieces;
    } cases[] = {
        {12, b249, {b249}},
        {21, b249 + "c", {b249, "c"}},
        {-3, b249 + d249 + "e", {b249, d249, "e"}},  // pieces come back in text order
        {7, "AB\r\nCD", {"AB CD"}},
        {8, "A\rB\nC\r\n\r\nD\n", {"A B C  D "}},
        // The cut is made in the converted text.
        {9, std::string(248, 'x') + "\r\ny", {std::string(248, 'x') + " ", "y"}},
        {4, "", {""}},  // an empty text still stores one piece
    };
    TQSOMemos memos;
    for (const auto& c : cases) ASSERT_EQ(0, memos.SaveText(c.Number, c.Text)) << c.Number;
    for (const auto& c : cases) EXPECT_EQ(c.Pieces, Pieces(c.Number)) << c.Number;
    ASSERT_EQ(0, memos.SaveText(4, "again"));  // saving twice keeps both
    EXPECT_EQ((std::vector<std::string>{"", "again"}), Pieces(4));
    ExpectSound();
}

TEST_F(TQSOMemosTest, MemoFromFieldsCleansAndChecksThePiece) {
    TQSOMemos memos;
    ASSERT_EQ(0, memos.SaveText(1, "x"));
    TDBFields f = RowsOf("QSO_TEXT", "1").at(0);
    f.GetField(1)->Value = std::string("a\r\nb") + '\0' + "c" + std::string(300, 'z');
    EXPECT_EQ("abc" + std::string(246, 'z'), memos.MemoFromFields(f)->Text);
    f.GetField(0)->Value = "x1";
    EXPECT_THROW(memos.MemoFromFields(f), std::invalid_argument);

    DropTable("QSO_TEXT");
    EXPECT_EQ(999, memos.SaveText(1, "text"));
    EXPECT_TRUE(Pieces(1).empty());
}
