#include "adif/TAdifMapping.h"

#include <cmath>
#include <cstdint>

#include "adif/TAdifBands.h"
#include "adif/TAdifModes.h"
#include "adif/TAdifText.h"
#include "records/TQSOs.h"
#include "records/TRecordText.h"

namespace {

bool AllDigits(const std::string& s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int Number(const std::string& s, size_t from, size_t count) {
    return std::stoi(s.substr(from, count));
}

std::string Upper(const std::string& text) {
    return TRecordText::UpperAZ(text);
}

// A single-line value: control characters become blanks, then trimmed.
std::string OneLine(std::string value) {
    for (char& c : value)
        if (static_cast<unsigned char>(c) < ' ' || c == 127)
            c = ' ';
    return TRecordText::Trim(value);
}

// Reads the record's values, noting every change made to fit the log.
class TValues {
public:
    TValues(const TAdifRecord& r, const std::vector<int>& widths, std::vector<std::string>& notes)
        : r_(r), widths_(widths), notes_(notes) {}

    // The decoded value of the field, "" when absent.
    std::string Raw(const char* name) const {
        const std::string* v = r_.Find(name);
        if (!v)
            return std::string();
        int replaced = 0;
        std::string text = TAdifText::ToLatin1(*v, replaced);
        if (replaced > 0)
            notes_.push_back(std::string(name) + ": " + std::to_string(replaced) +
                             " characters outside Latin-1 stored as \"?\"");
        return text;
    }
    std::string Line(const char* name) const { return OneLine(Raw(name)); }
    // The single-line value cut to its column.
    std::string Cut(const char* name, int column) const { return CutTo(name, Line(name), column); }
    std::string CutTo(const char* name, const std::string& value, int column) const {
        const size_t width = Width(column);
        if (width == 0 || value.size() <= width)
            return value;
        // A grid square too long keeps its square (4 characters), not half
        // a subsquare.
        const size_t keep = (column == TQSOs::kColGrid && width >= 4) ? 4 : width;
        notes_.push_back(std::string(name) + " '" + value + "' cut to '" + value.substr(0, keep) +
                         "'");
        return value.substr(0, keep);
    }
    int32_t Integer(const char* name, int32_t absent, int32_t bad) const {
        const std::string v = Line(name);
        int32_t n = 0;
        if (v.empty())
            return absent;
        if (TRecordText::TryStrToInt(v[0] == '+' ? v.substr(1) : v, n))
            return n;
        notes_.push_back(std::string(name) + " '" + v + "' is not a whole number: stored as " +
                         std::to_string(bad));
        return bad;
    }
    void Note(const std::string& note) const { notes_.push_back(note); }

private:
    size_t Width(int column) const {
        return column < static_cast<int>(widths_.size()) && widths_[column] > 0
                   ? static_cast<size_t>(widths_[column])
                   : 0;
    }
    const TAdifRecord& r_;
    const std::vector<int>& widths_;
    std::vector<std::string>& notes_;
};

// Power in watts: a decimal number, rounded; false for anything else.
bool Watts(const std::string& text, int32_t& watts) {
    double w = 0;
    if (!TAdifBands::ParseMHz(text, w) || w > 2147483647.0)
        return false;
    watts = static_cast<int32_t>(std::lround(w));
    return true;
}

std::string QslFlag(int32_t code) {
    return code == 1 ? "Y" : "N";
}

// The frequency: FREQ when it is one, else the lower edge of BAND.
std::string Frequency(const TValues& v) {
    const std::string freq = v.Line("FREQ");
    double mhz = 0;
    if (!freq.empty()) {
        if (TAdifBands::ParseMHz(freq, mhz))
            return v.CutTo("FREQ", freq, TQSOs::kColFrequency);
        v.Note("FREQ '" + freq + "' is not a frequency in MHz");
    }
    const std::string band = v.Line("BAND");
    std::string edge;
    if (!band.empty()) {
        if (TAdifBands::LowerEdge(band, edge))
            return edge;
        v.Note("BAND '" + band + "' is not an ADIF band");
    }
    return std::string();
}

std::string Mode(const TValues& v) {
    const std::string mode = v.Line("MODE");
    const std::string submode = v.Line("SUBMODE");
    const std::string logMode = TAdifModes::FromAdif(mode, submode);
    if (!logMode.empty() || (mode.empty() && submode.empty()))
        return logMode.empty() ? TAdifMapping::kUnknownMode : logMode;
    v.Note("MODE '" + mode + (submode.empty() ? "" : "' SUBMODE '" + submode) +
           "' is not a mode of the log: stored as " + TAdifMapping::kUnknownMode);
    return TAdifMapping::kUnknownMode;
}

}  // namespace

bool TAdifMapping::DateFromAdif(const std::string& adif, std::string& date) {
    if (adif.size() != 8 || !AllDigits(adif))
        return false;
    const int year = Number(adif, 0, 4), month = Number(adif, 4, 2), day = Number(adif, 6, 2);
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && day == 29 && !leap)
        return false;
    date = adif.substr(4, 2) + "/" + adif.substr(6, 2) + "/" + adif.substr(0, 4);
    return true;
}

