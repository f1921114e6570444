// Thousands of writes, overwrites, deletions and truncations against a
// simple in-memory model; every read and the integrity check must agree
// with it.
#include <map>
#include <random>
#include <set>

#include "KernelTestSupport.h"
#include "kernel/CustomExceptions.h"
#include "kernel/DbFormat.h"

using namespace DbFormat;

namespace {
struct TModelRow {
    int32_t Qty = 0;
    std::string Note;
    std::string StoredKey;  // as written: upper-cased, not trimmed
};

constexpr uint32_t kUnique = 6;
constexpr uint32_t kMulti = 7;
constexpr uint32_t kPadLength = 60000;  // about 83 rows per page: pages fill and free up
}  // namespace

class KernelRandomTest : public KernelTest {
  protected:
    void MakeTables() {
        for (uint32_t id : {kUnique, kMulti})
            MakeTable(id, "RND" + std::to_string(id),
                      {{"CALL", kTypeCharacter, 10, id == kUnique ? kKeyPrimary : kKeyMulti},
                       {"QTY", kTypeInteger, 0, kKeyNone},
                       {"NOTE", kTypeCharacter, 12, kKeyNone},
                       {"PAD", kTypeCharacter, kPadLength, kKeyNone}});
    }
    std::string RandomKey() {
        const int n = static_cast<int>(rng_() % 40);
        std::string key = n % 3 == 0 ? "ABCDEF" + std::to_string(n) : "Q" + std::to_string(n * 7);
        if (rng_() % 4 == 0)
            for (char& c : key)
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
        if (rng_() % 5 == 0)
            key = " " + key + " ";
        return key;
    }
    std::string RandomNote() {
        static const char kChars[] = "abcXYZ 09-";
        std::string s(rng_() % 15, ' ');
        for (char& c : s) c = kChars[rng_() % (sizeof kChars - 1)];
        return s;
    }
    static std::string Norm(const std::string& key) { return UpperText(TrimText(key)); }
    int32_t Bucket(const std::string& key) {
        TDBFieldsPtr f = Row(kUnique, {key});
        return DbKernelHelper->GetHash(*f);
    }
    // A write in the model's terms: answers false when the file was full.
    bool DoWrite(uint32_t id, const std::string& key, const std::string& qty,
                 const std::string& note, bool existing) {
        const size_t messages = dialogs_->Messages.size();
        const bool chainExists = usedBuckets_[id].count(Bucket(key)) != 0;
        const int32_t status = Write(id, {key, qty, note});
        if (dialogs_->Messages.size() != messages) {
            EXPECT_EQ(dialogs_->Messages.back(), KernelMessages::kDatabaseFull);
            EXPECT_EQ(status, 999);
            EXPECT_FALSE(existing);
            return false;
        }
        EXPECT_EQ(status, existing || chainExists ? 0 : 999) << key;
        usedBuckets_[id].insert(Bucket(key));
        return true;
    }
    void Truncate(uint32_t id) {
        ASSERT_EQ(kernel_->TruncateTable("RND" + std::to_string(id)), 0);
        usedBuckets_[id].clear();
        if (id == kUnique)
            unique_.clear();
        else
            multi_.clear();
    }
    void VerifyAll() {
        for (const auto& [key, row] : unique_) {
            const auto got = Read(kUnique, key);
            ASSERT_EQ(got, (std::vector<std::string>{row.StoredKey, std::to_string(row.Qty),
                                                     row.Note.substr(0, 12)}));
        }
        size_t multiRows = 0;
        for (const auto& [key, rows] : multi_) {
            for (size_t i = 0; i < rows.size(); ++i) {
                const auto got = Read(kMulti, key, static_cast<int32_t>(i + 1));
                ASSERT_EQ(got,
                          (std::vector<std::string>{rows[i].StoredKey, std::to_string(rows[i].Qty),
                                                    rows[i].Note.substr(0, 12)}));
            }
            EXPECT_TRUE(Read(kMulti, key, static_cast<int32_t>(rows.size() + 1)).empty());
            multiRows += rows.size();
        }
        std::vector<std::string> tails;
        int32_t deleted = 0;
        EXPECT_EQ(kernel_->RawScanTable(65, kUnique, deleted, tails, 1),
                  static_cast<int32_t>(unique_.size()));
        EXPECT_EQ(kernel_->RawScanTable(65, kMulti, deleted, tails, 1),
                  static_cast<int32_t>(multiRows));
        std::string report;
        EXPECT_EQ(Check(&report), 0) << report;
    }

