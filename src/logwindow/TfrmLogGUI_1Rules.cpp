// The log window's field rules: the keystroke test per column, the value
// rules used on Tab and on saving, and the messages of the columns.
#include <QComboBox>

#include "logwindow/Latin1.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TDialogs.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char UpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

std::string Upper(const std::string& text) {
    return FromQt(ToQt(text).toUpper());
}

bool DecimalInteger(const std::string& text, long long& value) {
    if (text.empty())
        return false;
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i >= text.size())
        return false;
    long long n = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i]))
            return false;
        n = n * 10 + (text[i] - '0');
        if (n > 2147483648LL)
            return false;
    }
    if (text[0] == '-')
        n = -n;
    if (n > 2147483647LL)
        return false;
    value = n;
    return true;
}

}  // namespace

int32_t TfrmLogGUI_1::IsNumeric(const std::string& value) {
    for (char c : value)
        if (!IsDigit(c))
            return 0;
    return -1;
}

int32_t TfrmLogGUI_1::IsNumericEx(const std::string& value) {
    for (size_t i = 0; i < value.size(); ++i)
        if (!IsDigit(value[i]) && !(i == 0 && value[i] == '-'))
            return 0;
    return -1;
}

int32_t TfrmLogGUI_1::IsNumericEx2(const std::string& value) {
    int dots = 0;
    for (char c : value) {
        if (c == '.') {
            if (++dots > 1)
                return 0;
        } else if (!IsDigit(c)) {
            return 0;
        }
    }
    return -1;
}

int32_t TfrmLogGUI_1::IsValidData(int col, const std::string& value) {
    switch (col) {
        case colCall:
            for (char raw : value) {
                const char c = UpperChar(raw);
                if (c == '/')
                    return -1;  // what follows a slash is not examined
                if (!IsDigit(c) && !(c >= 'A' && c <= 'Z'))
                    return 0;
            }
            return -1;
        case colFrequency: {
            int separators = 0;
            for (char c : value) {
                if (c == '.' || c == ',') {
                    if (++separators > 1)
                        return 0;
                } else if (!IsDigit(c)) {
                    return 0;
                }
            }
            return -1;
        }
        case colSRST:
        case colRRST:
            // Digital-mode reports are signal-to-noise ratios: "-12".
            return IsNumericEx(value);
        case colPower:
        case colLogID:
            return IsNumeric(value);
        default:
            return -1;
    }
}

int32_t TfrmLogGUI_1::IsValidZone(const std::string& value) {
    return value.size() <= 2 && IsNumeric(value) != 0 ? -1 : 0;
}

int32_t TfrmLogGUI_1::IsInBand(const std::string& value) {
    std::string dotted = value;
    for (char& c : dotted)
        if (c == ',')
            c = '.';
    return IsNumericEx2(dotted);
}

namespace {
int32_t ReportRule(const std::string& value, const std::string& mode) {
    long long n = 0;
    if (!DecimalInteger(value, n))
        return 0;
    const std::string m = Upper(mode);
    if (m == "AM" || m == "SSB" || m == "CW" || m == "FM")
        return n >= 10 && n <= 599 ? -1 : 0;
    return -1;
}
}  // namespace

int32_t TfrmLogGUI_1::IsValidRST(const std::string& value, int row) const {
    return ReportRule(value, Cells(colMode, row));
}

int32_t TfrmLogGUI_1::IsValidDefaultRST(const std::string& value) const {
    return ReportRule(value, FromQt(cboMode->currentText()));
}

int32_t TfrmLogGUI_1::IsValidPower(const std::string& value) {
    long long n = 0;
    return DecimalInteger(value, n) && n <= 1500 ? -1 : 0;
}

int32_t TfrmLogGUI_1::IsValidLogID(const std::string& value) {
    long long n = 0;
    return DecimalInteger(value, n) ? -1 : 0;
}

int32_t TfrmLogGUI_1::IsValidMode(const std::string& value) const {
    if (value.empty())
        return 0;
    const QString mode = ToQt(value).toUpper();
    for (int i = 0; i < cboMode->count(); ++i)
        if (cboMode->itemText(i).toUpper() == mode)
            return -1;
    return 0;
}

int32_t TfrmLogGUI_1::IsValidQSL(const std::string& value) {
    const std::string upper = Upper(value);
    return upper == "Y" || upper == "N" ? -1 : 0;
}

void TfrmLogGUI_1::DisplayInvalidDataMessage(int col) {
    const char* text = nullptr;
    switch (col) {
        case colCall:
            text = "Not a valid callsign character!";
            break;
        case colFrequency:
            text = "Must be numeric!";
            break;
        case colSRST:
            text = "Not a valid S-RS/T!";
            break;
        case colRRST:
            text = "Not a valid R-RS/T!";
            break;
        case colPower:
            text = "Not a valid power level!";
            break;
        case colMode:
            text = "Not a valid mode!";
            break;
        case colRQSL:
        case colSQSL:
            text = "Not a valid QSL indicator (Y or N)!";
            break;
        case colZone:
            text = "Not a valid Zone (must be 2 chars or less).";
            break;
        default:
            return;
    }
    Dialogs().InformationBox(text, "Tramb");
}
