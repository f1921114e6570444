// The import as one table of files as other programs write them, and the
// stop at a full log file.
#include "AdifTestSupport.h"
#include "records/FullLogFile.h"

namespace {

struct TCase {
    const char* What;
    std::string File;
    std::string Counts;  // read imported duplicates rejected changed
    std::string Stored;  // Contacts()
    std::string Report;  // a line the report file holds
};

}  // namespace

TEST_F(AdifTest, ImportsWhatOtherProgramsWrite) {
    const std::string w1aw = "<CALL:4>W1AW<QSO_DATE:8>20240517<TIME_ON:4>1402";
    // clang-format off
    const TCase cases[] = {
        {"header after text, seconds, signed reports, decimal power",
         "Log of W1XYZ\r\n<ADIF_VER:5>3.1.4 <PROGRAMID:6>WSJT-X <EOH>\r\n<CALL:4>W1AW "
         "<QSO_DATE:8>20240517 <TIME_ON:6>140259 <TIME_OFF:4>1410 <FREQ:9>14.074000 <BAND:3>20m "
         "<MODE:3>FT8 <RST_SENT:3>-12 <RST_RCVD:3>+05 <TX_PWR:4>50.4 <QSL_RCVD:1>y <QSL_SENT:1>N "
         "<CQZ:1>5 <EOR>\r\n", "1 1 0 0 0",
         "05/17/2024|W1AW|14:02|14:10|14.074000|50|FT8|-12|5|1|0|0|5|LAND OF W||||0||||||", ""},
        {"no header, names in lower case, type indicators, band without frequency, submode",
         "<call:5:s>k1abc\n<qso_date:8:d>20240517\n<time_on:4:t>0905 <band:3>20M <mode:4>MFSK "
         "<submode:3>FT4\n<rst_sent:2>59 <eor>\n", "1 1 0 0 0",
         "05/17/2024|K1ABC|09:05||14.0|0|FT4|59|999|0|0|0||LAND OF K||||0||||||", ""},
        {"unknown fields, COMMENT, line breaks in NOTES, old and unknown modes",
         "<CALL:4>G4XY<QSO_DATE:8>20240517<MY_GRIDSQUARE:6>IO91wm<MODE:5>DSTAR<COMMENT:5>hello"
         "<EOR><CALL:4>G4XZ<QSO_DATE:8>20240517<MODE:3>SSB<SUBMODE:3>USB<NOTES:9>line1\r\nl2"
         "<COMMENT:1>x<EOR><CALL:4>G4XA<QSO_DATE:8>20240517<MODE:6>VARA42<EOR>", "3 3 0 0 1",
         "05/17/2024|G4XY||||0|DSTAR|999|999|0|0|0||LAND OF G||||0|||||hello|; "
         "05/17/2024|G4XZ||||0|SSB|999|999|0|0|0||LAND OF G||||0|||||line1 l2|; "
         "05/17/2024|G4XA||||0|UNKN|999|999|0|0|0||LAND OF G||||0||||||",
         "record 3 (G4XA): MODE 'VARA42' is not a mode of the log: stored as UNKN"},
        {"no call, bad dates and times, a file ending inside a record",
         "<QSO_DATE:8>20240517<EOR><CALL:3>A1A<QSO_DATE:8>20230229<EOR><CALL:3>A1A<QSO_DATE:8>"
         "20240517<TIME_ON:4>2460<EOR><CALL:3>A1A<EOR><CALL:3>B1B<QSO_DATE:8>20240229<EOR>"
         "<CALL:3>C1C<QSO_DATE:8>2024", "6 1 0 5 0",
         "02/29/2024|B1B||||0|UNKN|999|999|0|0|0||LAND OF B||||0||||||",
         "record 6 (C1C): the file ends inside this record (no <EOR>)"},
        {"long values cut, UTF-8 decoded, Latin-1 kept",
         "<CALL:4>DL1A<QSO_DATE:8>20240517<GRIDSQUARE:6>JO62qm<COUNTRY:24>FEDERAL REPUBLIC "
         "GERMANY<CNTY:7>Z\xC3\xBCrich<NOTES:6>\xCE\xA9mega<APP_TRAMB_CONTEST1:6>ABCDEF<EOR>"
         "<CALL:4>DL2B<QSO_DATE:8>20240517<CNTY:6>M\xFCnich<EOR>", "2 2 0 0 4",
         "05/17/2024|DL1A||||0|UNKN|999|999|0|0|0||FEDERAL REPUBLIC GER|Z\xFCrich|JO62||0|ABCD"
         "||||?mega|; 05/17/2024|DL2B||||0|UNKN|999|999|0|0|0||LAND OF D|M\xFCnich|||0||||||",
         "record 1 (DL1A): GRIDSQUARE 'JO62qm' cut to 'JO62'"},
        {"duplicates: same call, date, start and band (a band's edge counts as its band)",
         w1aw + "<FREQ:6>14.074<EOR>\n<CALL:4>w1aw<QSO_DATE:8>20240517<TIME_ON:6>140230"
         "<BAND:3>20m<EOR>\n" + w1aw + "<FREQ:5>7.074<EOR>", "3 2 1 0 0",
         "05/17/2024|W1AW|14:02||14.074|0|UNKN|999|999|0|0|0||LAND OF W||||0||||||; "
         "05/17/2024|W1AW|14:02||7.074|0|UNKN|999|999|0|0|0||LAND OF W||||0||||||",
         "record 2 (w1aw): 05/17/2024 14:02 is already in the log"},
        {"a header alone, without text before it", "<ADIF_VER:5>3.1.4 <EOH>\r\n", "0 0 0 0 0", "",
         ""},
        {"one line, a header without text before it, stray text",
         "<adif_ver:5>3.1.4<PROGRAMID:5>Tramb<eoh>Made by <my logger> 1.0 <CALL:3>A1A<QSO_DATE:8>20240101<EOR>"
         "<CALL:3>B2B<QSO_DATE:8>20240102<TIME_ON:4>0000<EOR>", "2 2 0 0 0",
         "01/01/2024|A1A||||0|UNKN|999|999|0|0|0||LAND OF A||||0||||||; "
         "01/02/2024|B2B|00:00|||0|UNKN|999|999|0|0|0||LAND OF B||||0||||||", ""},
    };
    // clang-format on
    for (const TCase& c : cases) {
        EmptyLog();
        const TAdifImportSummary s = Import(c.File);
        EXPECT_EQ(c.Counts, std::to_string(s.Read) + " " + std::to_string(s.Imported) + " " +
                                std::to_string(s.Duplicates) + " " + std::to_string(s.Rejected) +
                                " " + std::to_string(s.Changed))
            << c.What;
        EXPECT_EQ(c.Stored, Contacts()) << c.What;
        EXPECT_TRUE(s.ReportWritten) << c.What;
        EXPECT_NE(std::string::npos, ReadFile(dir_ + "/in.adi.import-report.txt").find(c.Report))
            << c.What;
    }
    ExpectSound();
}

