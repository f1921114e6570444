#include "records/TQSOs.h"

#include <string>
#include <vector>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TProfiler.h"
#include "kernel/TRowView.h"
#include "records/TQSODayIndex.h"
#include "records/TQSOMemos.h"
#include "records/TRecordText.h"
#include "schema/TDBResultSet.h"

namespace {

const std::string& ValueAt(const TDBFields& fields, int position) {
    static const std::string kEmpty;
    const TDBFieldParent* f = fields.GetField(position);
    return f ? f->Value : kEmpty;
}

void SetValue(TDBFields& fields, int position, const std::string& value) {
    if (TDBFieldParent* f = fields.GetField(position))
        f->Value = value;
}

// Resetting a list carries a label the profiler times.
void ResetLabel(const char* label) {
    if (!Profiler)
        return;
    Profiler->Start(label);
    Profiler->Stop();
}

}  // namespace

TQSOs::TQSOs() = default;
TQSOs::~TQSOs() = default;

void TQSOs::LoadDay(const std::string& dateFrom, const std::string& dateTo) {
    QSOs.clear();
    // The last record built becomes the current one, once the day is read.
    struct TLast {
        TQSOs& qsos;
        ~TLast() {
            if (!qsos.QSOs.empty())
                qsos.MakeCurrent(*qsos.QSOs.back());
        }
    } last{*this};
    ResetLabel("QSOs load");
    // A range of two different dates selects no index row.
    if (dateFrom != dateTo)
        return;
    const bool answered = TQSODayIndex::Instance().VisitDay(dateFrom, [&](const TRowView& row) {
        QSOs.push_back(BuildQSO([&row](int position) { return row.Text(position); }));
    });
    if (answered)
        return;
    // Each station once per day, in the order of its first date-index row.
    // Calls compare as the log's key does, trimmed and upper-cased: "k1xyz"
    // and " K1XYZ" are the same station and its contacts are read once.
    std::vector<std::string> calls;
    TDBResultSet index;
    const int32_t found = index.VisitKey(kDateIndexTable, dateFrom, [&](const TRowView& row) {
        std::string call = UpperText(TrimText(row.Text(kIdxCall)));
        for (const std::string& c : calls)
            if (c == call)
                return;
        calls.push_back(std::move(call));
    });
    if (found != TDBResultSet::kOK)
        return;
    // A station's contacts of other days are passed over in place, without
    // building them.
    for (const std::string& call : calls) {
        TDBResultSet log;
        log.VisitKey(kLogTable, call, [&](const TRowView& row) {
            const std::string date = row.Text(kColDate);
            if (dateFrom <= date && date <= dateTo)
                QSOs.push_back(BuildQSO([&row](int position) { return row.Text(position); }));
        });
    }
}

