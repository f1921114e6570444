#include "records/TCountryTable.h"

#include <algorithm>

namespace {

// The prefix table in its fixed order; the lookup takes the first entry
// whose prefix begins the call sign, so the order decides every overlap
// ("EA Spain" hides "EA8 Canary Is", "GM Scotland" wins over "G England").
// Each entry is the prefix, one blank, the country name (trailing blank of
// "3A Monaco " included). Digit zero in F0, CE0*, CY0, HB0, P40, PY0, VK0, V0.
const std::vector<std::string> kEntries = {
    "1A Malta",          "1M Minerva Reef",
    "3A Monaco ",        "3V Tunisia",
    "3W Vietnam",        "3X Guinea Malta",
    "3Y Bouvet",         "3Y Peter Is.",
    "4L Georgia",        "4S Sri Lanka",
    "4U Geneva",         "4W East Timor",
    "4X Israel",         "5A Libya",
    "5B Cyprus",         "5H Tanzania",
    "5N Nigeria",        "5V Togo",
    "5W Samoa",          "5X Uganda",
    "5Z Kenya",          "6W Senegal",
    "6Y Jamaica",        "7O Yemen",
    "7Q Malawi",         "7X Algeria",
    "8P Barbados",       "8Q Maldives",
    "8R Guyana",         "8Z4 S. Arabia",
    "8Z5 Kuwait",        "9A Croatia",
    "9G Ghana",          "9H Malta",
    "9J Zambia",         "9K Kuwait",
    "9L Sierra Leone",   "9M2 Malaysia",
    "9N Nepal",          "9Q Congo",
    "9V Singapore",      "9X Rwanda",
    "9Y Trinidad",       "AA U.S.A",
    "A2 Botswana",       "A3 Tonga",
    "A4 Oman",           "A5 Bhutan",
    "AC Tibet",          "AP Pakistan",
    "BV Taiwan",         "BY China",
    "C2 Nauru",          "C3 Andorra",
    "C5 Gambia",         "C6 Bahamas",
    "C9 Mozambique",     "CE Chile",
    "CE0Y Easter Is",    "CE0X San Felix",
    "CE0Z Juan Fern.",   "CE9 Antartica",
    "CN Morocco",        "CO Cuba",
    "CP Bolivia",        "CQ Portugal",
    "CT Portugal",       "CT3 Madeira Is",
    "CU Azores",         "CX Uruguay",
    "CY0 Sable Is",      "CY9 St. Paul Is",
    "D2 Angola",         "D4 Cape Verde",
    "D6 Comoros",        "DA Germany",
    "DB Germany",        "DC Germany",
    "DD Germany",        "DE Germany",
    "DF Germany",        "DG Germany",
    "DH Germany",        "DI Germany",
    "DJ Germany",        "DK Germany",
    "DL Germany",        "DM Germany",
    "DN Germany",        "DO Germany",
    "DP Germany",        "DQ Germany",
    "DR Germany",        "DU Philippines",
    "E3 Eritrea",        "E4 Palestine",
    "EA Spain",          "EB Spain",
    "EC Spain",          "ED Spain",
    "EE Spain",          "EF Spain",
    "EG Spain",          "EH Spain",
    "EA8 Canary Is",     "EI Ireland",
    "EK Armenia",        "EL Liberia",
    "EP Iran",           "ER Moldova",
    "ES Estonia",        "ET Ethiopia",
    "EV Belarus",        "EY Tajikistan",
    "FA France",         "FB France",
    "FC France",         "FD France",
    "FG Guadeloupe",     "FK Chesterfield Is",
    "FM Martinique",     "FO French Polynesia",
    "F0 Clipperton Is",  "FR Reunion",
    "FS St. Martin",     "FY French Guiana",
    "F France",          "GI N. Ireland",
    "GJ Jersey",         "GM Scotland",
    "GU Guernsey",       "GW Wales",
    "G England",         "H4 Solomon Is",
    "HA Hungary",        "HB Switzerland",
    "HB0 Liechtenstein", "HC Ecuador",
    "HC8 Galapagos",     "HH Haiti",
    "HI Dom. Rep",       "HK Columnbia",
    "HL S. Korea",       "HP Panama",
    "HR Honduras",       "HV Vatican",
    "HZ S. Arabia",      "I Italy",
    "J3 Grenada",        "J6 St. Lucia",
    "J8 St. Vincent",    "JA Japan",
    "JB Japan",          "JC Japan",
    "JD Japan",          "JE Japan",
    "JF Japan",          "JG Japan",
    "JH Japan",          "JI Japan",
    "JJ Japan",          "JK Japan",
    "JL Japan",          "JM Japan",
    "JN Japan",          "JO Japan",
    "JP Japan",          "JQ Japan",
    "JR Japan",          "JS Japan",
    "JT Mongolia",       "JY Jordan",
    "KH8 Mariana Is",    "KH1 Baker Is",
    "KH2 Guam",          "KH3 Johnston Is",
    "KH4 Midway",        "KH5K Kingman Reef",
    "KH6 Hawaii",        "KH7K Kure Is",
    "KH9 Wake",          "KP2 Virgin Is",
    "KP4 Puerto Rico",   "KA U.S.A.",
    "KB U.S.A.",         "KC U.S.A.",
    "KD U.S.A.",         "KE U.S.A.",
    "KF U.S.A.",         "K U.S.A.",
    "LA Norway",         "LU Argentina",
    "LX Luxembourg",     "LY Lithuania",
    "LZ Bulgaria",       "N U.S.A.",
    "OA Peru",           "OD Lebanon",
    "OE Austria",        "OF Finland",
    "OG Finland",        "OH Finland",
    "OI Finland",        "OJ Finland",
    "OK Czech Rep",      "OM Slovakia",
    "ON Belgium",        "OQ Belgium",
    "OP Belgium",        "OR Belgium",
    "OX Greenland",      "OY Faroe Is",
    "OZ Denmark",        "P2 Papua New Guinea",
    "P40 Aruba",         "P5 N. Korea",
    "PA Netherlands",    "PJ2 Neth Antilles",
    "PJ5 St Maarten",    "PK1 Java",
    "PK4 Sumatra",       "PP Brazil",
    "PQ Brazil",         "PR Brazil",
    "PS Brazil",         "PT Brazil",
    "PU Brazil",         "PV Brazil",
    "PW Brazil",         "PX Brazil",
    "PY Brazil",         "PY0 St. Peter",
    "PZ Surinam",        "R1FJ Franz Josef",
    "S2 Bangladesh",     "S5 Slovenia",
    "SM Sweden",         "SP Poland",
    "ST Sudan",          "SU Egypt",
    "SV Greece",         "T5 Somalia",
    "T9 Bosnia",         "TA Turkey",
    "TF Iceland",        "TG Guatemala",
    "TI Costa Rica",     "TJ Cameroon",
    "TK Corsica",        "TN Congo",
    "TR Gabon",          "TT Chad",
    "TU Ivory Coast",    "TZ Mali",
    "UA Russia",         "UB Russia",
    "UC Russia",         "UK Uzbekistan",
    "UN Kazakhstan",     "UR Ukraine",
    "V2 Antigua",        "V4 St Kitts",
    "V5 Namibia",        "VE Canada",
    "VK Australia",      "VK0 Heard Is",
    "VK9L Howe Is",      "VK9M Mellish Reef",
    "VK9N Willis Is",    "VK9X Christmas Is",
    "V0 Labrador",       "VP5 Turks Is",
    "VP6 Pitcairn",      "VP8 Falklands",
    "VP8 S. Georgia Is", "VP8 S. Sandwich Is",
    "VP9 Bermuda",       "VQ9 Chagos",
    "VR2 Hong Kong",     "VS Malaya",
    "VU India",          "WP Puerto Rico",
    "WA U.S.A.",         "WB U.S.A.",
    "WD U.S.A.",         "W U.S.A",
    "XE Mexico",         "XU Cambodia",
    "XW Laos",           "YA Afghanistan",
    "YB Indonesia",      "YI Iraq",
    "YK Syria",          "YL Latvia",
    "YN Nicaragua",      "YO Romania",
    "YS El Salvador",    "YU Yugoslavia",
    "YV Venezuela",      "Z2 Zimbabwe",
    "Z3 Macedonia",      "ZA Albania",
    "ZB Gibraltar",      "ZC Cyprus",
    "ZD8 Ascension Is",  "ZF Cayman Is",
    "ZK Cook Is",        "ZL New Zealand",
    "ZP Paraguay",       "ZS S. Africa",
};

std::string Upper(const std::string& text) {
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    });
    return out;
}

}  // namespace

const std::vector<std::string>& TCountryTable::Entries() {
    return kEntries;
}

bool TCountryTable::Lookup(const std::vector<std::string>& items, const std::string& call,
                           std::string& country) {
    if (call == kEntryRowCall)
        return false;
    for (const std::string& item : items) {
        const std::string entry = Upper(item);
        const size_t blank = entry.find(' ');
        // An item without a blank compares as a whole and gives an empty name.
        const size_t prefixLength = blank == std::string::npos ? entry.size() : blank;
        if (call.size() < prefixLength)
            continue;
        if (call.compare(0, prefixLength, entry, 0, prefixLength) != 0)
            continue;
        country = blank == std::string::npos ? std::string() : entry.substr(blank + 1);
        return true;
    }
    return false;
}

bool TCountryTable::Lookup(const std::string& call, std::string& country) {
    return Lookup(kEntries, call, country);
}
