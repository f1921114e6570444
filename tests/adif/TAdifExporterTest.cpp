// The export's line of a contact, the round trip through an empty log, and
// the mode and band tables.
#include <regex>

#include "AdifTestSupport.h"
#include "adif/TAdifBands.h"
#include "adif/TAdifExporter.h"
#include "adif/TAdifModes.h"
#include "records/TQSOMemos.h"

namespace {

std::string Export(const std::string& path) {
    TAdifExporter exporter;
    exporter.Timestamp = "20240517 120000";
    int32_t count = 0;
    EXPECT_EQ(TAdifExporter::kOK, exporter.Export(path, count)) << exporter.Error;
    return ReadFile(path);
}

}  // namespace

TEST_F(AdifTest, ExportWritesTheHeaderAndOneLinePerContact) {
    TQSOs qsos;
    TQSO* q = qsos.AddQSO("05/17/2024", "DL1ABC", "14:02", "14:10", "14,074", 100, "psk63", -12,
                          579, 1, 0, 7, "14", "GERMANY", "M\xFCnchen", "JO62", "W1MGR", 2, "c1",
                          "c2", "c3", "c4");
    ASSERT_NE(nullptr, q);
    ASSERT_EQ(0, TQSOMemos().SaveText(q->QSOID, "n\xE9w"));
    qsos.AddQSO("05/17/2024", "K1A", "", "", "", 0, "NEW1", 5, 5, 2, 2, 0, "", "", "", "", "", 0,
                "", "", "", "");
    EXPECT_EQ(
        "Tramb ADIF export\r\n<ADIF_VER:5>3.1.4 <PROGRAMID:5>Tramb <PROGRAMVERSION:3>1.0 "
        "<CREATED_TIMESTAMP:15>20240517 120000 <EOH>\r\n"
        "<QSO_DATE:8>20240517 <CALL:3>K1A <MODE:4>NEW1 <RST_SENT:1>5 <RST_RCVD:1>5 <QSL_RCVD:1>N "
        "<QSL_SENT:1>N <APP_TRAMB_QSO_ID:1>1 <APP_TRAMB_LOGID:1>0 <APP_TRAMB_LAYOUT:1>0 <EOR>\r\n"
        "<QSO_DATE:8>20240517 <TIME_ON:4>1402 <TIME_OFF:4>1410 <CALL:6>DL1ABC <FREQ:6>14.074 "
        "<BAND:3>20m <TX_PWR:3>100 <MODE:3>PSK <SUBMODE:5>PSK63 <RST_SENT:3>-12 <RST_RCVD:3>579 "
        "<QSL_RCVD:1>Y <QSL_SENT:1>N <CQZ:2>14 <COUNTRY:7>GERMANY <CNTY:8>M\xC3\xBCnchen "
        "<GRIDSQUARE:4>JO62 <QSL_VIA:5>W1MGR <NOTES:4>n\xC3\xA9w <APP_TRAMB_QSO_ID:1>0 "
        "<APP_TRAMB_LOGID:1>7 <APP_TRAMB_LAYOUT:1>2 <APP_TRAMB_CONTEST1:2>c1 "
        "<APP_TRAMB_CONTEST2:2>c2 <APP_TRAMB_CONTEST3:2>c3 <APP_TRAMB_CONTEST4:2>c4 <EOR>\r\n",
        Export(dir_ + "/out.adi"));
}

TEST_F(AdifTest, ExportThenImportIntoAnEmptyLogGivesTheSameContactsAndFile) {
    TQSOs qsos;
    const char* modes[] = {"CW", "FT8", "PSK31", "C4FM", "Q65", "RTTY"};
    for (int i = 0; i < 40; ++i) {
        const std::string day = std::to_string(10 + i % 19);
        TQSO* q = qsos.AddQSO(
            "0" + std::to_string(1 + i % 9) + "/" + day + "/2023", "W" + std::to_string(i) + "X",
            "1" + std::to_string(i % 10) + ":0" + std::to_string(i % 10), i % 3 ? "" : "23:59",
            i % 4 ? "7.0" + std::to_string(i) : "", i * 10, modes[i % 6], i % 5 - 20, 599, i % 2,
            (i + 1) % 2, i, std::to_string(i % 40), i % 2 ? "U.S.A." : "CANADA",
            "C\xE4" + std::to_string(i), "FN4" + std::to_string(i % 10), "", i % 3, "x", "", "",
            "y");
        ASSERT_NE(nullptr, q);
        if (i % 2) {
            ASSERT_EQ(0, TQSOMemos().SaveText(q->QSOID, std::string(250 + i, 'a' + i % 26)));
        }
    }
    const std::string first = Export(dir_ + "/a.adi");
    const std::string log = Contacts();
    ASSERT_EQ(0, db_.ShutdownDatabase(dir_ + "/db_default.sib"));
    ASSERT_EQ(0, db_.StartDatabase(dir_ + "/second.sib"));
    int done = 0, failed = -1;
    std::string error;
    ASSERT_EQ(0, TSchemaScript::Run(SchemaScript(), done, failed, error)) << error;
    db_.Tables->Load();

    EXPECT_EQ(40, Import(first, "a.adi").Imported);
    EXPECT_EQ(log, Contacts());
    // Importing the file again adds nothing.
    EXPECT_EQ(40, Import(first, "a.adi").Duplicates);
    const std::regex numbers("<APP_TRAMB_QSO_ID:[0-9]+>[0-9]+");
    EXPECT_EQ(std::regex_replace(first, numbers, ""),
              std::regex_replace(Export(dir_ + "/b.adi"), numbers, ""));
    db_.ShutdownDatabase(dir_ + "/second.sib");
    ASSERT_EQ(0, db_.StartDatabase(dir_ + "/db_default.sib"));
}

TEST(AdifTables, ModesAndBands) {
    // clang-format off
    const std::tuple<std::string, std::string, std::string> modes[] = {  // log, MODE, SUBMODE
        {"PSK31", "PSK", "PSK31"}, {"ft4", "MFSK", "FT4"}, {"DSTAR", "DIGITALVOICE", "DSTAR"},
        {"FT8", "FT8", ""}, {"UNKN", "UNKN", ""}};
    // clang-format on
    for (const auto& [log, mode, submode] : modes) {
        std::string m, s;
        TAdifModes::ToAdif(log, m, s);
        EXPECT_EQ(mode + "/" + submode, m + "/" + s) << log;
    }
    EXPECT_EQ("PSK63", TAdifModes::FromAdif("PSK", "psk63"));
    EXPECT_EQ("SSB", TAdifModes::FromAdif("SSB", "LSB"));
    EXPECT_EQ("", TAdifModes::FromAdif("DIGITALVOICE", ""));
    EXPECT_EQ(31u, TAdifModes::LogModes().size());
    for (const std::string& m : TAdifModes::LogModes()) EXPECT_LE(m.size(), 10u) << m;
    const std::pair<const char*, const char*> bands[] = {
        {"1.8", "160m"},   {"2,0", "160m"},    {"2.01", ""},
        {"54", "6m"},      {"54.0000005", ""}, {"0.1357", "2190m"},
        {"250000", "1mm"}, {"14.0.7", ""},     {"999999999", ""}};
    for (const auto& [freq, band] : bands) EXPECT_EQ(band, TAdifBands::BandOf(freq)) << freq;
    std::string edge;
    EXPECT_TRUE(TAdifBands::LowerEdge("70CM", edge));
    EXPECT_EQ("420", edge);
    EXPECT_FALSE(TAdifBands::LowerEdge("11m", edge));
}
