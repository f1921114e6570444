#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <filesystem>
#include <fstream>

#include "platform/TFileSearch.h"

namespace {

class TFileSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/dev/shm/tramb-search-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        dir_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Make(const std::string& name) {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path) << "x";
        return path;
    }
    std::string dir_;
};

TEST_F(TFileSearchTest, NamesMatchIgnoringCaseAndReportTheirStoredName) {
    Make("en0103.dat");
    Make("EN0103.DAT.bak");
    const auto matches = TFileSearch::Find(dir_, "EN0103.DAT", 125);
    ASSERT_EQ(1u, matches.size());
    EXPECT_EQ("en0103.dat", matches[0].Name);
    EXPECT_EQ(TFileSearch::kArchive, matches[0].Attributes);
    EXPECT_TRUE(TFileSearch::Find(dir_ + "/missing", "EN0103.DAT", 125).empty());
}

TEST_F(TFileSearchTest, AttributesFollowTypeWriteBitsAndDosAttributes) {
    const std::string plain = Make("PLAIN");
    const std::string readOnly = Make("RO");
    chmod(readOnly.c_str(), 0444);
    std::filesystem::create_directory(dir_ + "/SUB");
    EXPECT_EQ(TFileSearch::kArchive, TFileSearch::Attributes(plain));
    EXPECT_EQ(TFileSearch::kArchive | TFileSearch::kReadOnly, TFileSearch::Attributes(readOnly));
    EXPECT_EQ(TFileSearch::kDirectory,
              TFileSearch::Attributes(dir_ + "/SUB") & TFileSearch::kDirectory);
    EXPECT_EQ(0u, TFileSearch::Attributes(dir_ + "/none"));

    const std::string hidden = Make("HIDDEN");
    if (setxattr(hidden.c_str(), "user.DOSATTRIB", "0x22", 4, 0) != 0)
        GTEST_SKIP() << "no user extended attributes here";
    EXPECT_EQ(TFileSearch::kArchive | TFileSearch::kHidden, TFileSearch::Attributes(hidden));
}

TEST_F(TFileSearchTest, HiddenSystemAndDirectoryEntriesNeedTheirMaskBit) {
    std::filesystem::create_directory(dir_ + "/EN0103.DAT");
    EXPECT_EQ(1u, TFileSearch::Find(dir_, "EN0103.DAT", 125).size());  // 125 holds directory
    EXPECT_TRUE(TFileSearch::Find(dir_, "EN0103.DAT", TFileSearch::kArchive).empty());

    const std::string hidden = Make("TRAVINDOX_TBL0001.TXT");
    if (setxattr(hidden.c_str(), "user.DOSATTRIB", "0x2", 3, 0) != 0)
        GTEST_SKIP() << "no user extended attributes here";
    EXPECT_TRUE(TFileSearch::Find(dir_, "TRAVINDOX_TBL0001.TXT", 125).empty());
    EXPECT_EQ(1u, TFileSearch::Find(dir_, "TRAVINDOX_TBL0001.TXT", 127).size());
}

}  // namespace
