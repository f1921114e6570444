// Thousands of writes, overwrites, deletions and truncations against a simple
// in-memory model; every read, the one-walk read of a multi key, the page scan
// and the integrity check must agree with it.
#include <map>
#include <random>
#include <set>

#include "KernelTestSupport.h"

using namespace DbFormat;

namespace {
constexpr uint32_t kUnique = 6;
constexpr uint32_t kMulti = 7;
// Row values as read back: the key as written (upper-cased, not trimmed), QTY, NOTE.
using TModelRow = Strings;
}  // namespace

class KernelRandomTest : public KernelTest, public ::testing::WithParamInterface<uint32_t> {
protected:
    std::string RandomKey() {
        const int n = static_cast<int>(rng_() % 40);
        std::string key = n % 3 == 0 ? "ABCDEF" + std::to_string(n) : "Q" + std::to_string(n * 7);
        if (rng_() % 4 == 0)
            for (char& c : key) c = static_cast<char>(std::tolower(c));
        return rng_() % 5 == 0 ? " " + key + " " : key;
    }
    std::string RandomNote() {
        std::string s(rng_() % 15, ' ');
        for (char& c : s) c = "abcXYZ 09-"[rng_() % 10];
        return s;
    }
    // A write in the model's terms: false when the file was full.
    bool DoWrite(uint32_t id, const std::string& key, const std::string& qty,
                 const std::string& note, bool existing) {
        const size_t messages = dialogs_->Messages.size();
        const int32_t bucket = kernel_->GetKeyHash(UpperText(TrimText(key)));
        const int32_t status = Write(id, {key, qty, note});
        if (dialogs_->Messages.size() != messages) {
            EXPECT_EQ(dialogs_->Messages.back(), KernelMessages::kDatabaseFull);
            EXPECT_TRUE(status == 999 && !existing);
            return false;
        }
        const bool newChain = buckets_[id].insert(bucket).second;
        EXPECT_EQ(status, existing || !newChain ? 0 : 999) << key;  // 999: the first of a chain
        return true;
    }
    void Truncate(uint32_t id) {
        ASSERT_EQ(kernel_->TruncateTable("RND" + std::to_string(id)), 0);
        buckets_[id].clear();
        if (id == kUnique)
            unique_.clear();
        else
            multi_.clear();
    }
    void VerifyAll() {
        for (const auto& [key, row] : unique_) ASSERT_EQ(Read(kUnique, key), row) << key;
        size_t multiRows = 0;
        for (const auto& [key, rows] : multi_) {
            std::vector<TDBFieldsPtr> all;
            ASSERT_EQ(kernel_->ReadAllOccurrences(kMulti, *Row(kMulti, {key}), key, all), 0);
            ASSERT_EQ(all.size(), rows.size()) << key;
            for (size_t i = 0; i < rows.size(); ++i) {
                ASSERT_EQ(Read(kMulti, key, static_cast<int32_t>(i + 1)), rows[i]) << key << i;
                ASSERT_EQ(Values(*all[i]), rows[i]) << key << i;
            }
            EXPECT_TRUE(Read(kMulti, key, static_cast<int32_t>(rows.size() + 1)).empty());
            multiRows += rows.size();
        }
        EXPECT_EQ(Scan(kUnique), static_cast<int32_t>(unique_.size()));
        EXPECT_EQ(Scan(kMulti), static_cast<int32_t>(multiRows));
        std::string report;
        EXPECT_EQ(Check(&report), 0) << report;
    }

    std::mt19937 rng_;
    std::map<std::string, TModelRow> unique_;
    std::map<std::string, std::vector<TModelRow>> multi_;
    std::map<uint32_t, std::set<int32_t>> buckets_;
};

TEST_P(KernelRandomTest, AgreesWithTheModel) {
    rng_.seed(GetParam());
    for (uint32_t id : {kUnique, kMulti})  // about 24 rows per page: pages fill and free up
        MakeTable(id, "RND" + std::to_string(id),
                  {{"CALL", kTypeCharacter, 10, id == kUnique ? kKeyPrimary : kKeyMulti},
                   {"QTY", kTypeInteger, 0, kKeyNone},
                   {"NOTE", kTypeCharacter, 12, kKeyNone},
                   {"PAD", kTypeCharacter, 200000, kKeyNone}});
    int fullRefusals = 0;
    for (int op = 0; op < 4000; ++op) {
        const uint32_t r = rng_() % 1000;
        const std::string key = RandomKey();
        const std::string norm = UpperText(TrimText(key));
        const std::string note = RandomNote();
        if (r < 400) {
            auto it = unique_.find(norm);
            const bool existing = it != unique_.end();
            const std::string qty =
                rng_() % 6 == 0 ? "" : std::to_string(static_cast<int32_t>(rng_()) / 3);
            if (!DoWrite(kUnique, key, qty, note, existing)) {
                ++fullRefusals;
                Truncate(kMulti);
                continue;
            }
            // an empty integer keeps the old value, or is 0 in a new row
            const std::string kept = qty.empty() ? (existing ? it->second[1] : "0") : qty;
            unique_[norm] = {UpperText(key), kept, note.substr(0, 12)};
        } else if (r < 650) {
            if (!DoWrite(kMulti, key, std::to_string(op), note, false)) {
                ++fullRefusals;
                Truncate(rng_() % 2 ? kMulti : kUnique);
                continue;
            }
            multi_[norm].push_back({UpperText(key), std::to_string(op), note.substr(0, 12)});
        } else if (r < 950) {
            const bool multi = r >= 800;
            const uint32_t id = multi ? kMulti : kUnique;
            const int32_t occurrence = multi ? 1 + static_cast<int32_t>(rng_() % 3) : 0;
            auto it = multi_.find(norm);
            const bool expected =
                multi ? it != multi_.end() && size_t(occurrence) <= it->second.size()
                      : unique_.count(norm) != 0;
            TDBFieldsPtr f = Row(id, {key});
            ASSERT_EQ(kernel_->ReadDataRow(id, *f, occurrence, key) == 0, expected)
                << key << occurrence;
            if (!expected)
                continue;
            ASSERT_EQ(kernel_->MarkDataRowDeleted(*f), 0);
            if (!multi) {
                unique_.erase(norm);
                continue;
            }
            ASSERT_EQ(Values(*f), it->second[occurrence - 1]);
            it->second.erase(it->second.begin() + (occurrence - 1));
            if (it->second.empty())
                multi_.erase(it);
        } else if (r < 998) {
            auto it = unique_.find(norm);
            ASSERT_EQ(Read(kUnique, key), it == unique_.end() ? Strings{} : it->second) << key;
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
    EXPECT_EQ(dialogs_->Messages.size(), static_cast<size_t>(fullRefusals));
    EXPECT_GT(fullRefusals, 0);  // the file ran full at least once on the way
}

INSTANTIATE_TEST_SUITE_P(Seeds, KernelRandomTest, ::testing::Values(20240601u, 7u, 123456u));