TEST_F(AdifTest, AFullLogFileStopsBeforeTheFirstContactThatDoesNotFit) {
    std::string file;
    for (int i = 0; i < 6; ++i)
        file += "<CALL:4>K" + std::to_string(i) + "AA<QSO_DATE:8>20240517<NOTES:4>text<EOR>\n";
    Import(file.substr(0, file.find('\n') + 1));  // the tables' pages exist
    FillLogFile({{"QSOLOG", 2}, {"QSO_DATE_INDEX", 2}, {"QSO_TEXT", 2}});
    const TAdifImportSummary s = Import(file);
    EXPECT_EQ("6 2 1 0 4", std::to_string(s.Read) + " " + std::to_string(s.Imported) + " " +
                               std::to_string(s.Duplicates) + " " + std::to_string(s.Rejected) +
                               " " + std::to_string(s.StoppedAt));
    EXPECT_TRUE(s.Full);
    EXPECT_NE(std::string::npos, s.Text().find("stopped at record 4; records 4 to 6 were not"));
    // Whole contacts only: three contacts, three index rows, three texts.
    EXPECT_EQ(3, LiveRows("QSOLOG"));
    EXPECT_EQ(3, LiveRows("QSO_DATE_INDEX"));
    EXPECT_EQ(3, LiveRows("QSO_TEXT"));
    ExpectSound();
}
