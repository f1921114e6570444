// How many more contacts fit in the open log file. Deleted rows' slots are
// never reused and the file never grows, so the room is what is left of the
// last page of QSOLOG, QSO_DATE_INDEX and QSO_TEXT plus the whole free pages,
// which the three tables share: a contact takes one row of each of the first
// two and as many text rows as the stored contacts take on average (texts
// are cut into rows of a fixed size, so rows rather than characters are what
// a text costs). A log without contacts is counted with one text row each.
// A page is reserved for SEQUENCES and SYSTEM_SETTINGS when they hold no row
// yet: the first contact and the first close write them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TLogRoom {
public:
    static constexpr int64_t kLowRoom = 1000;
    static constexpr double kDefaultTextRows = 1.0;

    struct TTableSpace {
        std::string Name;
        uint32_t TableID = 0;
        uint32_t RowSize = 0;
        uint32_t Pages = 0;           // pages the table owns
        uint64_t Live = 0;            // live rows
        uint64_t Deleted = 0;         // rows marked deleted (their room is lost)
        uint64_t FreeInLastPage = 0;  // free slots behind the last row
        uint64_t TextChars = 0;       // characters of the texts (QSO_TEXT only)
    };

    // Measures the open database. False (error set) when no database is open
    // or one of the log's tables is missing.
    bool Measure(std::string& error);

    int64_t Contacts = 0;  // more contacts of average text that fit
    TTableSpace Log, DateIndex, Text;
    std::vector<uint32_t> FreePages;  // page numbers left after the reservations
    double TextRowsPerContact = kDefaultTextRows;
    double TextCharsPerContact = 0;

    // "room: N contacts" and the figures behind it, one per line.
    std::string Report() const;

private:
    bool Fits(int64_t contacts) const;

    // Per table (Log, DateIndex, Text): the slots of a whole free page and of
    // the free short last page of the file (0 when it is not free).
    uint64_t wholeCapacity_[3] = {};
    uint64_t partialCapacity_[3] = {};
    uint64_t wholeFree_ = 0;
};