    std::mt19937 rng_{20240601};
    std::map<std::string, TModelRow> unique_;
    std::map<std::string, std::vector<TModelRow>> multi_;
    std::map<uint32_t, std::set<int32_t>> usedBuckets_;
};

class KernelRandomSeedTest : public KernelRandomTest,
                             public ::testing::WithParamInterface<uint32_t> {};

TEST_P(KernelRandomSeedTest, AgreesWithModel) {
    rng_.seed(GetParam());
    MakeTables();
    int fullRefusals = 0;
    for (int op = 0; op < 4000; ++op) {
        const uint32_t r = rng_() % 1000;
        const std::string key = RandomKey();
        const std::string norm = Norm(key);
        if (r < 400) {
            const bool existing = unique_.count(norm) != 0;
            std::string qty =
                rng_() % 6 == 0 ? "" : std::to_string(static_cast<int32_t>(rng_()) / 3);
            const std::string note = RandomNote();
            if (!DoWrite(kUnique, key, qty, note, existing)) {
                ++fullRefusals;
                Truncate(kMulti);
                continue;
            }
            TModelRow& row = unique_[norm];
            if (!qty.empty())
                row.Qty = std::stoi(qty);
            else if (!existing)
                row.Qty = 0;
            row.Note = note;
            row.StoredKey = UpperText(key);
        } else if (r < 650) {
            const std::string qty = std::to_string(op);
            const std::string note = RandomNote();
            if (!DoWrite(kMulti, key, qty, note, false)) {
                ++fullRefusals;
                Truncate(rng_() % 2 ? kMulti : kUnique);
                continue;
            }
            multi_[norm].push_back(TModelRow{op, note, UpperText(key)});
        } else if (r < 800) {
            TDBFieldsPtr f = Row(kUnique, {key});
            const int32_t status = kernel_->ReadDataRow(kUnique, *f, 0, key);
            ASSERT_EQ(status == 0, unique_.count(norm) != 0) << key;
            if (status == 0) {
                kernel_->MarkDataRowDeleted(*f);
                unique_.erase(norm);
            }
        } else if (r < 950) {
            auto it = multi_.find(norm);
            const int32_t occurrence = 1 + static_cast<int32_t>(rng_() % 3);
            TDBFieldsPtr f = Row(kMulti, {key});
            const int32_t status = kernel_->ReadDataRow(kMulti, *f, occurrence, key);
            const bool expected =
                it != multi_.end() && static_cast<size_t>(occurrence) <= it->second.size();
            ASSERT_EQ(status == 0, expected) << key << " #" << occurrence;
            if (status == 0) {
                ASSERT_EQ(f->GetField(1)->Value,
                          std::to_string(it->second[static_cast<size_t>(occurrence - 1)].Qty));
                kernel_->MarkDataRowDeleted(*f);
                it->second.erase(it->second.begin() + (occurrence - 1));
                if (it->second.empty())
                    multi_.erase(it);
            }
        } else if (r < 998) {
            const auto got = Read(kUnique, key);
            auto it = unique_.find(norm);
            if (it == unique_.end()) {
                ASSERT_TRUE(got.empty()) << key;
            } else {
                ASSERT_EQ(got.size(), 3u);
                ASSERT_EQ(got[1], std::to_string(it->second.Qty));
            }
        } else {
            Truncate(r % 2 ? kUnique : kMulti);
        }
        if (op % 500 == 499) {
            VerifyAll();
            if (HasFatalFailure())
                return;
        }
    }
    VerifyAll();
    Reopen();  // what was written is in the file
    VerifyAll();
    EXPECT_TRUE(dialogs_->Messages.size() == static_cast<size_t>(fullRefusals));
    // the file ran full at least once on the way
    EXPECT_GT(fullRefusals, 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, KernelRandomSeedTest, ::testing::Values(20240601u, 7u, 123456u));
