#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include "PlatformTestSupport.h"
#include "platform/TFileSearch.h"

// The mask leaving out hidden entries is exercised by the call-data lookup.
TEST(TFileSearch, NamesMatchIgnoringCaseAndAttributesFollowTheFile) {
    TTempDir dir;
    const std::string& d = dir.Path;
    for (const char* name : {"/en0103.dat", "/EN0103.DAT.bak", "/RO", "/HIDDEN"})
        std::ofstream(d + name) << "x";
    chmod((d + "/RO").c_str(), 0444);
    std::filesystem::create_directory(d + "/SUB");
    const auto matches = TFileSearch::Find(d, "EN0103.DAT", 125);
    ASSERT_EQ(1u, matches.size());
    EXPECT_EQ("en0103.dat", matches[0].Name);
    EXPECT_EQ(TFileSearch::kArchive, matches[0].Attributes);
    EXPECT_TRUE(TFileSearch::Find(d + "/missing", "EN0103.DAT", 125).empty());
    EXPECT_EQ(TFileSearch::kArchive | TFileSearch::kReadOnly, TFileSearch::Attributes(d + "/RO"));
    EXPECT_EQ(0u, TFileSearch::Attributes(d + "/none"));
    EXPECT_EQ(1u, TFileSearch::Find(d, "sub", 125).size());  // 125 holds directory
    EXPECT_TRUE(TFileSearch::Find(d, "SUB", TFileSearch::kArchive).empty());
    if (setxattr((d + "/HIDDEN").c_str(), "user.DOSATTRIB", "0x22", 4, 0) != 0)
        GTEST_SKIP() << "no user extended attributes here";
    EXPECT_EQ(TFileSearch::kArchive | TFileSearch::kHidden, TFileSearch::Attributes(d + "/HIDDEN"));
}
