// The contact rows of each day the grid was filled with, as the grid shows
// them, kept so that filling it again reads only the days whose contacts
// changed since. The grid lists the loaded contacts sorted by one text key
// per contact, year + date + start time + the contact's position in its
// day's list (in decimal), compared in lower case; a stable sort keeps
// equal keys in load order. Since every contact of a day carries that date,
// the grid's order is the days' order by year + date, each day's rows by the
// rest of the key, which is how the rows are kept.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class TQSO;
class TQSOs;

class TGridDays {
public:
    // The grid row of a contact, as the grid keeps it.
    using TMakeRow = std::function<std::string(const TQSO&)>;

    // Loads the dates (in the order given) through qsos, each day not kept
    // or changed since it was kept, and answers every row in the grid's
    // order. Days not among the dates are forgotten.
    std::vector<const std::string*> Load(const std::vector<std::string>& dates, TQSOs& qsos,
                                         const TMakeRow& makeRow);
    void Clear();

private:
    struct TDay {
        std::vector<std::string> Rows;  // in the grid's order
        std::vector<std::string> Keys;  // each row's key without year and date
        uint64_t Stamp = 0;             // the day index's stamp when loaded; 0: not kept
    };
    const TDay& Day(const std::string& date, TQSOs& qsos, const TMakeRow& makeRow);
    static std::string Lower(std::string text);
    // Year + date in lower case: the part of the key all rows of the date share.
    static std::string DayKey(const std::string& date);

    std::unordered_map<std::string, TDay> days_;
    std::deque<TDay> unkept_;  // this load's days that could not be kept
};
