#include "logwindow/TGridDays.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "records/TQSODayIndex.h"
#include "records/TQSOs.h"

void TGridDays::Clear() {
    days_.clear();
    unkept_.clear();
}

std::vector<const std::string*> TGridDays::Load(const std::vector<std::string>& dates, TQSOs& qsos,
                                                const TMakeRow& makeRow) {
    unkept_.clear();
    std::vector<const TDay*> days;
    days.reserve(dates.size());
    for (const std::string& date : dates) days.push_back(&Day(date, qsos, makeRow));
    const std::unordered_set<std::string> wanted(dates.begin(), dates.end());
    for (auto at = days_.begin(); at != days_.end();)
        at = wanted.count(at->first) ? std::next(at) : days_.erase(at);

    // The days by year + date. Keys of one length decide between two days
    // before the rest of the key is reached; days of one key (a date given
    // twice) or keys of unequal lengths are sorted together row by row.
    std::vector<std::string> keys;
    for (const std::string& date : dates) keys.push_back(DayKey(date));
    std::vector<size_t> order(dates.size());
    std::iota(order.begin(), order.end(), size_t{0});
    const bool oneLength = std::all_of(keys.begin(), keys.end(), [&](const std::string& k) {
        return k.size() == keys.front().size();
    });
    if (oneLength)
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<const std::string*> rows;
    for (size_t first = 0; first < order.size();) {
        size_t last = first + 1;
        while (last < order.size() && (!oneLength || keys[order[last]] == keys[order[first]]))
            ++last;
        if (last - first == 1) {
            for (const std::string& row : days[order[first]]->Rows) rows.push_back(&row);
        } else {
            // Rows of several days: in load order, then sorted by their whole keys.
            std::vector<size_t> run(order.begin() + static_cast<std::ptrdiff_t>(first),
                                    order.begin() + static_cast<std::ptrdiff_t>(last));
            std::sort(run.begin(), run.end());
            std::vector<std::pair<std::string, const std::string*>> entries;
            for (size_t d : run)
                for (size_t i = 0; i < days[d]->Rows.size(); ++i)
                    entries.emplace_back(keys[d] + days[d]->Keys[i], &days[d]->Rows[i]);
            std::stable_sort(entries.begin(), entries.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            for (const auto& entry : entries) rows.push_back(entry.second);
        }
        first = last;
    }
    return rows;
}

const TGridDays::TDay& TGridDays::Day(const std::string& date, TQSOs& qsos,
                                      const TMakeRow& makeRow) {
    auto kept = days_.find(date);
    if (kept != days_.end() && kept->second.Stamp == TQSODayIndex::Instance().DayStamp(date))
        return kept->second;
    qsos.LoadDay(date, date);
    const size_t n = qsos.QSOs.size();
    std::vector<std::string> keys(n);
    for (size_t i = 0; i < n; ++i) keys[i] = Lower(qsos.QSOs[i]->StartTime + std::to_string(i));
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    TDay day;
    day.Rows.reserve(n);
    day.Keys.reserve(n);
    for (size_t i : order) {
        day.Rows.push_back(makeRow(*qsos.QSOs[i]));
        day.Keys.push_back(std::move(keys[i]));
    }
    day.Stamp = TQSODayIndex::Instance().DayStamp(date);
    if (day.Stamp == 0) {
        if (kept != days_.end())
            days_.erase(kept);
        unkept_.push_back(std::move(day));
        return unkept_.back();
    }
    TDay& stored = days_[date];
    stored = std::move(day);
    return stored;
}

std::string TGridDays::Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string TGridDays::DayKey(const std::string& date) {
    return Lower((date.size() > 6 ? date.substr(6, 4) : std::string()) + date);
}
