// The contacts of each day, kept in memory so that a day's load reads only
// that day's rows. Built on first use by one pass over the chains of
// QSO_DATE_INDEX and QSOLOG, then kept current through the kernel's row
// hooks: each new or deleted row of the two tables is added or removed;
// anything else that changes rows drops the index, which is built anew on
// the next use.
//
// It answers exactly what walking the day's date-index chain and each of its
// stations' QSOLOG chains would: the stations in the order of their first
// live date-index row of the date, each with its live contacts of that date
// in chain order. Where that walk would show a message or raise (a damaged
// chain, an unusual table layout) it declines, and the caller walks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "kernel/TKernelRowHooks.h"
#include "kernel/TRowLayout.h"

class TRowView;

class TQSODayIndex : public TKernelRowHooks {
public:
    // The process's index, installed as the kernel's row hooks.
    static TQSODayIndex& Instance();

    // Hands the QSOLOG rows of the date (a row's date text equal to it) to
    // visit as described above; false, with nothing visited, when the
    // index cannot answer.
    bool VisitDay(const std::string& date, const std::function<void(const TRowView&)>& visit);
    // A number that stays the same while the rows a load of the date
    // answers from this index stay the same: any row of either table added
    // or deleted for the date, and anything that resets the index, changes
    // it. 0 while the index cannot answer (a load then walks the chains).
    uint64_t DayStamp(const std::string& date) const;

    void RowAdded(uint32_t tableID, uint32_t slotOffset, int32_t bucket) override;
    void RowChanged(uint32_t tableID, uint32_t slotOffset) override;
    void RowDeleted(uint32_t tableID, uint32_t slotOffset) override;
    void Reset() override;

private:
    struct TTable {
        uint32_t ID = 0;
        TRowLayout Layout;
        int32_t KeyIndex = 0;
        int DateIndex = -1;  // the contact's date field; -1: the key is the date
        // Rows by day: a day's number is its place in Days, its rows each
        // the bucket it was met in (above) and its slot (below), in chain
        // order within a bucket. A row outside its key's bucket is kept and
        // passed over when the day is read. The days' texts lie one after
        // another in DayTexts, each up to its DayEnds; an open hash of their
        // numbers + 1 (0: free), at most half full, finds a text's number.
        std::string DayTexts;
        std::vector<uint32_t> DayEnds;
        std::vector<uint32_t> DaySlots;
        std::vector<std::vector<uint64_t>> Days;
    };
    enum class TState { Unbuilt, Built, Unusable };

    bool Build();
    bool BuildTable(const char* name, TTable& table, int dateIndex,
                    std::vector<uint32_t>& nextPlace);
    // Puts each day's rows in bucket and chain order.
    static void SortByChains(TTable& table);
    // The row's key trimmed and upper-cased, and whether a bucket is the one
    // a walk for that key takes.
    std::string KeyOf(const TTable& table, uint32_t slotOffset) const;
    bool InKeyBucket(const std::string& key, int32_t bucket) const;
    // The day a row is filed under: the key of a date-index row, the date
    // text of a contact.
    std::string DayOf(const TTable& table, uint32_t slotOffset) const;
    // The same, read in place where it can be; else held in scratch.
    std::string_view DayView(const TTable& table, const TRowLayout::Item* item, uint32_t slotOffset,
                             std::string& scratch) const;
    // The day's number, a new one with no rows when it has none yet.
    static uint32_t DayNumber(TTable& table, std::string_view day);
    // The day's number + 1; 0 when it has none.
    static uint32_t FindDay(const TTable& table, std::string_view day);
    // The slot of DaySlots that holds the day's number, or is free for it.
    static size_t DaySlot(const TTable& table, std::string_view day);
    static std::string_view DayText(const TTable& table, uint32_t number);
    TTable* TableOf(uint32_t tableID);
    // Whether the slot still holds a live row of the table.
    static bool IsLiveRow(const TTable& table, uint32_t slotOffset);

    // The day's stamp moves on.
    void Touch(const std::string& day);

    TState state_ = TState::Unbuilt;
    uint64_t clock_ = 0;       // the last stamp handed out
    uint64_t resetStamp_ = 0;  // the stamp of the last reset
    std::unordered_map<std::string, uint64_t> dayStamps_;
    TTable index_;
    TTable log_;
};
