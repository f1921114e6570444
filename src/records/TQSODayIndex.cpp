#include "records/TQSODayIndex.h"

#include <algorithm>
#include <cstring>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TDbKernelState.h"
#include "kernel/TRowView.h"
#include "records/TQSOs.h"
#include "schema/TDBResultSet.h"

using S = TDbKernelState;

namespace {

const TRowLayout::Item* ItemOf(const TRowLayout& layout, int index) {
    for (const TRowLayout::Item& item : layout.Items)
        if (item.Index == index)
            return &item;
    return nullptr;
}

// Whether the field's text, as TRowView::Text gives it, equals text.
bool TextEquals(const TRowLayout& layout, const TRowLayout::Item* item, uint32_t slotOffset,
                const std::string& text) {
    const auto type = item != nullptr ? static_cast<uint32_t>(item->DataType) : 0u;
    if (item == nullptr || (type != DbFormat::kTypeCharacter && type != DbFormat::kTypeText) ||
        item->Width > DbFormat::kNameAreaSize)
        return item != nullptr && TRowView(layout, slotOffset).Text(item->Index) == text;
    const uint32_t at = slotOffset + DbFormat::kRowFieldsOffset + item->Offset;
    if (item->Width == 0 || !S::InView(at, item->Width))
        return text.empty();
    const char* p = reinterpret_cast<const char*>(S::Base + at);
    const void* zero = std::memchr(p, 0, item->Width);
    const size_t n = zero ? static_cast<size_t>(static_cast<const char*>(zero) - p) : item->Width;
    return n == text.size() && std::memcmp(p, text.data(), n) == 0;
}

}  // namespace

TQSODayIndex& TQSODayIndex::Instance() {
    static TQSODayIndex index;
    // Changes made while it was not installed were not seen.
    if (KernelRowHooks() != &index) {
        SetKernelRowHooks(&index);
        index.Reset();
    }
    return index;
}

bool TQSODayIndex::VisitDay(const std::string& date,
                            const std::function<void(const TRowView&)>& visit) {
    if (date.empty() || !DbKernel || !DbKernelHelper)
        return false;
    if (state_ == TState::Unbuilt)
        state_ = Build() ? TState::Built : TState::Unusable;
    // A table created or dropped since has reset the index.
    if (state_ != TState::Built)
        return false;

    // The day's stations by their first date-index row, then each
    // station's contacts of the day in chain order.
    std::unordered_map<std::string, size_t> stations;
    auto indexRows = index_.Days.find(UpperText(TrimText(date)));
    if (indexRows != index_.Days.end()) {
        for (uint32_t off : indexRows->second) {
            if (!IsLiveRow(index_, off)) {
                Reset();
                return false;
            }
            std::string call =
                UpperText(TrimText(TRowView(index_.Layout, off).Text(TQSOs::kIdxCall)));
            if (!call.empty())
                stations.emplace(std::move(call), stations.size());
        }
    }
    std::vector<std::vector<uint32_t>> byStation(stations.size());
    auto logRows = log_.Days.find(date);
    if (logRows != log_.Days.end() && !stations.empty()) {
        for (uint32_t off : logRows->second) {
            auto station = stations.find(KeyOf(log_, off));
            if (station != stations.end())
                byStation[station->second].push_back(off);
        }
    }
    std::vector<uint32_t> rows;
    for (const std::vector<uint32_t>& contacts : byStation)
        rows.insert(rows.end(), contacts.begin(), contacts.end());
    for (uint32_t off : rows) {
        if (!IsLiveRow(log_, off)) {
            Reset();
            return false;
        }
    }
    for (uint32_t off : rows) visit(TRowView(log_.Layout, off));
    return true;
}

bool TQSODayIndex::IsLiveRow(const TTable& table, uint32_t slotOffset) {
    // A row changed behind the kernel's back: the caller walks the chains.
    return S::U32(slotOffset + DbFormat::kRowTableIDOffset) == table.ID &&
           S::U32(slotOffset + DbFormat::kRowRowIDOffset) != 0;
}

bool TQSODayIndex::Build() {
    // The opens the walk would make: a table it cannot open it reads nothing
    // from. What they depend on changes only with the file or its tables,
    // which reset the index.
    for (const char* name : {TQSOs::kDateIndexTable, TQSOs::kLogTable})
        if (TDBResultSet().VisitKey(name, "", {}) != TDBResultSet::kOK)
            return false;
    return BuildTable(TQSOs::kDateIndexTable, index_, -1) &&
           BuildTable(TQSOs::kLogTable, log_, TQSOs::kColDate);
}

