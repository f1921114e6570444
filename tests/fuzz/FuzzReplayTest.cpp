// Every kept input of every fuzz target (tests/data/fuzz/<target>/{seeds,
// crashes}) runs through the target's entry function once; a crash,
// sanitizer report or hang fails the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "FuzzTargets.h"
#include "HardeningFiles.h"

namespace fs = std::filesystem;

class FuzzReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzReplay, EveryKeptInputRunsClean) {
    std::vector<fs::path> inputs;
    for (const char* folder : {"seeds", "crashes"})
        if (const fs::path dir = fs::path(TRAMB_FUZZ_DATA) / GetParam() / folder;
            fs::is_directory(dir))
            for (const auto& e : fs::directory_iterator(dir))
                if (e.is_regular_file() && e.path().filename().string()[0] != '.')
                    inputs.push_back(e.path());
    std::sort(inputs.begin(), inputs.end());
    // Every target keeps a seed corpus; an empty folder means the data went missing.
    ASSERT_FALSE(inputs.empty()) << "no kept inputs for " << GetParam();
    for (const fs::path& file : inputs) {
        SCOPED_TRACE(file.string());
        const std::string data = HardeningFiles::ReadFile(file);
        EXPECT_EQ(0, kFuzzTargets.at(GetParam())(reinterpret_cast<const uint8_t*>(data.data()),
                                                 data.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
                         ::testing::Values("db_image", "sql", "holder_import", "viewer_results",
                                           "country_chars", "wsjtx_datagram"),
                         [](const auto& info) { return info.param; });
