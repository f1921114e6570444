// The log window's grid editing: rows to records and back, marking invalid
// cells, saving a row, the click and key handlers and the time stamps.
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "kernel/TWriteBatch.h"
#include "logwindow/Latin1.h"
#include "logwindow/TQsoGrid.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TBusyCursor.h"
#include "platform/TDialogs.h"
#include "platform/TInstanceMutex.h"
#include "platform/TMemoryStatus.h"
#include "platform/TMessageFloodGuard.h"
#include "records/TQSOMemos.h"

namespace {

const char* const kCouldNotAdd = "Could not add new grid row!";
const char* const kLogFull =
    "The log file is full: this contact was not stored. Compact the log with \"tramb-db "
    "compact\" or start a new log file.";

// Shows the hourglass for the life of a handler.
class TBusyScope {
public:
    TBusyScope() { BusyCursor().Begin(); }
    ~TBusyScope() { BusyCursor().End(); }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;
};

// Clears a re-entrancy flag on every way out.
class TFlagScope {
public:
    explicit TFlagScope(int32_t& flag) : flag_(flag) { flag_ = -1; }
    ~TFlagScope() { flag_ = 0; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    int32_t& flag_;
};

// A decimal integer: optional sign, digits, within 32 bits.
bool ParseInt(const std::string& text, int32_t& value) {
    if (text.empty())
        return false;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i >= text.size())
        return false;
    int64_t n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        n = n * 10 + (text[i] - '0');
        if (n > 2147483648LL)
            return false;
    }
    if (negative)
        n = -n;
    if (n > 2147483647LL || n < -2147483648LL)
        return false;
    value = static_cast<int32_t>(n);
    return true;
}

// The design's "numeric" conversion: the text behind a "0" (an empty cell is 0).
int32_t Numeric(const std::string& text) {
    int32_t value = 0;
    if (!ParseInt("0" + text, value))
        throw std::invalid_argument(text);
    return value;
}

// A report cell: digits with an optional leading "-"; anything else 999.
int32_t Report(const std::string& text) {
    if (TfrmLogGUI_1::IsNumericEx(text) == 0 || text == "-")
        return Numeric("999");
    return text[0] == '-' ? -Numeric(text.substr(1)) : Numeric(text);
}

int32_t QslCode(const std::string& text) {
    const std::string upper = FromQt(ToQt(text).toUpper());
    if (upper == "N")
        return 0;
    if (upper == "U")
        return 2;
    return 1;
}

const char* QslText(int32_t code) {
    if (code == 0)
        return "N";
    if (code == 1)
        return "Y";
    return "U";
}

std::string Upper(const std::string& text) {
    return FromQt(ToQt(text).toUpper());
}

}  // namespace

// ---------------------------------------------------------------- records

int32_t TfrmLogGUI_1::PopQSOFromGrid(TQSO& record, int row) {
    try {
        auto cut = [](const std::string& s, size_t n) { return s.substr(0, n); };
        record.QSODate = Cells(colDate, row);
        record.StartTime = Cells(colStart, row);
        record.EndTime = Cells(colEnd, row);
        record.Call = cut(Cells(colCall, row), 15);
        record.Frequency = cut(Cells(colFrequency, row), 12);
        std::string power = Cells(colPower, row);
        if (IsNumeric(power) == 0)
            power = "1500";
        record.Power = Numeric(cut(power, 8));
        record.RcvdRST = Report(cut(Cells(colRRST, row), 8));
        record.SentRST = Report(cut(Cells(colSRST, row), 8));
        record.Mode = cut(Cells(colMode, row), 10);
        record.LogID = Numeric(Cells(colLogID, row));
        record.SentQSL = QslCode(Cells(colSQSL, row));
        record.RcvdQSL = QslCode(Cells(colRQSL, row));
        int32_t id = 0;
        if (!ParseInt(Cells(colQsoID, row), id))
            return 2;
        record.QSOID = id;
        record.Zone = cut(Cells(colZone, row), 2);
        record.Country = cut(Cells(colCountry, row), 20);
        record.County = cut(Cells(colCounty, row), 20);
        record.Grid = cut(Cells(colGrid, row), 5);
        record.QSLManager = cut(Cells(colQSLManager, row), 6);
        record.ColLayoutType = Numeric(Cells(colLayout, row));
        record.Contest2 = cut(Cells(colContest2, row), 4);
        record.Contest1 = cut(Cells(colContest1, row), 4);
        record.Contest3 = cut(Cells(colContest3, row), 4);
        record.Contest4 = cut(Cells(colContest4, row), 4);
        return 0;
    } catch (...) {
        return 2;
    }
}

