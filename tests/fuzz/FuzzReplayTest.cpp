// Every kept input of every fuzz target (tests/data/fuzz/<target>/{seeds,
// crashes}) runs through the target's entry function once; a crash,
// sanitizer report or hang fails the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "FuzzTargets.h"
#include "HardeningFiles.h"
#include "TFuzzWorkspace.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernelState.h"
#include "records/TQSOs.h"

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

// The fuzz targets' file answers a page's used end from the template and the
// pages written since; it must answer as a look at every byte of the view.
TEST(FuzzDbFileTest, UsedEndAgreesWithTheViewAfterPatchesAndWrites) {
    using namespace DbFormat;
    const uint32_t page6 = kDataRegionBase + 6 * kDataPageSize;
    std::vector<TFuzzDbFile::TPatch> patches = {
        {page6 + 123457, {7, 0, 0, 9}},        // far into an empty page
        {kDataRegionBase + 40, {0, 0, 0, 0}},  // zeros over the template's rows
        {kDbFileSize - 2, {1, 1}},             // the file's last bytes
        {kBucketRegionBase + 50 * kBucketBlockSize + 8, {3}}};
    TFuzzWorkspace& ws = TFuzzWorkspace::Get();
    for (int round = 0; round < 2; ++round) {  // the second after a restore
        ASSERT_TRUE(ws.Open(patches));
        EXPECT_NE(TQSOs().AddQSO("02/02/2002", "W1AW", "10:00", "10:01", "7.000", 5, "CW", 599, 599,
                                 0, 0, 0, "5", "", "", "", "", 0, "", "", "", ""),
                  nullptr);
        const TDbFile& file = *TDbKernelState::File;
        for (uint32_t p = 0; p < kDataPageCount; ++p) {
            const uint32_t start = kDataRegionBase + p * kDataPageSize;
            for (const auto& [from, to] :
                 {std::pair{start, start + kDataPageSize}, std::pair{start + 4093, start + 123461},
                  std::pair{start + 41, start + 4097}}) {
                SCOPED_TRACE(std::to_string(round) + ": " + std::to_string(from));
                EXPECT_EQ(file.UsedEnd(from, to), file.TDbFile::UsedEnd(from, to));
            }
        }
        EXPECT_EQ(file.UsedEnd(kBucketRegionBase, kDataRegionBase),
                  file.TDbFile::UsedEnd(kBucketRegionBase, kDataRegionBase));
        ws.Close();
        patches.resize(1);
    }
    // Closed, the view shows the template again, byte for byte.
    ASSERT_TRUE(ws.Open());
    const std::string tpl = HardeningFiles::ReadFile(ws.Dir() + "/log.sib");
    ASSERT_EQ(tpl.size(), kDbFileSize);
    EXPECT_EQ(std::memcmp(TDbKernelState::Base, tpl.data(), tpl.size()), 0);
    ws.Close();
}
