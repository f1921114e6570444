#include <gtest/gtest.h>

#include <set>

#include "wsjtx/TWsjtxDecoder.h"
#include "wsjtx/WsjtxTestDatagrams.h"

namespace {

using TResult = TWsjtxDecoder::TResult;

TResult Decode(const QByteArray& bytes, TWsjtxContact& contact) {
    return TWsjtxDecoder::Decode(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                 static_cast<size_t>(bytes.size()), contact);
}

std::string Fields(const TWsjtxContact& c) {
    std::string text;
    for (const auto& [name, value] : c.Fields) text += name + "=" + value + " ";
    return text + c.Adif;
}

}  // namespace

TEST(TWsjtxDecoder, LoggedMessagesBecomeAdifFields) {
    TLoggedQso older;
    older.Fields = 12;
    TLoggedQso offset;  // 00:30 at UTC+1 is 23:30 UTC the day before
    offset.On = QDateTime(QDate(2024, 5, 17), QTime(0, 30), Qt::OffsetFromUTC, 3600);
    offset.Call = "DL1AB";
    offset.Hz = 7074150;
    offset.Fields = 12;
    const struct {
        QByteArray datagram;
        std::string fields;
    } cases[] = {
        {QsoLogged({}),
         "CALL=K1ABC QSO_DATE=20240517 TIME_ON=120015 QSO_DATE_OFF=20240517 TIME_OFF=120130 "
         "FREQ=14.074 MODE=FT8 RST_SENT=-10 RST_RCVD=-12 TX_PWR=100 GRIDSQUARE=FN42 NAME=Bob "
         "COMMENT=tnx QSO OPERATOR=W9XYZ STATION_CALLSIGN=W9XYZ MY_GRIDSQUARE=EN52 STX_STRING=1 "
         "SRX_STRING=2 PROP_MODE=TR "},
        {QsoLogged(older),
         "CALL=K1ABC QSO_DATE=20240517 TIME_ON=120015 QSO_DATE_OFF=20240517 TIME_OFF=120130 "
         "FREQ=14.074 MODE=FT8 RST_SENT=-10 RST_RCVD=-12 TX_PWR=100 GRIDSQUARE=FN42 NAME=Bob "
         "COMMENT=tnx QSO "},
        {QsoLogged(offset),
         "CALL=DL1AB QSO_DATE=20240516 TIME_ON=233000 QSO_DATE_OFF=20240517 TIME_OFF=120130 "
         "FREQ=7.07415 MODE=FT8 RST_SENT=-10 RST_RCVD=-12 TX_PWR=100 GRIDSQUARE=FN42 NAME=Bob "
         "COMMENT=tnx QSO "},
        {LoggedAdif("WSJT-X ADIF Export<eoh>\n<call:5>K1ABC <eor>"),  // read by the log
         "WSJT-X ADIF Export<eoh>\n<call:5>K1ABC <eor>"},
    };
    for (const auto& c : cases) {
        TWsjtxContact contact;
        EXPECT_EQ(TResult::kContact, Decode(c.datagram, contact));
        EXPECT_EQ(c.fields, Fields(contact));
        EXPECT_EQ("WSJT-X", contact.Source);
    }
}

TEST(TWsjtxDecoder, OtherTypesAreIgnoredAndEveryCutOrForeignDatagramIsMalformed) {
    TWsjtxContact contact;
    for (quint32 type : {0u, 1u, 2u, 6u, 13u, 99u})
        EXPECT_EQ(TResult::kIgnored, Decode(Datagram(type, {}), contact)) << type;
    QByteArray foreign = QsoLogged({});
    foreign[0] = 0x00;
    EXPECT_EQ(TResult::kMalformed, Decode(foreign, contact));
    // A datagram may end after field 12, 16 or any later one, never inside one.
    std::set<int> ends;
    for (int fields = 12; fields <= 18; ++fields) {
        TLoggedQso q;
        q.Fields = fields;
        ends.insert(static_cast<int>(QsoLogged(q).size()));
    }
    const QByteArray full = QsoLogged({});
    for (int size = 0; size <= full.size(); ++size)
        EXPECT_EQ(ends.count(size) ? TResult::kContact : TResult::kMalformed,
                  Decode(full.left(size), contact))
            << size;
}