void TfrmLogGUI_1::PopGridFromQSOObject(const TQSO& record, int row) {
    SetRowCount(RowCount() + 1);
    FillGridRow(record, row);
}

std::string TfrmLogGUI_1::PackedGridRow(const TQSO& record) const {
    const std::string power = std::to_string(record.Power);
    const std::string rcvdRST = std::to_string(record.RcvdRST);
    const std::string sentRST = std::to_string(record.SentRST);
    const std::string logID = std::to_string(record.LogID);
    const std::string id = std::to_string(record.QSOID);
    const std::string layout = std::to_string(record.ColLayoutType);
    std::vector<std::string_view> cells(kColumnCount);
    cells[colDate] = record.QSODate;
    cells[colStart] = record.StartTime;
    cells[colEnd] = record.EndTime;
    cells[colCall] = record.Call;
    cells[colFrequency] = record.Frequency;
    cells[colPower] = power;
    cells[colRRST] = rcvdRST;
    cells[colSRST] = sentRST;
    cells[colMode] = record.Mode;
    cells[colLogID] = logID;
    cells[colSQSL] = QslText(record.SentQSL);
    cells[colRQSL] = QslText(record.RcvdQSL);
    cells[colQsoID] = id;
    cells[colZone] = record.Zone;
    cells[colCountry] = record.Country;
    cells[colCounty] = record.County;
    cells[colGrid] = record.Grid;
    cells[colQSLManager] = record.QSLManager;
    cells[colLayout] = layout;
    cells[colContest2] = record.Contest2;
    cells[colContest1] = record.Contest1;
    cells[colContest3] = record.Contest3;
    cells[colContest4] = record.Contest4;
    return strGridQSOS->PackRow(cells);
}

void TfrmLogGUI_1::FillGridRow(const TQSO& record, int row) {
    const std::string packed = PackedGridRow(record);
    strGridQSOS->SetPackedRows(row, {&packed});
}

void TfrmLogGUI_1::FillQsoDataRow(const TQSO& source, TQSO& target) {
    target = source;
}

int32_t TfrmLogGUI_1::QsosAreDifferent(const TQSO& a, const TQSO& b) {
    const bool same = a.QSOID == b.QSOID && a.QSODate == b.QSODate && a.Call == b.Call &&
                      a.StartTime == b.StartTime && a.EndTime == b.EndTime &&
                      a.Frequency == b.Frequency && a.Power == b.Power && a.Mode == b.Mode &&
                      a.SentRST == b.SentRST && a.RcvdRST == b.RcvdRST && a.RcvdQSL == b.RcvdQSL &&
                      a.SentQSL == b.SentQSL && a.LogID == b.LogID && a.Zone == b.Zone &&
                      a.Country == b.Country && a.County == b.County && a.Grid == b.Grid &&
                      a.QSLManager == b.QSLManager && a.ColLayoutType == b.ColLayoutType &&
                      a.Contest2 == b.Contest2 && a.Contest1 == b.Contest1 &&
                      a.Contest3 == b.Contest3 && a.Contest4 == b.Contest4;
    return same ? 0 : -1;
}

// ---------------------------------------------------------------- saving

void TfrmLogGUI_1::FillEmptyCountry() {
    const int row = Row();
    if (row < 1 || !Cells(colCountry, row).empty())
        return;
    std::string country;
    if (GetCountry(country) == 0 && !country.empty())
        SetCells(colCountry, row, country);
}

int32_t TfrmLogGUI_1::MarkInvalidEntries(int row) {
    bool flagged = false;
    auto mark = [&](int col, const char* marker, bool flag) {
        if (Cells(col, row) == marker)
            return;
        SetCells(col, row, marker);
        if (flag)
            flagged = true;
    };
    const bool inCallColumn = Col() == colCall;
    if (inCallColumn)
        SetCells(colCall, row, Upper(Cells(colCall, row)));
    FillEmptyCountry();
    if (inCallColumn && Row() >= 1)
        SetCells(colCall, Row(), Upper(Cells(colCall, Row())));

    const std::string call = Cells(colCall, row);
    if (call.empty())
        mark(colCall, "UNKNOWN", true);
    else if (Upper(call) == kTypeCall)
        mark(colCall, "UNKNOWN", false);
    if (IsValidZone(Cells(colZone, row)) == 0)
        mark(colZone, "99", true);
    if (IsInBand(Cells(colFrequency, row)) == 0 || Cells(colFrequency, row).empty())
        mark(colFrequency, "999999999", true);
    if (IsValidRST(Cells(colSRST, row), row) == 0)
        mark(colSRST, "999", true);
    if (IsValidRST(Cells(colRRST, row), row) == 0)
        mark(colRRST, "999", true);
    if (IsValidPower(Cells(colPower, row)) == 0)
        mark(colPower, "9999", true);
    if (IsValidLogID(Cells(colLogID, row)) == 0)
        mark(colLogID, "0", false);
    if (IsValidMode(Cells(colMode, row)) == 0)
        mark(colMode, "UNKN", true);
    if (IsValidQSL(Cells(colSQSL, row)) == 0)
        mark(colSQSL, "U", true);
    if (IsValidQSL(Cells(colRQSL, row)) == 0)
        mark(colRQSL, "U", true);
    if (flagged)
        Dialogs().ShowMessage(
            "Invalid entries were found. Invalid entries have been marked as such (e.g. \"999\", "
            "\"9999\", \"UNKNOWN\", etc.)  See help / hints for more information.");
    return -1;
}

