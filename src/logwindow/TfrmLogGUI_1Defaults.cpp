// The log window's station defaults, the UTC shift and the contact text memo.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "logwindow/Latin1.h"
#include "logwindow/TQsoGrid.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TDialogs.h"
#include "platform/TMessageFloodGuard.h"
#include "records/TDbSystemSettings.h"
#include "records/TQSOMemos.h"

namespace {

const char* const k10KMessage =
    "The text that you are attempting to insert has exceeded the maximum limit.  Characters in "
    "excess of 10K will be truncated.";

std::string Trimmed(const QLineEdit* editor) {
    return FromQt(editor->text().trimmed());
}

std::string StoredValue(const std::string& key) {
    TDbSystemSettings settings;
    settings.Load(key, key);
    return settings.Settings.empty() ? std::string() : settings.Settings.front()->Value;
}

// A report editor's text: digits with an optional leading "-".
bool IsReport(const std::string& text) {
    return TfrmLogGUI_1::IsNumericEx(text) != 0 && text != "-";
}

bool ParseShift(const std::string& text, int32_t& value) {
    if (TfrmLogGUI_1::IsNumericEx(text) == 0 || text.empty() || text == "-")
        return false;
    try {
        value = std::stoi(text);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

// ---------------------------------------------------------------- defaults

int32_t TfrmLogGUI_1::SetupDefaults(const std::string& frequency, const std::string& power,
                                    const std::string& mode, const std::string& rrst,
                                    const std::string& srst, const std::string& utcShift) {
    if (BlockProc != 0)
        return 0;
    if (!frequency.empty() || !power.empty() || !mode.empty() || !rrst.empty() || !srst.empty()) {
        edtFrequency->setText(ToQt(frequency));
        edtPower->setText(ToQt(power));
        // A stored mode missing from the list selects its first entry.
        cboMode->setCurrentIndex(std::max(0, GetModeIndex(mode)));
        edtRRst->setText(ToQt(rrst));
        edtSRST->setText(ToQt(srst));
        edtUTCShift->setText(ToQt(utcShift));
    } else {
        edtFrequency->setText(QStringLiteral("14.000"));
        edtPower->setText(QStringLiteral("1500"));
        cboMode->setCurrentIndex(0);
        edtRRst->setText(QStringLiteral("599"));
        edtSRST->setText(QStringLiteral("599"));
        if (edtUTCShift->text().trimmed().isEmpty())
            edtUTCShift->setText(QStringLiteral("0"));
    }
    return 0;
}

int TfrmLogGUI_1::GetModeIndex(const std::string& mode) const {
    const QString upper = ToQt(mode).toUpper();
    for (int i = 0; i < cboMode->count(); ++i)
        if (cboMode->itemText(i).toUpper() == upper)
            return i;
    return -1;
}

int32_t TfrmLogGUI_1::GetExistingDefaults(TDefaults& defaults) {
    if (BlockProc != 0)
        return 0;
    try {
        defaults.Frequency = StoredValue("Default_Frequency");
        defaults.Mode = StoredValue("Default_Mode");
        defaults.Power = StoredValue("Default_Power");
        defaults.SRst = StoredValue("Default_SRst");
        defaults.RRst = StoredValue("Default_RRst");
        defaults.UTCShift = StoredValue("UTCSHIFT");
        // A damaged shift setting counts as no shift rather than stopping the start.
        int32_t hours = 0;
        if (!ParseShift(defaults.UTCShift, hours))
            defaults.UTCShift = "0";
        UTCShiftHours = hours;
        return 0;
    } catch (...) {
        return 2;
    }
}

int32_t TfrmLogGUI_1::GetCurrentDefaults(TDefaults& defaults) {
    defaults.Frequency = FromQt(edtFrequency->text());
    if (defaults.Frequency.empty())
        defaults.Frequency = "14";
    defaults.Power = FromQt(edtPower->text());
    if (defaults.Power.empty())
        defaults.Power = "100";
    defaults.Mode = FromQt(cboMode->currentText());
    defaults.RRst = FromQt(edtRRst->text());
    if (defaults.RRst.empty())
        defaults.RRst = "599";
    defaults.SRst = FromQt(edtSRST->text());
    if (defaults.SRst.empty())
        defaults.SRst = "599";
    defaults.UTCShift = FromQt(edtUTCShift->text());
    return 0;
}

int32_t TfrmLogGUI_1::SaveDefaults(const TDefaults& defaults) {
    const std::pair<const char*, const std::string*> keys[] = {
        {"Default_Frequency", &defaults.Frequency}, {"Default_Power", &defaults.Power},
        {"Default_Mode", &defaults.Mode},           {"Default_RRst", &defaults.RRst},
        {"Default_SRst", &defaults.SRst},           {"UTCShift", &defaults.UTCShift}};
    for (int i = 0; i < 6; ++i)
        if (SaveDefaultValue(keys[i].first, *keys[i].second) != 0)
            return i + 3;
    return 0;
}

int32_t TfrmLogGUI_1::SaveDefaultValue(const std::string& key, const std::string& value) {
    try {
        TDbSystemSettings settings;
        settings.Load(key, key);
        return settings.Save(key, value) != nullptr ? 0 : 2;
    } catch (...) {
        return 2;
    }
}

void TfrmLogGUI_1::RestoreEditor(QLineEdit* editor, const std::string& startValue,
                                 const std::string& fallback) {
    // The restored text runs the change handler again; it must not loop.
    if (restoringEditor_)
        return;
    restoringEditor_ = true;
    editor->setText(ToQt(startValue.empty() ? fallback : startValue));
    restoringEditor_ = false;
}

void TfrmLogGUI_1::edtFrequencyChange() {
    if (BlockProc != 0 || restoringEditor_)
        return;
    const std::string text = Trimmed(edtFrequency);
    if (text.empty())
        return;
    if (IsInBand(text) != 0) {
        if (GridRowCount >= 2)
            SetCells(colFrequency, GridRowCount - 1, FromQt(edtFrequency->text()));
    } else {
        DisplayInvalidDataMessage(colFrequency);
        RestoreEditor(edtFrequency, CurrentDefaults.Frequency, "14");
    }
}

void TfrmLogGUI_1::cboModeChange() {
    if (BlockProc != 0)
        return;
    if (GridRowCount >= 2)
        SetCells(colMode, GridRowCount - 1, FromQt(cboMode->currentText()));
}

void TfrmLogGUI_1::edtPowerChange() {
    if (BlockProc != 0 || restoringEditor_)
        return;
    try {
        const std::string text = Trimmed(edtPower);
        if (text.empty())
            return;
        if (IsNumeric(text) != 0 && IsValidPower(text) != 0) {
            if (GridRowCount >= 2)
                SetCells(colPower, GridRowCount - 1, FromQt(edtPower->text()));
        } else if (IsNumeric(text) != 0) {
            DisplayInvalidDataMessage(colPower);
            RestoreEditor(edtPower, CurrentDefaults.Power, "1500");
        } else {
            RestoreEditor(edtPower, CurrentDefaults.Power, "1500");
            Dialogs().ShowMessage("Power level must be numeric value.");
        }
    } catch (...) {
        RestoreEditor(edtPower, "1500", "1500");
        Dialogs().ShowMessage("Invalid power entry.  Entry changed to default value.");
    }
}

void TfrmLogGUI_1::edtFrequencyExit() {
    if (BlockProc != 0)
        return;
    if (edtFrequency->text().isEmpty())
        RestoreEditor(edtFrequency, CurrentDefaults.Frequency, "14");
}

void TfrmLogGUI_1::edtPowerExit() {
    if (BlockProc != 0)
        return;
    if (edtPower->text().isEmpty())
        RestoreEditor(edtPower, CurrentDefaults.Power, "100");
}

void TfrmLogGUI_1::edtSRSTExit() {
    if (BlockProc != 0)
        return;
    const std::string text = Trimmed(edtSRST);
    if (edtSRST->text().isEmpty()) {
        RestoreEditor(edtSRST, CurrentDefaults.SRst, "599");
    } else if (text.empty()) {
        // Blanks only are left as they are.
    } else if (IsReport(text) && IsValidDefaultRST(text) != 0) {
        if (GridRowCount >= 2)
            SetCells(colSRST, GridRowCount - 1, FromQt(edtSRST->text()));
    } else if (IsReport(text)) {
        DisplayInvalidDataMessage(colSRST);
        RestoreEditor(edtSRST, CurrentDefaults.SRst, "599");
    } else {
        RestoreEditor(edtSRST, CurrentDefaults.SRst, "599");
    }
}

void TfrmLogGUI_1::edtRRstExit() {
    if (BlockProc != 0)
        return;
    const std::string text = Trimmed(edtRRst);
    if (edtRRst->text().isEmpty()) {
        RestoreEditor(edtRRst, CurrentDefaults.RRst, "599");
    } else if (text.empty()) {
    } else if (IsReport(text) && IsValidDefaultRST(text) != 0) {
        if (GridRowCount >= 2)
            SetCells(colRRST, GridRowCount - 1, FromQt(edtRRst->text()));
    } else if (IsReport(text)) {
        DisplayInvalidDataMessage(colRRST);
        RestoreEditor(edtRRst, CurrentDefaults.RRst, "599");
    } else {
        RestoreEditor(edtRRst, CurrentDefaults.RRst, "599");
    }
}

void TfrmLogGUI_1::edtUTCShiftExit() {
    if (BlockProc != 0)
        return;
    if (edtUTCShift->text().isEmpty())
        edtUTCShift->setText(QStringLiteral("0"));
}

void TfrmLogGUI_1::edtUTCShiftChange() {
    if (BlockProc != 0 || restoringEditor_)
        return;
    try {
        const std::string text = FromQt(edtUTCShift->text());
        if (text.empty())
            return;
        if (IsNumericEx(text) != 0) {
            int32_t hours = 0;
            if (text != "-" && ParseShift(text, hours))
                UTCShiftHours = hours;
        } else {
            Dialogs().ShowMessage("Must be numeric value");
            RestoreEditor(edtUTCShift, std::to_string(UTCShiftHours), "0");
        }
    } catch (...) {
        Dialogs().ShowMessage(
            "Unexpected operation has occurred.  Beta REF = SHIFT-CHANGE OPERATION");
    }
}

void TfrmLogGUI_1::PanelEditorKeyDown(QWidget* editor, int key) {
    if (BlockProc != 0 || (key != Qt::Key_Return && key != Qt::Key_Enter))
        return;
    if (editor == edtFrequency)
        cboMode->setFocus();
    else if (editor == cboMode)
        edtPower->setFocus();
    else if (editor == edtPower)
        edtSRST->setFocus();
    else if (editor == edtSRST)
        edtRRst->setFocus();
    else if (editor == edtRRst)
        strGridQSOS->setFocus();
}

// ---------------------------------------------------------------- contact text

namespace {
std::string StoredText(int32_t id) {
    TQSOMemos memos;
    memos.LoadForQSO(id);
    std::string text;
    for (const auto& memo : memos.Memos) text += memo->Text;
    return text;
}
}  // namespace

std::string TfrmLogGUI_1::GetQSOMemo(int row) {
    try {
        const std::string cell = Cells(colQsoID, row);
        if (cell.empty())
            return std::string();
        std::string text = StoredText(std::stoi(cell));
        if (text.size() > static_cast<size_t>(kMaxMemoLength)) {
            text.resize(kMaxMemoLength);
            Dialogs().ShowMessage(k10KMessage);
        }
        return text;
    } catch (...) {
        Dialogs().ShowMessage("Unexpected operation has occurred.  Beta REF = GET QSO OPERATION");
        return std::string();
    }
}

int32_t TfrmLogGUI_1::AddQSOMemo(int row) {
    try {
        const int32_t id = std::stoi(Cells(colQsoID, row));
        if (id == -1)
            return 0;
        if (StoredText(id) == SavedText)
            return 0;
        if (SavedText.size() > static_cast<size_t>(kMaxMemoLength)) {
            SavedText.resize(kMaxMemoLength);
            Dialogs().ShowMessage(k10KMessage);
        }
        TQSOMemos memos;
        return memos.ReplaceText(id, SavedText);
    } catch (...) {
        Dialogs().ShowMessage(
            "Unexpected operation has occurred.  Beta REF = ADD QSOMEMO OPERATION");
        return 2;
    }
}

void TfrmLogGUI_1::Memo1Enter() {
    if (BlockProc != 0)
        return;
    try {
        if (Row() == GridRowCount - 1 && Cells(colCall, Row()) == kTypeCall) {
            Dialogs().ShowMessage("You must type a call sign before you add QSO text!");
            strGridQSOS->setFocus();
            return;
        }
        MemoTextOnEnter = MemoText();
        lblGoCallCOl->setText(QStringLiteral("(F8 = Go to Grid)"));
        lblGoCallCOl->show();
        lblGotoQSOText->show();
    } catch (...) {
        Dialogs().ShowMessage(
            "Unexpected operation has occurred.  Beta REF = MEMO1-ENTER OPERATION");
    }
}

void TfrmLogGUI_1::Memo1Exit() {
    if (BlockProc != 0)
        return;
    TMessageFloodGuard once;
    try {
        SavedText = MemoText();
        // A text that could not be stored whole leaves the stored one as it
        // was; the operator must know.
        if (SavedText != MemoTextOnEnter && Row() >= 1 && Cells(colCall, Row()) != kTypeCall &&
            AddQSOMemo(Row()) == 999)
            Dialogs().ShowMessage(
                "This contact's text was not stored: the log file is full or its text table "
                "cannot be written. Compact the log with \"tramb-db compact\" or start a new "
                "log file.");
        lblGoCallCOl->hide();
        lblGotoQSOText->hide();
    } catch (...) {
        Dialogs().ShowMessage("Unexpected operation has occurred.  Beta REF = MEMO-EXIT OPERATION");
    }
}

void TfrmLogGUI_1::Memo1KeyDown(int key) {
    if (BlockProc != 0)
        return;
    try {
        if (key == Qt::Key_F8)
            strGridQSOS->setFocus();
    } catch (...) {
        Dialogs().ShowMessage(
            "Unexpected operation has occurred.  Beta REF = MEMO-KEYDOWN OPERATION");
    }
}
