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

// Whether a character field holds the same bytes in both slots, and so the
// same text.
bool SameBytes(const TRowLayout::Item* item, uint32_t a, uint32_t b) {
    if (item == nullptr)
        return false;
    const auto type = static_cast<uint32_t>(item->DataType);
    const uint32_t at = DbFormat::kRowFieldsOffset + item->Offset;
    const uint32_t n = item->Width;
    if ((type != DbFormat::kTypeCharacter && type != DbFormat::kTypeText) ||
        !S::InView(a + at, n) || !S::InView(b + at, n))
        return false;
    const uint8_t* x = S::Base + a + at;
    const uint8_t* y = S::Base + b + at;
    if (n < 8 || n > 16)
        return std::memcmp(x, y, n) == 0;
    // A date or a call: its first and last eight bytes, with no call.
    uint64_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    std::memcpy(&x0, x, 8);
    std::memcpy(&y0, y, 8);
    std::memcpy(&x1, x + n - 8, 8);
    std::memcpy(&y1, y + n - 8, 8);
    return ((x0 ^ y0) | (x1 ^ y1)) == 0;
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
    const std::string day = UpperText(TrimText(date));
    if (const uint32_t found = FindDay(index_, day)) {
        const int32_t bucket = DbKernelHelper->GetStringHash(day);
        for (uint64_t row : index_.Days[found - 1]) {
            const auto off = static_cast<uint32_t>(row);
            if (static_cast<int32_t>(row >> 32) != bucket)
                continue;
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
    const uint32_t found = FindDay(log_, date);
    if (found != 0 && !stations.empty()) {
        for (uint64_t row : log_.Days[found - 1]) {
            const auto off = static_cast<uint32_t>(row);
            const std::string key = KeyOf(log_, off);
            auto station = stations.find(key);
            if (station != stations.end() && InKeyBucket(key, static_cast<int32_t>(row >> 32)))
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
    // Each bucket's next place in its chain, for both tables in turn.
    std::vector<uint32_t> nextPlace;
    return BuildTable(TQSOs::kDateIndexTable, index_, -1, nextPlace) &&
           BuildTable(TQSOs::kLogTable, log_, TQSOs::kColDate, nextPlace);
}

bool TQSODayIndex::BuildTable(const char* name, TTable& table, int dateIndex,
                              std::vector<uint32_t>& nextPlace) {
    table.DayTexts.clear();
    table.DayEnds.clear();
    table.DaySlots.clear();
    table.Days.clear();
    table.ID = DbKernel->GetTableIDFromName(name);
    bool multiKey = false;
    if (table.ID == DbFormat::kNoTableID ||
        !DbKernel->DescribeTable(table.ID, table.Layout, table.KeyIndex, multiKey) || !multiKey)
        return false;
    table.DateIndex = dateIndex;
    // The rows come in file order, which is each chain's order unless a
    // chain leads back in the file.
    nextPlace.assign(DbFormat::kBucketCount, 0);
    bool chainOrder = true;
    // Rows in file order mostly follow one another by day: a row whose day
    // field has the bytes of the last row's joins its run unread, and each
    // run goes to its day at once.
    const TRowLayout::Item* dayItem =
        ItemOf(table.Layout, dateIndex < 0 ? table.KeyIndex : dateIndex);
    uint32_t lastRow = 0, lastDay = 0;
    std::string scratch;
    std::vector<uint64_t> run;
    auto endRun = [&] {
        if (!run.empty())
            table.Days[lastDay].insert(table.Days[lastDay].end(), run.begin(), run.end());
        run.clear();
    };
    const bool sound = DbKernel->VisitSoundChains(
        table.ID, table.Layout, [&](int32_t bucket, uint32_t position, uint32_t off) {
            if (lastRow == 0 || !SameBytes(dayItem, lastRow, off)) {
                endRun();
                lastDay = DayNumber(table, DayView(table, dayItem, off, scratch));
            }
            lastRow = off;
            const auto b = static_cast<uint32_t>(bucket);
            chainOrder = chainOrder && b < nextPlace.size() && nextPlace[b] <= position;
            if (b < nextPlace.size())
                nextPlace[b] = position + 1;
            run.push_back(uint64_t{b} << 32 | off);
        });
    endRun();
    if (sound && !chainOrder)
        SortByChains(table);
    return sound;
}

void TQSODayIndex::SortByChains(TTable& table) {
    // Each row's bucket and place, by slot: the rows come in file order.
    std::vector<std::pair<uint32_t, uint64_t>> places;
    DbKernel->VisitSoundChains(
        table.ID, table.Layout, [&](int32_t bucket, uint32_t position, uint32_t off) {
            places.emplace_back(off, uint64_t{static_cast<uint32_t>(bucket)} << 32 | position);
        });
    auto placeOf = [&](uint64_t row) {
        auto at = std::lower_bound(places.begin(), places.end(),
                                   std::make_pair(static_cast<uint32_t>(row), uint64_t{0}));
        return at == places.end() ? 0 : at->second;
    };
    for (std::vector<uint64_t>& rows : table.Days)
        std::sort(rows.begin(), rows.end(),
                  [&](uint64_t x, uint64_t y) { return placeOf(x) < placeOf(y); });
}

uint32_t TQSODayIndex::DayNumber(TTable& table, std::string_view day) {
    if (2 * (table.Days.size() + 1) > table.DaySlots.size()) {
        table.DaySlots.assign(std::max<size_t>(64, 4 * table.DaySlots.size()), 0);
        for (uint32_t d = 0; d < table.Days.size(); ++d)
            table.DaySlots[DaySlot(table, DayText(table, d))] = d + 1;
    }
    uint32_t& number = table.DaySlots[DaySlot(table, day)];
    if (number == 0) {
        table.DayTexts.append(day);
        table.DayEnds.push_back(static_cast<uint32_t>(table.DayTexts.size()));
        table.Days.emplace_back();
        number = static_cast<uint32_t>(table.Days.size());
    }
    return number - 1;
}

uint32_t TQSODayIndex::FindDay(const TTable& table, std::string_view day) {
    return table.DaySlots.empty() ? 0 : table.DaySlots[DaySlot(table, day)];
}

size_t TQSODayIndex::DaySlot(const TTable& table, std::string_view day) {
    const size_t mask = table.DaySlots.size() - 1;
    const size_t hash = std::hash<std::string_view>{}(day);
    size_t at = hash & mask;
    while (table.DaySlots[at] != 0 && DayText(table, table.DaySlots[at] - 1) != day)
        at = (at + 1) & mask;
    return at;
}

std::string_view TQSODayIndex::DayText(const TTable& table, uint32_t number) {
    const uint32_t begin = number == 0 ? 0 : table.DayEnds[number - 1];
    return std::string_view(table.DayTexts).substr(begin, table.DayEnds[number] - begin);
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

std::string_view TQSODayIndex::DayView(const TTable& table, const TRowLayout::Item* item,
                                       uint32_t slotOffset, std::string& scratch) const {
    // The field's bytes up to its first zero, when they are the day's text
    // as they stand (a key needing no trimming or upper-casing).
    const uint32_t at = slotOffset + DbFormat::kRowFieldsOffset + (item ? item->Offset : 0);
    const auto type = item ? static_cast<uint32_t>(item->DataType) : 0u;
    if ((type == DbFormat::kTypeCharacter || type == DbFormat::kTypeText) &&
        S::InView(at, item->Width)) {
        const char* p = reinterpret_cast<const char*>(S::Base + at);
        const void* zero = std::memchr(p, 0, item->Width);
        size_t n = zero ? static_cast<size_t>(static_cast<const char*>(zero) - p) : item->Width;
        n = std::min<size_t>(n, DbFormat::kNameAreaSize);
        const std::string_view text(p, n);
        auto plain = [](char c) {
            return static_cast<unsigned char>(c) > 32 && (c < 'a' || c > 'z');
        };
        if (table.DateIndex >= 0 ||
            (n > 0 && plain(text.front()) && plain(text.back()) &&
             std::all_of(text.begin(), text.end(), [](char c) { return c < 'a' || c > 'z'; })))
            return text;
    }
    scratch = DayOf(table, slotOffset);
    return scratch;
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
        // A new row is its chain's last.
        table->Days[DayNumber(*table, day)].push_back(
            uint64_t{static_cast<uint32_t>(bucket)} << 32 | slotOffset);
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
    const uint32_t found = FindDay(*table, dayText);
    if (found == 0)
        return;
    std::vector<uint64_t>& rows = table->Days[found - 1];
    rows.erase(
        std::remove_if(rows.begin(), rows.end(),
                       [&](uint64_t row) { return static_cast<uint32_t>(row) == slotOffset; }),
        rows.end());
}

void TQSODayIndex::Reset() {
    // Every stamp handed out so far is now older than the reset's.
    resetStamp_ = ++clock_;
    dayStamps_.clear();
    state_ = TState::Unbuilt;
    index_ = TTable{};
    log_ = TTable{};
}