int32_t TfrmLogGUI_1::SaveQSORow(int row) {
    if (SavingRow != 0)
        return 2;
    TFlagScope saving(SavingRow);
    saveRefusedFull_ = false;
    // The new version, its text and the old version's deletion reach the
    // disk in a few ordered flushes, before the save returns.
    const TWriteBatch batch;
    try {
        TQSO fresh;
        if (PopQSOFromGrid(fresh, row) != 0)
            return 2;
        if (fresh.Call.empty())
            return 0;
        if (!QSOList)
            QSOList = std::make_unique<TQSOs>();
        // All of the contact or nothing: its rows and its text must fit.
        const std::string text = MemoText().substr(0, kMaxMemoLength);
        if (!QSOList->HasRoomForContact(text.empty() ? 0 : TQSOMemos::PieceCount(text))) {
            Dialogs().ShowMessage(kLogFull);
            saveRefusedFull_ = true;
            return 2;
        }
        // The stored version, found under the call and date it was stored with.
        TQSO old = fresh;
        old.Call = SavedCall;
        old.QSODate = SavedDate;
        const std::string oldId = Cells(colQsoID, row);

        // The new version and its text are stored before the old version goes,
        // so a failed store leaves the stored contact as it was.
        TQSO* stored = QSOList->AddQSO(
            fresh.QSODate, fresh.Call, fresh.StartTime, fresh.EndTime, fresh.Frequency, fresh.Power,
            fresh.Mode, fresh.SentRST, fresh.RcvdRST, fresh.RcvdQSL, fresh.SentQSL, fresh.LogID,
            fresh.Zone, fresh.Country, fresh.County, fresh.Grid, fresh.QSLManager,
            fresh.ColLayoutType, fresh.Contest1, fresh.Contest2, fresh.Contest3, fresh.Contest4);
        if (stored == nullptr)
            return 2;
        TQSO added = *stored;
        SetCells(colQsoID, row, std::to_string(added.QSOID));
        memFromFcc->clear();
        SavedText = MemoText();
        if (AddQSOMemo(row) != 0) {
            // Without its text the new version must not replace the old one.
            QSOList->DeleteQSO(added);
            SetCells(colQsoID, row, oldId);
            return 2;
        }
        if (old.QSOID != -1)
            QSOList->DeleteQSO(old);
        // Not stored unless on the disk: a failed flush leaves the old version.
        TWriteBatch::Commit();
        if (const std::string unwritten = TWriteBatch::TakeFlushError(); !unwritten.empty()) {
            SetCells(colQsoID, row, oldId);
            Dialogs().ShowMessage(unwritten);
            saveRefusedFull_ = true;  // explained: no second message
            return 2;
        }
        return 0;
    } catch (...) {
        return 2;
    }
}

void TfrmLogGUI_1::AdvanceAfterSave(int row) {
    if (row == GridRowCount - 1) {
        FillQSORow(GridRowCount, -1);
        ++GridRowCount;
        SetRowCount(GridRowCount);
        SetCurrentCell(Col(), GridRowCount - 1);
        LastRow = row;
        SavedCall = Cells(colCall, row);
        SavedDate = Cells(colDate, row);
        PopQSOFromGrid(*CurrentQSO, row);
        SetCurrentCell(colCall, GridRowCount - 1);
    } else {
        // A contact row: the cursor stays where the operator sent it (the
        // saved row on Enter, the new cell when the save came from leaving
        // the row); only the grid is redrawn.
        strGridQSOS->viewport()->update();
    }
}

