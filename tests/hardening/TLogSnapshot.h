// What a database file holds, as seen by a fresh open: the integrity check's
// verdict, the kernel's complaints while checking and reading, every live row
// of the log's tables as text (all its values, chain link left out), and per
// contact whether the grid (through the date index) finds it, and its text. Taken on a closed file;
// opens and closes it itself.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class TLogSnapshot {
public:
    static TLogSnapshot Take(const std::string& path);

    bool Opened = false;
    bool Sound = false;  // the integrity check's status is 0
    // kernel messages, anomalies found (a page of no table, a contact twice
    // or not found by its call)
    std::vector<std::string> Complaints;
    // table name -> the live rows' texts ("v1|v2|...|"), in page order
    std::map<std::string, std::vector<std::string>> Rows;
    std::map<int32_t, std::string> Contacts;  // QSOLOG number -> its row text
    std::set<int32_t> InDateIndex;            // contacts the grid's day load finds
    std::map<int32_t, std::string> Texts;     // contact number -> its text as loaded

    // Rows in this snapshot that are in neither of the others: torn rows.
    std::vector<std::string> RowsInNeither(const TLogSnapshot& a, const TLogSnapshot& b) const;
    // One line for a report: verdict, rows per table, first complaint.
    std::string Describe() const;
};
