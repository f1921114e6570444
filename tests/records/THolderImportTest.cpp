#include "RecordsFixture.h"
#include "records/THolderImport.h"

TEST(THolderImportParse, SplitsAtBarsIntoAtMostFiveUntrimmedFields) {
    using A = std::array<std::string, 5>;
    const std::pair<const char*, A> cases[] = {
        {"  just one field \t\r", {"just one field", "", "", "", ""}},
        {" A | B|| |E ", {"A ", " B", "", " ", "E"}},
        {"", {"", "", "", "", ""}},
    };
    for (const auto& [line, fields] : cases)
        EXPECT_EQ(fields, THolderImport::ParseImportLine(line)) << line;
}

class THolderImportTest : public RecordsFixture {
protected:
    std::string List(const std::string& text) {
        WriteFile(dir_ + "/HamCsig2", text);
        return dir_ + "/HamCsig2";
    }
};

// Every line read goes to the audit; lines from the start line on are stored,
// up to the end line or the first empty line.
TEST_F(THolderImportTest, AuditsEveryLineReadAndStoresFromTheStartLine) {
    const std::string file = List(
        "K1AAA|A|A|A|AA\r\nw2xyz|Old|Name|X|XX\nW2XYZ|Ann|Lee|Albany|NY|extra\nK1CCC|C|C|C|CC\n"
        "\nK1DDD|D|D|D|DD\n");
    THolderImport import;
    ASSERT_EQ(THolderImport::kOK, import.ImportData(file, "HAMCLS", 2, 100));
    EXPECT_EQ(3, import.Imported);
    const TDBFields w2 = RowsOf("HAMCLS", "W2XYZ").at(0);  // the later line, five fields
    EXPECT_EQ("Ann", w2.GetField(1)->Value);
    EXPECT_EQ("NY", w2.GetField(4)->Value);
    EXPECT_EQ(2, LiveRows("HAMCLS"));  // W2XYZ once, K1CCC
    EXPECT_EQ(
        "K1AAA|A|A|A|AA 1\r\nw2xyz|Old|Name|X|XX 2\r\nW2XYZ|Ann|Lee|Albany|NY|extra 3\r\n"
        "K1CCC|C|C|C|CC 4\r\n",
        ReadFile(file + "AUDIT"));
    ExpectSound();

    ASSERT_EQ(THolderImport::kOK, import.ImportData(file, "HAMCLS", 1, 1));  // the end line
    EXPECT_EQ("K1AAA|A|A|A|AA 1\r\n", ReadFile(file + "AUDIT"));
}

TEST_F(THolderImportTest, FailuresLeaveTheTableAlone) {
    THolderImport import;
    EXPECT_EQ(THolderImport::kFailed, import.ImportData(dir_ + "/none", "HAMCLS", 1, 10));
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/noneAUDIT"));

    const std::string file = List("K1AAA|A|A|A|AA\nK1BBB|B|B|B|BB\n");
    EXPECT_EQ(THolderImport::kFailed, import.ImportData(file, "NO_SUCH_TABLE", 1, 10));
    EXPECT_EQ("", ReadFile(file + "AUDIT"));
    EXPECT_EQ(0, LiveRows("HAMCLS"));
}
