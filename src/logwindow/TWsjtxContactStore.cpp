#include "logwindow/TWsjtxContactStore.h"

#include <utility>
#include <vector>

#include "adif/TAdifLog.h"
#include "adif/TAdifMapping.h"
#include "adif/TAdifReader.h"
#include "records/TCountryTable.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

bool TWsjtxContactStore::ToQso(const TWsjtxContact& contact, TQSO& qso, std::string& text) {
    // "QSO Logged" brings the fields themselves, "Logged ADIF" a document
    // whose first record is the contact. The mapping reads values as UTF-8.
    TAdifRecord record;
    if (contact.Adif.empty()) {
        record.Fields = contact.Fields;
        record.Ended = true;
    } else {
        TAdifReader reader;
        reader.Parse(contact.Adif);
        if (reader.Records.empty())
            return false;
        record = std::move(reader.Records.front());
    }
    const std::vector<int> widths = TAdifLog::ColumnWidths();
    std::string reason;
    std::vector<std::string> notes;
    if (!TAdifMapping::FromRecord(record, widths, qso, text, reason, notes))
        return false;
    TAdifMapping::FillCountry(qso, widths, [](const std::string& call, std::string& country) {
        return TCountryTable::Lookup(call, country);
    });
    return true;
}

IContactSink::TOutcome TWsjtxContactStore::Store(const TWsjtxContact& contact) {
    TQSO q;
    std::string text;
    if (!ToQso(contact, q, text))
        return TOutcome::kRejected;
    TQSOs list;
    list.LoadDay(q.QSODate, q.QSODate);
    const std::string key = TAdifMapping::DuplicateKey(q);
    for (const auto& stored : list.QSOs)
        if (TAdifMapping::DuplicateKey(*stored) == key)
            return TOutcome::kDuplicate;
    if (!list.HasRoomForContact(TQSOMemos::PieceCount(text)))
        return TOutcome::kRejected;
    const TQSO* added = list.AddQSO(
        q.QSODate, q.Call, q.StartTime, q.EndTime, q.Frequency, q.Power, q.Mode, q.SentRST,
        q.RcvdRST, q.RcvdQSL, q.SentQSL, q.LogID, q.Zone, q.Country, q.County, q.Grid, q.QSLManager,
        q.ColLayoutType, q.Contest1, q.Contest2, q.Contest3, q.Contest4);
    if (added == nullptr)
        return TOutcome::kRejected;
    if (!text.empty())
        TQSOMemos().SaveText(added->QSOID, text);
    if (Added)
        Added(*added);
    return TOutcome::kStored;
}