TQSO* TQSOs::AddQSO(const std::string& date, const std::string& call, const std::string& startTime,
                    const std::string& endTime, const std::string& frequency, int32_t power,
                    const std::string& mode, int32_t sentRST, int32_t rcvdRST, int32_t rcvdQSL,
                    int32_t sentQSL, int32_t logID, const std::string& zone,
                    const std::string& country, const std::string& county, const std::string& grid,
                    const std::string& qslManager, int32_t colLayoutType,
                    const std::string& contest1, const std::string& contest2,
                    const std::string& contest3, const std::string& contest4) {
    ResultSet = std::make_unique<TDBResultSet>();
    TDBResultSet& log = *ResultSet;
    if (log.Open(kLogTable, "", "") >= 999)
        return nullptr;
    if (log.AppendRow() >= 999 || !log.CurrentFields)
        return nullptr;
    // Nothing is written unless the whole contact can be: its number, its
    // row and its date-index row.
    auto index = std::make_unique<TDBResultSet>();
    if (index->Open(kDateIndexTable, "", "") >= 999)
        return nullptr;
    int32_t number = 0;
    if (!HasRoomForContact(0) || !DrawNumber(log, kLogTable, number))
        return nullptr;
    TDBFields& f = *log.CurrentFields;
    SetValue(f, kColNumber, std::to_string(number));
    SetValue(f, kColDate, date);
    SetValue(f, kColCall, call);
    SetValue(f, kColStart, startTime);
    SetValue(f, kColEnd, endTime);
    SetValue(f, kColFrequency, frequency);
    SetValue(f, kColPower, std::to_string(power));
    SetValue(f, kColMode, mode);
    SetValue(f, kColSentRST, std::to_string(sentRST));
    SetValue(f, kColRcvdRST, std::to_string(rcvdRST));
    SetValue(f, kColRcvdQSL, std::to_string(rcvdQSL));
    SetValue(f, kColSentQSL, std::to_string(sentQSL));
    SetValue(f, kColLogID, std::to_string(logID));
    SetValue(f, kColZone, zone);
    SetValue(f, kColCountry, country);
    SetValue(f, kColCounty, county);
    SetValue(f, kColGrid, grid);
    SetValue(f, kColQSLManager, qslManager);
    SetValue(f, kColLayout, std::to_string(colLayoutType));
    SetValue(f, kColContest1, contest1);
    SetValue(f, kColContest2, contest2);
    SetValue(f, kColContest3, contest3);
    SetValue(f, kColContest4, contest4);
    log.Post();

    std::unique_ptr<TQSO> qso = QSOFromFields(*log.CurrentFields);
    if (!IsStored(*qso))
        return nullptr;
    TQSO* stored = qso.get();
    QSOs.push_back(std::move(qso));

    if (index->AppendRow() < 999 && index->CurrentFields) {
        int32_t indexNumber = 0;
        DrawNumber(*index, kDateIndexTable, indexNumber);
        TDBFields& x = *index->CurrentFields;
        SetValue(x, kIdxNumber, std::to_string(indexNumber));
        SetValue(x, kIdxDate, date);
        SetValue(x, kIdxCall, call);
        index->Post();
        ResultSet = std::move(index);
    }
    return stored;
}

void TQSOs::DeleteQSO(TQSO& qso) {
    const std::string number = std::to_string(qso.QSOID);
    // The contact's rows are gathered first and deleted all or none, the log
    // rows first.
    std::vector<TDBFieldsPtr> rows;
    {
        TDBResultSet log;
        // An empty call would open the table without a key: nothing to find.
        if (log.Open(kLogTable, qso.Call, qso.Call) != TDBResultSet::kOK || log.Rows.empty()) {
            return;
        }
        // A number alone may have been handed out twice (a log whose
        // sequence was lost): the date must match as well.
        for (const TDBFieldsPtr& row : log.Rows)
            if (ValueAt(*row, kColNumber) == number && ValueAt(*row, kColDate) == qso.QSODate)
                rows.push_back(row);
    }
    {
        // The index row's number comes from the index's own sequence, which
        // agrees with the contact number only while both sequences advanced
        // together; the call must match too, so that a log whose sequences
        // drifted apart never loses another station's index row here.
        const std::string call = TRecordText::UpperAZ(TRecordText::Trim(qso.Call));
        TDBResultSet index;
        if (index.Open(kDateIndexTable, qso.QSODate, qso.QSODate) == TDBResultSet::kOK) {
            for (const TDBFieldsPtr& row : index.Rows)
                if (ValueAt(*row, kIdxNumber) == number &&
                    TRecordText::UpperAZ(TRecordText::Trim(ValueAt(*row, kIdxCall))) == call)
                    rows.push_back(row);
        }
    }
    for (TDBFieldsPtr& row : TQSOMemos::RowsOfQSO(qso.QSOID)) rows.push_back(std::move(row));
    TQSOMemos::DeleteAllOrNone(rows);
}