bool TAdifMapping::TimeFromAdif(const std::string& adif, std::string& time) {
    if ((adif.size() != 4 && adif.size() != 6) || !AllDigits(adif))
        return false;
    if (Number(adif, 0, 2) > 23 || Number(adif, 2, 2) > 59 ||
        (adif.size() == 6 && Number(adif, 4, 2) > 59))
        return false;
    time = adif.substr(0, 2) + ":" + adif.substr(2, 2);
    return true;
}

TAdifMapping::TFields TAdifMapping::ToFields(const TQSO& q, const std::string& text) {
    TFields f;
    auto add = [&f](const char* name, const std::string& value) { f.emplace_back(name, value); };
    auto addIf = [&](const char* name, const std::string& value) {
        if (!value.empty())
            add(name, value);
    };
    const std::string& d = q.QSODate;
    if (d.size() == 10 && d[2] == '/' && d[5] == '/')
        add("QSO_DATE", d.substr(6, 4) + d.substr(0, 2) + d.substr(3, 2));
    auto hhmm = [](const std::string& t) {
        return t.size() == 5 && t[2] == ':' ? t.substr(0, 2) + t.substr(3, 2) : t;
    };
    addIf("TIME_ON", hhmm(q.StartTime));
    addIf("TIME_OFF", hhmm(q.EndTime));
    add("CALL", q.Call);
    std::string freq = q.Frequency;
    for (char& c : freq)
        if (c == ',')
            c = '.';
    addIf("FREQ", freq);
    addIf("BAND", TAdifBands::BandOf(freq));
    if (q.Power != 0)
        add("TX_PWR", std::to_string(q.Power));
    std::string mode, submode;
    TAdifModes::ToAdif(q.Mode, mode, submode);
    addIf("MODE", mode);
    addIf("SUBMODE", submode);
    add("RST_SENT", std::to_string(q.SentRST));
    add("RST_RCVD", std::to_string(q.RcvdRST));
    add("QSL_RCVD", QslFlag(q.RcvdQSL));
    add("QSL_SENT", QslFlag(q.SentQSL));
    addIf("CQZ", q.Zone);
    addIf("COUNTRY", q.Country);
    addIf("CNTY", q.County);
    addIf("GRIDSQUARE", q.Grid);
    addIf("QSL_VIA", q.QSLManager);
    addIf("NOTES", text);
    add("APP_TRAMB_QSO_ID", std::to_string(q.QSOID));
    add("APP_TRAMB_LOGID", std::to_string(q.LogID));
    add("APP_TRAMB_LAYOUT", std::to_string(q.ColLayoutType));
    addIf("APP_TRAMB_CONTEST1", q.Contest1);
    addIf("APP_TRAMB_CONTEST2", q.Contest2);
    addIf("APP_TRAMB_CONTEST3", q.Contest3);
    addIf("APP_TRAMB_CONTEST4", q.Contest4);
    return f;
}