bool TQSODayIndex::BuildTable(const char* name, TTable& table, int dateIndex) {
    table.Days.clear();
    table.ID = DbKernel->GetTableIDFromName(name);
    bool multiKey = false;
    if (table.ID == DbFormat::kNoTableID ||
        !DbKernel->DescribeTable(table.ID, table.Layout, table.KeyIndex, multiKey) || !multiKey)
        return false;
    table.DateIndex = dateIndex;
    // The rows come in file order: each day's are put into chain order
    // (bucket, then place in the chain) once all are in.
    using TRows = std::vector<std::pair<uint64_t, uint32_t>>;
    std::unordered_map<std::string, TRows> days;
    // Rows in file order mostly follow one another by day, and a bucket
    // holds mostly one key: the last day's list and each bucket's last key
    // found in it are kept at hand.
    std::string lastDay;
    TRows* lastRows = nullptr;
    std::vector<std::string> bucketKeys(DbFormat::kBucketCount);
    const TRowLayout::Item* keyItem = ItemOf(table.Layout, table.KeyIndex);
    const TRowLayout::Item* dayItem = ItemOf(table.Layout, table.DateIndex);
    const bool sound = DbKernel->VisitSoundChains(
        table.ID, table.Layout, [&](int32_t bucket, uint32_t position, uint32_t off) {
            std::string* known = bucket >= 0 && static_cast<size_t>(bucket) < bucketKeys.size()
                                     ? &bucketKeys[static_cast<size_t>(bucket)]
                                     : nullptr;
            // Compared in place, without building the row's texts.
            const bool knownKey = known != nullptr && !known->empty() && keyItem != nullptr &&
                                  TRowLayout::KeyEquals(off, *keyItem, *known);
            std::string key = knownKey ? *known : KeyOf(table, off);
            // A row outside its key's bucket is met by no walk for its key.
            if (!knownKey) {
                if (!InKeyBucket(key, bucket))
                    return;
                if (known != nullptr)
                    *known = key;
            }
            const bool sameDay =
                lastRows != nullptr &&
                (table.DateIndex < 0 ? key == lastDay
                                     : TextEquals(table.Layout, dayItem, off, lastDay));
            if (!sameDay) {
                if (table.DateIndex >= 0)
                    key = TRowView(table.Layout, off).Text(table.DateIndex);
                lastRows = &days[key];
                lastDay = std::move(key);
            }
            lastRows->emplace_back(static_cast<uint64_t>(bucket) << 32 | position, off);
        });
    if (!sound)
        return false;
    for (auto& [day, rows] : days) {
        std::sort(rows.begin(), rows.end());
        std::vector<uint32_t>& offsets = table.Days[day];
        offsets.reserve(rows.size());
        for (const auto& row : rows) offsets.push_back(row.second);
    }
    return true;
}

std::string TQSODayIndex::KeyOf(const TTable& table, uint32_t slotOffset) const {
    // Trimmed and upper-cased as the walk compares keys, without copies.
    std::string key = TRowView(table.Layout, slotOffset).Text(table.KeyIndex);
    size_t b = 0, e = key.size();
    while (b < e && static_cast<unsigned char>(key[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(key[e - 1]) <= 32) --e;
    key.erase(e).erase(0, b);
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return key;
}

bool TQSODayIndex::InKeyBucket(const std::string& key, int32_t bucket) const {
    return DbKernelHelper->GetStringHash(key) == bucket;
}

std::string TQSODayIndex::DayOf(const TTable& table, uint32_t slotOffset) const {
    if (table.DateIndex < 0)
        return KeyOf(table, slotOffset);
    return TRowView(table.Layout, slotOffset).Text(table.DateIndex);
}

TQSODayIndex::TTable* TQSODayIndex::TableOf(uint32_t tableID) {
    if (state_ != TState::Built)
        return nullptr;
    if (tableID == index_.ID)
        return &index_;
    return tableID == log_.ID ? &log_ : nullptr;
}

uint64_t TQSODayIndex::DayStamp(const std::string& date) const {
    if (state_ != TState::Built || !DbKernel)
        return 0;
    uint64_t stamp = resetStamp_;
    // The date-index table files a row under its key trimmed and upper-cased.
    for (const std::string& day : {date, UpperText(TrimText(date))}) {
        auto at = dayStamps_.find(day);
        if (at != dayStamps_.end())
            stamp = std::max(stamp, at->second);
    }
    return stamp;
}

void TQSODayIndex::Touch(const std::string& day) {
    dayStamps_[day] = ++clock_;
}

void TQSODayIndex::RowAdded(uint32_t tableID, uint32_t slotOffset, int32_t bucket) {
    if (TTable* table = TableOf(tableID)) {
        const std::string day = DayOf(*table, slotOffset);
        Touch(day);
        if (InKeyBucket(KeyOf(*table, slotOffset), bucket))
            table->Days[day].push_back(slotOffset);
    }
}

void TQSODayIndex::RowChanged(uint32_t tableID, uint32_t /*slotOffset*/) {
    if (TableOf(tableID))
        Reset();
}

void TQSODayIndex::RowDeleted(uint32_t tableID, uint32_t slotOffset) {
    TTable* table = TableOf(tableID);
    if (!table)
        return;
    const std::string dayText = DayOf(*table, slotOffset);
    Touch(dayText);
    auto day = table->Days.find(dayText);
    if (day == table->Days.end())
        return;
    std::vector<uint32_t>& rows = day->second;
    rows.erase(std::remove(rows.begin(), rows.end(), slotOffset), rows.end());
}

void TQSODayIndex::Reset() {
    // Every stamp handed out so far is now older than the reset's.
    resetStamp_ = ++clock_;
    dayStamps_.clear();
    state_ = TState::Unbuilt;
    index_ = TTable{};
    log_ = TTable{};
}
