// Every kept input of every fuzz target runs through the target's entry
// function once; a crash, sanitizer report or hang fails the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzTargets.h"

namespace fs = std::filesystem;

namespace {
const char* const kTargets[] = {"db_image", "sql", "holder_import", "viewer_results",
                                "country_chars"};

std::vector<fs::path> KeptInputs(const std::string& target) {
    std::vector<fs::path> files;
    for (const char* folder : {"seeds", "crashes"}) {
        const fs::path dir = fs::path(TRAMB_FUZZ_DATA) / target / folder;
        std::error_code ec;
        if (!fs::is_directory(dir, ec))
            continue;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.is_regular_file() && e.path().filename().string()[0] != '.')
                files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}
}  // namespace

class FuzzReplay : public ::testing::TestWithParam<const char*> {};

TEST_P(FuzzReplay, EveryKeptInputRunsClean) {
    const std::string target = GetParam();
    const TFuzzEntry entry = FuzzEntryByName(target);
    ASSERT_NE(nullptr, entry);
    const std::vector<fs::path> inputs = KeptInputs(target);
    // Every target keeps a seed corpus; an empty folder means the data went missing.
    ASSERT_FALSE(inputs.empty()) << "no kept inputs for " << target;
    for (const fs::path& file : inputs) {
        SCOPED_TRACE(file.string());
        const std::vector<uint8_t> data = Bytes(file);
        EXPECT_EQ(0, entry(data.data(), data.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param); });
