#include "wsjtx/TWsjtxDecoder.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "wsjtx/TWsjtxStream.h"

namespace {

void Add(TWsjtxContact& contact, const char* name, const std::string& value) {
    if (!value.empty())
        contact.Fields.emplace_back(name, value);
}

// ADIF's FREQ in megahertz, to the hertz; at least three decimals, as the
// log writes a frequency ("14.074").
std::string MHz(uint64_t hz) {
    char text[40];
    std::snprintf(text, sizeof text, "%llu.%06llu", static_cast<unsigned long long>(hz / 1000000),
                  static_cast<unsigned long long>(hz % 1000000));
    std::string mhz = text;
    while (mhz.size() - mhz.find('.') > 4 && mhz.back() == '0') mhz.pop_back();
    return mhz;
}

}  // namespace

TWsjtxDecoder::TResult TWsjtxDecoder::Decode(const uint8_t* data, size_t size,
                                             TWsjtxContact& contact) {
    TWsjtxStream in(data, size);
    uint32_t magic = 0, schema = 0, type = 0;
    if (!in.U32(magic) || magic != kMagic || !in.U32(schema) || !in.U32(type))
        return TResult::kMalformed;
    contact = {};
    if (type == kQsoLogged)
        return QsoLogged(in, contact);
    if (type == kLoggedAdif)
        return LoggedAdif(in, contact);
    return TResult::kIgnored;
}

TWsjtxDecoder::TResult TWsjtxDecoder::QsoLogged(TWsjtxStream& in, TWsjtxContact& contact) {
    TWsjtxStream::TDateTime off, on;
    std::string call, grid, mode, sent, rcvd, power, comment, name;
    uint64_t hz = 0;
    if (!in.Utf8(contact.Source) || !in.DateTime(off) || !in.Utf8(call) || !in.Utf8(grid) ||
        !in.U64(hz) || !in.Utf8(mode) || !in.Utf8(sent) || !in.Utf8(rcvd) || !in.Utf8(power) ||
        !in.Utf8(comment) || !in.Utf8(name) || !in.DateTime(on))
        return TResult::kMalformed;
    // Older programs end here or after the exchanges; a field begun and cut
    // short is damage.
    static const char* const kLater[] = {"OPERATOR",   "STATION_CALLSIGN", "MY_GRIDSQUARE",
                                         "STX_STRING", "SRX_STRING",       "PROP_MODE"};
    std::vector<std::pair<const char*, std::string>> later;
    for (const char* field : kLater) {
        if (in.AtEnd())
            break;
        std::string value;
        if (!in.Utf8(value))
            return TResult::kMalformed;
        later.emplace_back(field, value);
    }
    Add(contact, "CALL", call);
    Add(contact, "QSO_DATE", on.Date.empty() ? off.Date : on.Date);
    Add(contact, "TIME_ON", on.Time.empty() ? off.Time : on.Time);
    Add(contact, "QSO_DATE_OFF", off.Date);
    Add(contact, "TIME_OFF", off.Time);
    Add(contact, "FREQ", hz != 0 ? MHz(hz) : std::string());
    Add(contact, "MODE", mode);
    Add(contact, "RST_SENT", sent);
    Add(contact, "RST_RCVD", rcvd);
    Add(contact, "TX_PWR", power);
    Add(contact, "GRIDSQUARE", grid);
    Add(contact, "NAME", name);
    Add(contact, "COMMENT", comment);
    for (const auto& [field, value] : later) Add(contact, field, value);
    return TResult::kContact;
}

TWsjtxDecoder::TResult TWsjtxDecoder::LoggedAdif(TWsjtxStream& in, TWsjtxContact& contact) {
    // The text is read where the log's ADIF rules are.
    if (!in.Utf8(contact.Source) || !in.Utf8(contact.Adif))
        return TResult::kMalformed;
    return TResult::kContact;
}
