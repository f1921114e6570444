#include "logwindow/TWsjtxContactStore.h"

#include <QDate>
#include <QString>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "logwindow/TCountryTable.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TRecordText.h"

namespace {

// Cell lengths of the log (what the grid keeps of a typed value).
constexpr size_t kCallLength = 15;
constexpr size_t kModeLength = 10;
constexpr size_t kGridLength = 5;
constexpr int32_t kBadReport = 999;
constexpr int32_t kQslNo = 0;
constexpr long kMaxPower = 99999999;  // eight digits, the power cell's length

std::string Latin1(const std::string& utf8, size_t length = std::string::npos) {
    std::string text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))
                           .trimmed()
                           .toLatin1()
                           .toStdString();
    return text.substr(0, length);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool AllDigits(const std::string& text, size_t from = 0) {
    return text.size() > from && std::all_of(text.begin() + static_cast<long>(from), text.end(),
                                             [](unsigned char c) { return std::isdigit(c) != 0; });
}

// "mm/dd/yyyy" of YYYYMMDD.
bool Date(const std::string& adif, std::string& date) {
    if (adif.size() != 8 || !AllDigits(adif))
        return false;
    if (!QDate(std::stoi(adif.substr(0, 4)), std::stoi(adif.substr(4, 2)),
               std::stoi(adif.substr(6, 2)))
             .isValid())
        return false;
    date = adif.substr(4, 2) + "/" + adif.substr(6, 2) + "/" + adif.substr(0, 4);
    return true;
}

// "hh:mm" of HHMM or HHMMSS.
bool Time(const std::string& adif, std::string& time) {
    if ((adif.size() != 4 && adif.size() != 6) || !AllDigits(adif))
        return false;
    if (std::stoi(adif.substr(0, 2)) > 23 || std::stoi(adif.substr(2, 2)) > 59)
        return false;
    time = adif.substr(0, 2) + ":" + adif.substr(2, 2);
    return true;
}

// A report such as "-12" or "599"; kBadReport for anything else.
int32_t Report(const std::string& text) {
    const std::string t = TRecordText::Trim(text);
    if (!AllDigits(t, t.size() > 1 && (t[0] == '-' || t[0] == '+') ? 1 : 0) || t.size() > 6)
        return kBadReport;
    return std::atoi(t.c_str());
}

// The frequency in MHz with three decimals, as the grid shows one.
std::string Frequency(const std::string& adif) {
    char* end = nullptr;
    const double mhz = std::strtod(adif.c_str(), &end);
    if (adif.empty() || end == adif.c_str() || !(mhz > 0) || mhz > 1e6)
        return std::string();
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", mhz);
    return text;
}

}  // namespace

bool TWsjtxContactStore::ToQso(const TWsjtxContact& contact, TQSO& qso, std::string& text) {
    qso = TQSO();
    qso.Call = Upper(Latin1(contact.Value("CALL"), kCallLength));
    if (qso.Call.empty() || !Date(contact.Value("QSO_DATE"), qso.QSODate) ||
        !Time(contact.Value("TIME_ON"), qso.StartTime))
        return false;
    if (!Time(contact.Value("TIME_OFF"), qso.EndTime))
        qso.EndTime = qso.StartTime;
    qso.Frequency = Frequency(contact.Value("FREQ"));
    const std::string submode = contact.Value("SUBMODE");
    qso.Mode = Upper(Latin1(submode.empty() ? contact.Value("MODE") : submode, kModeLength));
    qso.SentRST = Report(contact.Value("RST_SENT"));
    qso.RcvdRST = Report(contact.Value("RST_RCVD"));
    qso.Power = static_cast<int32_t>(
        std::clamp(std::strtol(contact.Value("TX_PWR").c_str(), nullptr, 10), 0L, kMaxPower));
    qso.Grid = Latin1(contact.Value("GRIDSQUARE"), kGridLength);
    qso.SentQSL = qso.RcvdQSL = kQslNo;
    qso.QSOID = -1;
    TCountryTable::Lookup(qso.Call, qso.Country);
    text = Latin1(contact.Value("COMMENT"));
    return true;
}

std::string TWsjtxContactStore::DuplicateKey(const TQSO& qso) {
    const double mhz = std::atof(qso.Frequency.c_str());
    const long band = mhz < 30 ? static_cast<long>(mhz) : static_cast<long>(mhz / 10) * 10;
    return TRecordText::Trim(qso.Call) + "|" + qso.QSODate + "|" + qso.StartTime + "|" +
           std::to_string(band);
}

IContactSink::TOutcome TWsjtxContactStore::Store(const TWsjtxContact& contact) {
    TQSO q;
    std::string text;
    if (!ToQso(contact, q, text))
        return TOutcome::kRejected;
    TQSOs list;
    list.LoadDay(q.QSODate, q.QSODate);
    const std::string key = DuplicateKey(q);
    for (const auto& stored : list.QSOs)
        if (DuplicateKey(*stored) == key)
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