bool TAdifMapping::FromRecord(const TAdifRecord& record, const std::vector<int>& widths, TQSO& q,
                              std::string& text, std::string& reason,
                              std::vector<std::string>& notes) {
    const TValues v(record, widths, notes);
    q = TQSO();
    if (!record.Ended) {
        reason = "the file ends inside this record (no <EOR>)";
        return false;
    }
    const std::string call = v.Line("CALL");
    if (call.empty()) {
        reason = "no CALL";
        return false;
    }
    const std::string date = v.Line("QSO_DATE");
    if (date.empty()) {
        reason = "no QSO_DATE";
        return false;
    }
    if (!DateFromAdif(date, q.QSODate)) {
        reason = "QSO_DATE '" + date + "' is not a valid date (YYYYMMDD)";
        return false;
    }
    for (const auto& [name, target] :
         {std::pair<const char*, std::string*>{"TIME_ON", &q.StartTime},
          {"TIME_OFF", &q.EndTime}}) {
        const std::string t = v.Line(name);
        if (!t.empty() && !TimeFromAdif(t, *target)) {
            reason = std::string(name) + " '" + t + "' is not a valid time (HHMM or HHMMSS)";
            return false;
        }
    }
    q.Call = v.CutTo("CALL", call, TQSOs::kColCall);
    q.Frequency = Frequency(v);
    const std::string power = v.Line("TX_PWR");
    if (!power.empty() && !Watts(power, q.Power))
        v.Note("TX_PWR '" + power + "' is not a number of watts: stored as 0");
    q.Mode = Mode(v);
    q.SentRST = v.Integer("RST_SENT", kBadReport, kBadReport);
    q.RcvdRST = v.Integer("RST_RCVD", kBadReport, kBadReport);
    q.RcvdQSL = Upper(v.Line("QSL_RCVD")) == "Y" ? 1 : 0;
    q.SentQSL = Upper(v.Line("QSL_SENT")) == "Y" ? 1 : 0;
    q.Zone = v.Cut("CQZ", TQSOs::kColZone);
    q.Country = v.Cut("COUNTRY", TQSOs::kColCountry);
    q.County = v.Cut("CNTY", TQSOs::kColCounty);
    q.Grid = v.Cut("GRIDSQUARE", TQSOs::kColGrid);
    q.QSLManager = v.Cut("QSL_VIA", TQSOs::kColQSLManager);
    q.LogID = v.Integer("APP_TRAMB_LOGID", 0, 0);
    q.ColLayoutType = v.Integer("APP_TRAMB_LAYOUT", 0, 0);
    q.Contest1 = v.Cut("APP_TRAMB_CONTEST1", TQSOs::kColContest1);
    q.Contest2 = v.Cut("APP_TRAMB_CONTEST2", TQSOs::kColContest2);
    q.Contest3 = v.Cut("APP_TRAMB_CONTEST3", TQSOs::kColContest3);
    q.Contest4 = v.Cut("APP_TRAMB_CONTEST4", TQSOs::kColContest4);
    // Line breaks become blanks when the text is stored.
    text = record.Find("NOTES") ? v.Raw("NOTES") : v.Raw("COMMENT");
    if (text.size() > kMaxTextLength) {
        v.Note("NOTES of " + std::to_string(text.size()) + " characters cut to " +
               std::to_string(kMaxTextLength));
        text.resize(kMaxTextLength);
    }
    return true;
}

void TAdifMapping::FillCountry(
    TQSO& q, const std::vector<int>& widths,
    const std::function<bool(const std::string&, std::string&)>& lookup) {
    std::string country;
    if (!q.Country.empty() || !lookup(Upper(q.Call), country))
        return;
    const int width = widths.empty() ? 0 : widths[TQSOs::kColCountry];
    q.Country = width > 0 ? country.substr(0, static_cast<size_t>(width)) : country;
}

std::string TAdifMapping::DuplicateKey(const TQSO& q) {
    return Upper(TRecordText::Trim(q.Call)) + '|' + q.QSODate + '|' + q.StartTime.substr(0, 5) +
           '|' + TAdifBands::BandOf(q.Frequency);
}
