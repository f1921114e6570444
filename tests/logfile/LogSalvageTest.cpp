// The export and tramb-db salvage on a log of 200 contacts damaged byte by
// byte: every readable row comes out, each unreadable one is counted.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TWriteBatch.h"
#include "records/TDbSystemSettings.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "schema/TDatabase.h"

namespace {
namespace fs = std::filesystem;
using namespace DbFormat;

std::string Slurp(const std::string& path) {
    std::ostringstream out;  // one bulk copy: a log is 45 MB
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

constexpr uint32_t kLogPage = kDataRegionBase + kDataPageSize;  // QSOLOG (ID 6), stride 170
constexpr uint32_t kStride = 170;

class LogSalvageTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/dev/shm/tramb-salvage-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(tmpl));
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }

    int Tool(const std::string& args, std::string& out) {
        const std::string cmd =
            "cd '" + dir_ + "' && '" TRAMB_BIN_DIR "/tramb-db' " + args + " >.out 2>&1";
        const int status = std::system(cmd.c_str());
        out = Slurp(dir_ + "/.out");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // 210 contacts (numbers 0..209, every fifth with a text), 10 deleted, a setting.
    void MakeLog() {
        std::string out;
        ASSERT_EQ(0, Tool("--file sound.sib init", out)) << out;
        TDatabase db;
        ASSERT_EQ(0, db.StartDatabase(dir_ + "/sound.sib"));
        {
            const TWriteBatch batch;
            for (int i = 0; i < 210; ++i) {
                TQSOs qsos;
                TQSO* q = qsos.AddQSO("12/" + std::to_string(10 + i % 20) + "/2026",
                                      "K" + std::to_string(i) + "AB", "10:00", "10:05", "14.070",
                                      100, "CW", 599, 579, 0, 0, 0, "05", "USA", "", "FN42", "", 0,
                                      "", "", "", "");
                ASSERT_NE(nullptr, q);
                if (i % 5 == 0)
                    TQSOMemos().SaveText(i, "note " + std::to_string(i) + std::string(i, 'x'));
                if (i % 21 == 3)
                    qsos.DeleteQSO(*q);
            }
            ASSERT_NE(nullptr, TDbSystemSettings().Save("UTCShift", "2"));
        }
        // The page scan reads past damage, and on a sound file reads what
        // the walk that stops at damage reads.
        for (uint32_t t = 6; t <= 10; ++t) {
            std::vector<std::string> raw, salvaged;
            int32_t deleted = 0, damaged = -1;
            DbKernel->RawScanTable(65, t, deleted, raw, 0);
            DbKernel->SalvageTails(65, t, deleted, damaged, salvaged);
            EXPECT_EQ(raw, salvaged) << t;
            EXPECT_EQ(0, damaged) << t;
        }
        db.ShutdownDatabase(dir_ + "/sound.sib");
    }
    std::string dir_;
};

TEST_F(LogSalvageTest, ExportAndSalvageKeepEveryReadableRowOfADamagedLog) {
    MakeLog();
    std::string out;
    ASSERT_EQ(0, Tool("--file sound.sib export sound.txt", out)) << out;
    EXPECT_EQ("240 Rows Exported.\n", out);  // 200 contacts, 40 texts
    const std::string sound = Slurp(dir_ + "/sound.txt");

    struct TCase {
        const char* Name;
        uint32_t At, Length, Value;  // Length 0: the word At := Value, else Length zero bytes
        int Lost;                    // the contact whose slot was damaged, -1 none
    } cases[] = {
        {"bad TableID word", kLogPage + 17 * kStride, 0, 0x4b4f4f42, 17},
        {"changed page owner", kLogPage, 0, 8, 0},
        {"zeroed slot mid-page", kLogPage + 100 * kStride, kStride, 0, 100},
        {"damaged bucket word", kBucketRegionBase + 7 * kBucketBlockSize + 630 * 4, 0, 1, -1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove(dir_ + "/new.sib");
        std::string log = Slurp(dir_ + "/sound.sib");
        if (c.Length == 0)
            std::memcpy(log.data() + c.At, &c.Value, 4);
        else
            std::memset(log.data() + c.At, 0, c.Length);
        std::ofstream(dir_ + "/bad.sib", std::ios::binary) << log;

        // The export leaves out just the damaged contact's line.
        std::string expected = sound;
        const std::string line = "\r\n" + std::to_string(c.Lost) + "|12/";
        if (c.Lost >= 0) {
            const size_t from = expected.find(line) + 2;
            expected.erase(from, expected.find("\r\n", from) + 2 - from);
        }
        const int damaged = c.Lost >= 0 ? 1 : 0;
        EXPECT_EQ(damaged, Tool("--file bad.sib export bad.txt", out)) << out;
        EXPECT_EQ(std::to_string(240 - damaged) + " Rows Exported.\n" +
                      (damaged ? "1 damaged rows were skipped.\n" : ""),
                  out.substr(0, out.find("tramb-db:")));
        EXPECT_EQ(expected, Slurp(dir_ + "/bad.txt"));

        // The new log holds the same rows, its own links, and goes on numbering.
        ASSERT_EQ(0, Tool("--file bad.sib salvage new.sib", out)) << out;
        EXPECT_NE(std::string::npos, out.find(": " + std::to_string(200 - damaged) +
                                              " contacts, 40 texts, " + "1 settings saved; " +
                                              std::to_string(damaged) + " damaged rows skipped"))
            << out;
        EXPECT_TRUE(log == Slurp(dir_ + "/bad.sib")) << "salvage wrote to its source";
        EXPECT_EQ(0, Tool("--file new.sib check", out)) << out;
        ASSERT_EQ(0, Tool("--file new.sib export new.txt", out)) << out;
        const std::regex tail("TAIL:\\d+");
        EXPECT_EQ(std::regex_replace(expected, tail, ""),
                  std::regex_replace(Slurp(dir_ + "/new.txt"), tail, ""));
        EXPECT_EQ(0, Tool("--file new.sib day 12/27/2026", out));
        EXPECT_EQ(c.Lost == 17 ? 9 : 10, std::count(out.begin(), out.end(), '\n')) << out;
        EXPECT_EQ(0, Tool("--file new.sib add-qso --date 12/01/2026 --call W1AW", out));
        EXPECT_EQ("210\n", out);
        EXPECT_EQ(1, Tool("--file bad.sib salvage new.sib", out));
        EXPECT_NE(std::string::npos, out.find("new.sib already exists")) << out;
    }
}

}  // namespace
