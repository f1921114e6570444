// Contacts reported by WSJT-X go through the ADIF import's rules: its modes
// and submodes, its duplicate key, its reasons to reject a record.
#include "adif/AdifTestSupport.h"
#include "logwindow/TWsjtxContactStore.h"
#include "wsjtx/WsjtxTestDatagrams.h"

namespace {

const char* const kFt8Row =
    "05/17/2024|K1ABC|12:00|12:01|14.074|100|FT8|-10|-12|0|0|0||U.S.A.||FN42||0|||||tnx QSO|";

QByteArray Adif(const std::string& record) {
    return LoggedAdif(QByteArray::fromStdString("<adif_ver:5>3.1.0<EOH>\n" + record + "<EOR>"));
}

}  // namespace

using WsjtxStoreTest = AdifTest;

TEST_F(WsjtxStoreTest, ReportsAreStoredByTheImportRules) {
    TLoggedQso german;
    german.Call = "DL1AB";
    german.Comments = "M\xC3\xBCller";
    const struct {
        std::vector<QByteArray> datagrams;
        const char* counts;  // stored, duplicates, rejected
        std::string contacts;
    } cases[] = {
        {{QsoLogged({}), Adif("<call:5>K1ABC<qso_date:8>20240517<time_on:6>120015<freq:9>14.074000"
                              "<mode:3>FT8")},
         "1 1 0",
         kFt8Row},
        {{Adif("<call:5>K1ABC<qso_date:8>20240517<time_on:4>1200<freq:5>7.074<mode:3>FT8"),
          QsoLogged({})},  // another band is another contact
         "2 0 0",
         std::string("05/17/2024|K1ABC|12:00||7.074|0|FT8|999|999|0|0|0||U.S.A.||||0||||||; ") +
             kFt8Row},
        {{Adif("<call:4>W1AW<qso_date:8>20240517<time_on:4>1300<freq:6>14.080<mode:4>MFSK"
               "<submode:3>FT4<rst_sent:3>+05")},
         "1 0 0",
         "05/17/2024|W1AW|13:00||14.080|0|FT4|5|999|0|0|0||U.S.A||||0||||||"},
        {{Adif("<qso_date:8>20240517<time_on:4>1300<mode:3>FT8"), LoggedAdif("no record"),
          Adif("<call:4>W1AW<qso_date:8>20241317")},
         "0 0 3",
         ""},
        {{QsoLogged(german)},
         "1 0 0",
         "05/17/2024|DL1AB|12:00|12:01|14.074|100|FT8|-10|-12|0|0|0||GERMANY||FN42||0|||||"
         "M\xFCller|"},
    };
    for (const auto& c : cases) {
        EmptyLog();
        TWsjtxContactStore store;
        TWsjtxListener listener(store);
        for (const QByteArray& datagram : c.datagrams) listener.Handle(datagram);
        const auto& n = listener.Counts();
        EXPECT_EQ(c.counts, std::to_string(n.Stored) + " " + std::to_string(n.Duplicates) + " " +
                                std::to_string(n.Rejected));
        EXPECT_EQ(c.contacts, Contacts());
    }
}