void TfrmLogGUI_1::RefreshSavedFromRow(int row) {
    SavedCall = Cells(colCall, row);
    SavedDate = Cells(colDate, row);
    SavedFrequency = Cells(colFrequency, row);
    *CurrentQSO = TQSO();
    if (row != 0)
        PopQSOFromGrid(*CurrentQSO, row);
}

// ---------------------------------------------------------------- handlers

bool TfrmLogGUI_1::LowMemory() const {
    return MemoryStatus().Query().AvailPageFile <= 50000000ULL;
}

void TfrmLogGUI_1::LowMemoryStop() {
    Dialogs().ShowMessage(
        "Your virtual memory is too low for this program.  You should increase your total "
        "available virtual memory and restart.  The program will now be stopped.");
    AppFailed = -1;
    ShutdownLog();
    ReleaseAppMutex();
    TerminateApplication();
}

void TfrmLogGUI_1::HiddenColumnSkip() {
    const int col = Col();
    if (col == colLogID || col == colQsoID || col == colLayout)
        SetCurrentCell(col > LastCol ? col + 1 : col - 1, Row());
    LastCol = Col();
}

void TfrmLogGUI_1::ShowRowControls(bool contactRow) {
    for (QWidget* w : std::initializer_list<QWidget*>{Memo1, Label2, lblGoCallCOl, lblGotoQSOText,
                                                      memPreviousQsos})
        w->setVisible(contactRow);
}

void TfrmLogGUI_1::strGridQSOSClick() {
    if (InGridKeyDown != 0 || InGridClick != 0)
        return;
    TFlagScope guard(InGridClick);
    if (BlockProc != 0 || !CurrentQSO)
        return;
    TMessageFloodGuard once;
    try {
        if (LowMemory()) {
            if (Loading == 0) {
                LowMemoryStop();
                return;
            }
        }
        TBusyScope busy;
        memFromFcc->clear();
        HiddenColumnSkip();
        if (Col() == colCall)
            FillEmptyCountry();

        const int row = Row();
        if (row != LastRow && LastRow != 0 && LastRow != GridRowCount - 1 && LastRow < RowCount()) {
            const int left = LastRow;
            *CompareQSO = TQSO();
            PopQSOFromGrid(*CompareQSO, left);
            if (QsosAreDifferent(*CurrentQSO, *CompareQSO) != 0) {
                MarkInvalidEntries(left);
                if (SaveQSORow(left) == 0)
                    AdvanceAfterSave(left);
                else if (!saveRefusedFull_)
                    Dialogs().ShowMessage(kCouldNotAdd);
            }
        }
        if (Row() != LastRow) {
            SavedCall = Cells(colCall, Row());
            SavedDate = Cells(colDate, Row());
            SavedFrequency = Cells(colFrequency, Row());
            *CurrentQSO = TQSO();
            if (Row() != 0)
                PopQSOFromGrid(*CurrentQSO, Row());
        }
        LastRow = Row();
        strGridQSOS->OpenEditor();

        Memo1->clear();
        memPreviousQsos->clear();
        if (Row() > 0) {
            SetMemoText(GetQSOMemo(Row()));
            if (Row() != GridRowCount - 1)
                memPreviousQsos->setPlainText(ToQt(GetPreviousQSOs(Cells(colCall, Row()))));
            lblStatus->setText(QStringLiteral("%1 of %2").arg(Row()).arg(GridRowCount - 1));
        }
        ShowRowControls(Row() > 0 && Row() != GridRowCount - 1);
        UpdateCursorMark();
    } catch (...) {
    }
}

void TfrmLogGUI_1::EnterKey(bool stampStart) {
    const int row = Row();
    if (row < 1)
        return;
    if (Cells(colCall, row) != kTypeCall) {
        if (Col() == colCall)
            FillEmptyCountry();
        *CompareQSO = TQSO();
        PopQSOFromGrid(*CompareQSO, row);
        if (QsosAreDifferent(*CurrentQSO, *CompareQSO) != 0 || row == GridRowCount - 1) {
            MarkInvalidEntries(row);
            if (SaveQSORow(row) == 0)
                AdvanceAfterSave(row);
            else if (!saveRefusedFull_)
                Dialogs().ShowMessage(kCouldNotAdd);
        }
        if (Row() == LastRow && LastRow != GridRowCount - 1)
            RefreshSavedFromRow(LastRow);
    } else if (stampStart && row == GridRowCount - 1 && Col() == colCall) {
        btnBeginQsoClick();
    }
}

