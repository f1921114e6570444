// Loads the contacts of a date through the date index, stores a new contact
// with its date-index row, deletes a contact with its index and text rows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kernel/TDBFields.h"
#include "records/TQSO.h"

class TDBResultSet;

class TQSOs {
public:
    static constexpr const char* kLogTable = "QSOLOG";
    static constexpr const char* kDateIndexTable = "QSO_DATE_INDEX";
    static constexpr const char* kSequencesTable = "SEQUENCES";
    // Columns of QSOLOG by position (the key, the call sign, is position 2).
    enum Column : int {
        kColNumber = 0,
        kColDate,
        kColCall,
        kColStart,
        kColEnd,
        kColFrequency,
        kColPower,
        kColMode,
        kColSentRST,
        kColRcvdRST,
        kColRcvdQSL,
        kColSentQSL,
        kColLogID,
        kColZone,
        kColCountry,
        kColCounty,
        kColGrid,
        kColQSLManager,
        kColLayout,
        kColContest1,
        kColContest2,
        kColContest3,
        kColContest4,
        kColumnCount
    };
    // Columns of QSO_DATE_INDEX: the date (key), its own sequence number, the call.
    enum IndexColumn : int { kIdxDate = 0, kIdxNumber = 1, kIdxCall = 2 };

    TQSOs();
    ~TQSOs();

    std::unique_ptr<TDBResultSet> ResultSet;  // last used for storing
    TQSO* Current = nullptr;                  // the record last built from a row
    std::vector<std::unique_ptr<TQSO>> QSOs;

    void LoadDay(const std::string& dateFrom, const std::string& dateTo);
    // The stored contact (owned by QSOs); nullptr, with nothing written, when
    // QSOLOG or QSO_DATE_INDEX cannot be opened, no number can be drawn (no
    // SEQUENCES) or the file has no room for the contact's rows.
    TQSO* AddQSO(const std::string& date, const std::string& call, const std::string& startTime,
                 const std::string& endTime, const std::string& frequency, int32_t power,
                 const std::string& mode, int32_t sentRST, int32_t rcvdRST, int32_t rcvdQSL,
                 int32_t sentQSL, int32_t logID, const std::string& zone,
                 const std::string& country, const std::string& county, const std::string& grid,
                 const std::string& qslManager, int32_t colLayoutType, const std::string& contest1,
                 const std::string& contest2, const std::string& contest3,
                 const std::string& contest4);
    // Deletes the QSOLOG rows of the call carrying the number and the date,
    // the date-index rows of the date carrying the number and the call, and
    // the text pieces of the number. Nothing when the call has no QSOLOG rows.
    void DeleteQSO(TQSO& qso);
    // Whether the file can take one more contact with that many text
    // pieces: its row, its date-index row, the sequence rows not there yet
    // and the pieces (tables that are missing take no room).
    bool HasRoomForContact(size_t textPieces);
    // Whether QSOLOG holds a live row of the contact's call with its number
    // and date (a row's post cannot tell: the kernel answers a new chain's
    // first row with a failure status too).
    bool IsStored(const TQSO& qso);
    // A new record from a QSOLOG field list (strict decimal conversion of the
    // integer columns; throws std::invalid_argument on a bad number); it also
    // becomes Current.
    std::unique_ptr<TQSO> QSOFromFields(const TDBFields& fields);

private:
    // A record from value(position), the text of a QSOLOG column.
    template <class TValue>
    std::unique_ptr<TQSO> BuildQSO(const TValue& value);
    // A copy of the record becomes the current one.
    void MakeCurrent(const TQSO& qso);
    // The next number of the table's sequence, drawn through rs (opened on
    // that table); false when SEQUENCES is missing or did not take it.
    static bool DrawNumber(TDBResultSet& rs, const char* table, int32_t& number);

    std::unique_ptr<TQSO> current_;
};