bool TQSOs::HasRoomForContact(size_t textPieces) {
    if (!DbKernel)
        return false;
    auto id = [](const char* table) { return DbKernel->GetTableIDFromName(table); };
    // A sequence's row is added on its first draw and overwritten after.
    auto sequenceRow = [&](const char* table) -> uint32_t {
        const std::string key = std::to_string(id(table));
        TDBResultSet sequence;
        return sequence.Open(kSequencesTable, key, key) == TDBResultSet::kOK ? 0 : 1;
    };
    const std::vector<std::pair<uint32_t, uint32_t>> wanted = {
        {id(kSequencesTable), sequenceRow(kLogTable)},
        {id(kLogTable), 1},
        {id(kSequencesTable), sequenceRow(kDateIndexTable)},
        {id(kDateIndexTable), 1},
        {id(TQSOMemos::kTable), static_cast<uint32_t>(textPieces)}};
    // A missing table takes no room; writing into it fails on its own.
    std::vector<std::pair<uint32_t, uint32_t>> rows;
    for (const auto& row : wanted)
        if (row.first != DbFormat::kNoTableID)
            rows.push_back(row);
    return DbKernel->HasRoomForRows(rows);
}

bool TQSOs::DrawNumber(TDBResultSet& rs, const char* table, int32_t& number) {
    // Without the sequence table every draw would answer 0.
    TDBResultSet sequences;
    if (sequences.Open(kSequencesTable, "", "") >= 999 || !DbKernel)
        return false;
    number = rs.GetSequencedNumber(table);
    const std::string key = std::to_string(DbKernel->GetTableIDFromName(table));
    TDBResultSet drawn;
    return drawn.Open(kSequencesTable, key, key) == TDBResultSet::kOK &&
           ValueAt(*drawn.CurrentFields, 1) == std::to_string(number);
}

bool TQSOs::IsStored(const TQSO& qso) {
    // Read in place: the call's other contacts are not built.
    const std::string number = std::to_string(qso.QSOID);
    bool stored = false;
    TDBResultSet log;
    log.VisitKey(kLogTable, qso.Call, [&](const TRowView& row) {
        stored = stored || (row.Text(kColNumber) == number && row.Text(kColDate) == qso.QSODate);
    });
    return stored;
}

std::unique_ptr<TQSO> TQSOs::QSOFromFields(const TDBFields& fields) {
    std::unique_ptr<TQSO> q =
        BuildQSO([&fields](int position) { return ValueAt(fields, position); });
    MakeCurrent(*q);
    return q;
}

template <class TValue>
std::unique_ptr<TQSO> TQSOs::BuildQSO(const TValue& value) {
    auto q = std::make_unique<TQSO>();
    q->QSOID = TRecordText::StrToIntStrict(value(kColNumber));
    q->QSODate = value(kColDate);
    q->Call = value(kColCall);
    q->StartTime = value(kColStart);
    q->EndTime = value(kColEnd);
    q->Frequency = value(kColFrequency);
    q->Power = TRecordText::StrToIntStrict(value(kColPower));
    q->Mode = value(kColMode);
    q->SentRST = TRecordText::StrToIntStrict(value(kColSentRST));
    q->RcvdRST = TRecordText::StrToIntStrict(value(kColRcvdRST));
    q->RcvdQSL = TRecordText::StrToIntStrict(value(kColRcvdQSL));
    q->SentQSL = TRecordText::StrToIntStrict(value(kColSentQSL));
    q->LogID = TRecordText::StrToIntStrict(value(kColLogID));
    q->Zone = value(kColZone);
    q->Country = value(kColCountry);
    q->County = value(kColCounty);
    q->Grid = value(kColGrid);
    q->QSLManager = value(kColQSLManager);
    q->ColLayoutType = TRecordText::StrToIntStrict(value(kColLayout));
    q->Contest1 = value(kColContest1);
    q->Contest2 = value(kColContest2);
    q->Contest3 = value(kColContest3);
    q->Contest4 = value(kColContest4);
    return q;
}

void TQSOs::MakeCurrent(const TQSO& qso) {
    current_ = std::make_unique<TQSO>(qso);
    Current = current_.get();
}
