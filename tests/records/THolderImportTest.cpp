#include <gtest/gtest.h>

#include <climits>

#include "RecordsFixture.h"
#include "records/THolderImport.h"

namespace {

class THolderImportTest : public RecordsFixture {
  protected:
    std::string List(const std::string& text) {
        const std::string name = dir_ + "/HamCsig2";
        WriteFile(name, text);
        return name;
    }
    std::vector<std::string> Holder(const std::string& call) {
        std::vector<std::string> out;
        const auto rows = RowsOf("HAMCLS", call);
        if (rows.empty())
            return out;
        for (int i = 0; i < 5; ++i) out.push_back(rows[0].GetField(i)->Value);
        return out;
    }
};

TEST(THolderImportParse, SplitsAtBarsIntoAtMostFiveUntrimmedFields) {
    using A = std::array<std::string, 5>;
    EXPECT_EQ((A{"K1ABC", "John", "Smith", "Boston", "MA"}),
              THolderImport::ParseImportLine("K1ABC|John|Smith|Boston|MA"));
    EXPECT_EQ((A{"K1ABC", "John", "Smith", "Boston", "MA"}),
              THolderImport::ParseImportLine("K1ABC|John|Smith|Boston|MA|extra|more"));
    EXPECT_EQ((A{"K1ABC", "John", "", "", ""}), THolderImport::ParseImportLine("K1ABC|John"));
    EXPECT_EQ((A{"just one field", "", "", "", ""}),
              THolderImport::ParseImportLine("  just one field \t\r"));
    EXPECT_EQ((A{"A ", " B", "", " ", "E"}), THolderImport::ParseImportLine(" A | B|| |E "));
    EXPECT_EQ((A{"", "", "", "", ""}), THolderImport::ParseImportLine(""));
}

TEST_F(THolderImportTest, ImportsFiveFieldsAndIgnoresASixth) {
    THolderImport import;
    std::vector<int32_t> progress;
    ASSERT_EQ(THolderImport::kOK,
              import.ImportData(List("K1ABC|John|Smith|Boston|MA\r\n"
                                     "w2xyz|Ann|Lee|Albany|NY|extra\r\n"),
                                "HAMCLS", 1, INT32_MAX, [&](int32_t n) { progress.push_back(n); }));
    EXPECT_EQ(2, import.Imported);
    EXPECT_EQ(2, import.LinesRead);
    EXPECT_EQ((std::vector<int32_t>{1, 2}), progress);
    EXPECT_EQ((std::vector<std::string>{"K1ABC", "John", "Smith", "Boston", "MA"}),
              Holder("K1ABC"));
    EXPECT_EQ((std::vector<std::string>{"W2XYZ", "Ann", "Lee", "Albany", "NY"}), Holder("W2XYZ"));
    EXPECT_TRUE(DatabaseSound());
}

TEST_F(THolderImportTest, AuditsEveryLineReadAndStoresFromTheStartLine) {
    const std::string file =
        List("K1AAA|A|A|A|AA\nK1BBB|B|B|B|BB\nK1CCC|C|C|C|CC\nK1DDD|D|D|D|DD\n");
    THolderImport import;
    ASSERT_EQ(THolderImport::kOK, import.ImportData(file, "HAMCLS", 2, 3));
    EXPECT_EQ(2, import.Imported);
    EXPECT_TRUE(Holder("K1AAA").empty());
    EXPECT_FALSE(Holder("K1BBB").empty());
    EXPECT_FALSE(Holder("K1CCC").empty());
    EXPECT_TRUE(Holder("K1DDD").empty());
    EXPECT_EQ("K1AAA|A|A|A|AA 1\r\nK1BBB|B|B|B|BB 2\r\nK1CCC|C|C|C|CC 3\r\n",
              ReadFile(file + "AUDIT"));
}

TEST_F(THolderImportTest, StopsAtTheFirstEmptyLineAndOverwritesAKnownCall) {
    const std::string file = List("K1AAA|Old|Name|X|XX\nK1AAA|New|Name|Y|YY\n\nK1BBB|B|B|B|BB\n");
    THolderImport import;
    ASSERT_EQ(THolderImport::kOK, import.ImportData(file, "HAMCLS", 1, INT32_MAX));
    EXPECT_EQ(2, import.LinesRead);
    EXPECT_EQ((std::vector<std::string>{"K1AAA", "New", "Name", "Y", "YY"}), Holder("K1AAA"));
    EXPECT_TRUE(Holder("K1BBB").empty());
    EXPECT_EQ(1, LiveRows("HAMCLS"));
    EXPECT_EQ("K1AAA|Old|Name|X|XX 1\r\nK1AAA|New|Name|Y|YY 2\r\n", ReadFile(file + "AUDIT"));
}

TEST_F(THolderImportTest, FailuresLeaveTheTableAlone) {
    THolderImport import;
    const std::string missing = dir_ + "/nothing-here";
    EXPECT_EQ(THolderImport::kFailed, import.ImportData(missing, "HAMCLS", 1, 10));
    EXPECT_FALSE(import.LastError.empty());
    EXPECT_FALSE(std::filesystem::exists(missing + "AUDIT"));

    const std::string file = List("K1AAA|A|A|A|AA\n");
    EXPECT_EQ(THolderImport::kFailed, import.ImportData(file, "NO_SUCH_TABLE", 1, 10));
    EXPECT_EQ(0, import.Imported);
    EXPECT_EQ("", ReadFile(file + "AUDIT"));
    EXPECT_EQ(0, LiveRows("HAMCLS"));
}

TEST_F(THolderImportTest, AskingForTheLinesConvertsThemStrictly) {
    const std::string file = List("K1AAA|A|A|A|AA\nK1BBB|B|B|B|BB\nK1CCC|C|C|C|CC\n");
    THolderImport import;
    dialogs_->QueueAnswer("2");
    dialogs_->QueueAnswer("2");
    ASSERT_EQ(THolderImport::kOK, import.ImportDataAsking(file, "HAMCLS"));
    EXPECT_EQ((std::vector<std::string>{"Enter Start: ", "Enter End: "}), dialogs_->Prompts);
    EXPECT_EQ(1, import.Imported);
    EXPECT_FALSE(Holder("K1BBB").empty());

    std::filesystem::remove(file + "AUDIT");
    dialogs_->QueueAnswer("1");
    dialogs_->QueueAnswer("two");
    EXPECT_EQ(THolderImport::kFailed, import.ImportDataAsking(file, "HAMCLS"));
    EXPECT_FALSE(std::filesystem::exists(file + "AUDIT"));
    EXPECT_TRUE(Holder("K1AAA").empty());
}

}  // namespace