void TfrmLogGUI_1::strGridQSOSKeyDown(int key) {
    if (!RunGridKey(key, true))
        return;
    // A move made here (End, Home) is a move like any other: the row left
    // behind is saved when changed and the row arrived on is taken up.
    if (BlockProc == 0 && AppFailed == 0 && Row() != LastRow)
        strGridQSOSClick();
}

void TfrmLogGUI_1::ForceEnterKey(int key) {
    RunGridKey(key, false);
}

bool TfrmLogGUI_1::RunGridKey(int key, bool byOperator) {
    if (InGridKeyDown != 0 || InGridClick != 0)
        return false;
    TFlagScope guard(InGridKeyDown);
    if (BlockProc != 0 || !CurrentQSO)
        return false;
    TMessageFloodGuard once;
    try {
        if (LowMemory() && Loading == 0) {
            LowMemoryStop();
            return false;
        }
        TBusyScope busy;
        memFromFcc->clear();
        HiddenColumnSkip();
        if (!byOperator) {
            // A key given by the program: Enter stores the row, without
            // stamping a start time; nothing else is acted on.
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                EnterKey(false);
            return true;
        }
        switch (key) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                EnterKey(true);
                break;
            case Qt::Key_F8:
                SetCurrentCell(colCall, Row());
                strGridQSOS->viewport()->update();
                break;
            case Qt::Key_F7:
                // The memo is there only on a contact row. Its caret goes
                // after the text; the text itself is left as it is.
                if (Memo1->isVisible()) {
                    Memo1->setFocus();
                    QTextCursor caret = Memo1->textCursor();
                    caret.movePosition(QTextCursor::End);
                    Memo1->setTextCursor(caret);
                }
                break;
            case Qt::Key_Tab: {
                const int col = Col();
                const std::string value = Cells(col, Row());
                bool valid = true;
                if (col == colZone)
                    valid = IsValidZone(value) != 0;
                else if (col == colFrequency)
                    valid = IsInBand(value) != 0;
                else if (col == colRRST || col == colSRST)
                    valid = IsValidRST(value, Row()) != 0;
                else if (col == colPower)
                    valid = IsValidPower(value) != 0;
                else if (col == colMode)
                    valid = IsValidMode(value) != 0;
                else if (col == colSQSL || col == colRQSL)
                    valid = IsValidQSL(value) != 0;
                if (!valid)
                    DisplayInvalidDataMessage(col);
                break;
            }
            case Qt::Key_End:
                SetCurrentCell(colCall, GridRowCount - 1);
                break;
            case Qt::Key_Home:
                SetCurrentCell(Col(), 1);
                break;
            default:
                break;
        }
    } catch (...) {
    }
    return true;
}

void TfrmLogGUI_1::CheckSave() {
    if (Memo1->hasFocus())
        Memo1Exit();
    ForceEnterKey(Qt::Key_Return);
}

void TfrmLogGUI_1::strGridQSOSSetEditText(int col, int row, const std::string& value) {
    try {
        if (IsValidData(col, value) == 0) {
            DisplayInvalidDataMessage(col);
            const std::string text = Cells(Col(), Row());
            if (!text.empty())
                SetCells(Col(), Row(), text.substr(0, text.size() - 1));
        }
        (void)row;
    } catch (...) {
        Dialogs().ShowMessage(
            "Unexpected operation has occurred.  Beta REF = SET EDITTEXT OPERATION");
    }
}

void TfrmLogGUI_1::strGridQSOSEnter() {
    lblGoCallCOl->setText(QStringLiteral("(F8 = Go to Call Column)"));
    lblGoCallCOl->show();
    lblGotoQSOText->show();
}

void TfrmLogGUI_1::strGridQSOSExit() {
    lblGoCallCOl->hide();
    lblGotoQSOText->hide();
}

void TfrmLogGUI_1::btnBeginQsoClick() {
    if (BlockProc != 0)
        return;
    try {
        const int row = Row();
        if (row < 1)
            return;
        std::string date, time;
        UtcStamp(date, time);
        SetCells(colDate, row, date);
        SetCells(colStart, row, time);
        if (row == GridRowCount - 1)
            SetCells(colEnd, row, time);
    } catch (...) {
        Dialogs().ShowMessage("Unexpected operation has occurred.  Beta REF = BEGIN-QSO OPERATION");
    }
}

void TfrmLogGUI_1::Button1Click() {
    if (BlockProc != 0)
        return;
    try {
        const int row = Row();
        if (row < 1)
            return;
        std::string date, time;
        UtcStamp(date, time);
        SetCells(colEnd, row, time);
    } catch (...) {
        Dialogs().ShowMessage(
            "Unexpected operation has occurred.  Beta REF = MARK-END-TIME OPERATION");
    }
}
