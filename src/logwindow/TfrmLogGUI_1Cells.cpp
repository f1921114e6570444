// The log window's cells and rows: reading and writing them, filling a
// contact's row, the header, the UTC stamp, and the layout on resizing.
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "adif/TAdifModes.h"
#include "kernel/TDbKernel.h"
#include "logfile/TLogStartup.h"
#include "logwindow/Latin1.h"
#include "logwindow/TForm3.h"
#include "logwindow/TQsoGrid.h"
#include "logwindow/TRigFollower.h"
#include "logwindow/TWsjtxContactStore.h"
#include "logwindow/TfrmDatabaseCheck.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TBusyCursor.h"
#include "platform/TClock.h"
#include "platform/TDialogs.h"
#include "platform/TEventPump.h"
#include "platform/TInstanceMutex.h"
#include "platform/TMemoryStatus.h"
#include "platform/TMessageFloodGuard.h"
#include "platform/TOSVersion.h"
#include "records/TLogTables.h"
#include "schema/TDatabase.h"
#include "wsjtx/TWsjtxListener.h"

namespace {

const char* const kHeaderText =
    "Date\rStart\rEnd\rCall\rFrequency\rS-RST\rR-RST\rPower\rMode\rLogID\rRQSL\rSQSL\rQso_ID\r"
    "Country\rZone\rCounty\rGrid\rQSL Manager\rLayout\rContest1\rContest2\rContest3\rContest4\r";
constexpr int kColumnWidths[TfrmLogGUI_1::kColumnCount] = {
    62, 40, 38, 62, 65, 45, 45, 39, 39, 0, 42, 42, 0, 65, 55, 55, 55, 55, 0, 55, 55, 55, 55};
constexpr int64_t kDayMs = 86400000;

}  // namespace

std::string TfrmLogGUI_1::Cells(int col, int row) const {
    return strGridQSOS->Cell(col, row);
}

void TfrmLogGUI_1::SetCells(int col, int row, const std::string& text) {
    strGridQSOS->SetCell(col, row, text);
}

int TfrmLogGUI_1::Row() const {
    return strGridQSOS->currentRow();
}

int TfrmLogGUI_1::Col() const {
    return strGridQSOS->currentColumn();
}

void TfrmLogGUI_1::SetCurrentCell(int col, int row) {
    // Fixed cells never take the cursor.
    row = std::clamp(row, strGridQSOS->FixedRows(), std::max(0, RowCount() - 1));
    col = std::clamp(col, static_cast<int>(kFixedCols), kColumnCount - 1);
    if (row == Row() && col == Col())
        return;
    // The grid's first cursor position is where it starts, not a move.
    const QSignalBlocker quiet(rebuilding_ || Row() < 0 ? strGridQSOS : nullptr);
    strGridQSOS->setCurrentCell(row, col);
    UpdateCursorMark();
}

int TfrmLogGUI_1::RowCount() const {
    return strGridQSOS->rowCount();
}

void TfrmLogGUI_1::SetRowCount(int rows) {
    const QSignalBlocker quiet(rebuilding_ ? strGridQSOS : nullptr);
    strGridQSOS->SetRowCount(rows);
}

std::string TfrmLogGUI_1::MemoText() const {
    std::string text = FromQt(Memo1->toPlainText());
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

void TfrmLogGUI_1::SetMemoText(const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            plain += c;
    Memo1->setPlainText(ToQt(plain));
}

// ---------------------------------------------------------------- start-up

void TfrmLogGUI_1::ReloadGrid() {
    TMessageFloodGuard once;
    // Reading many days takes a while: the hourglass shows it.
    BusyCursor().Begin();
    struct TEndBusy {
        ~TEndBusy() { BusyCursor().End(); }
    } endBusy;
    rebuilding_ = true;
    CurrentQSO = std::make_unique<TQSO>();
    CompareQSO = std::make_unique<TQSO>();
    SetupEnvironment();
    if (SetUPQSoGridHeader() != 0) {
        NoDatabaseStop();
        rebuilding_ = false;
        return;
    }
    LoadGridRows();
    rebuilding_ = false;
    ArriveOnEntryRow();
}

// ---------------------------------------------------------------- UTC time

void TfrmLogGUI_1::UtcStamp(std::string& date, std::string& time) const {
    // t = local time of day + shift, in days. The date moves one day forward
    // when t > 1.0, stays for 0.0 < t <= 1.0, and moves back when t <= 0.0;
    // the time shown is t's time of day.
    const TLocalDateTime now = Clock().Now();
    const int64_t t =
        ((static_cast<int64_t>(now.Hour) * 60 + now.Minute) * 60 + now.Second) * 1000 +
        now.Millisecond + static_cast<int64_t>(UTCShiftHours) * 3600000;
    int64_t days = t > 0 ? (t - 1) / kDayMs : -((-t) / kDayMs) - 1;
    const int64_t timeOfDay = (t - days * kDayMs) % kDayMs;
    const QDate day = QDate(now.Year, now.Month, now.Day).addDays(days);
    date = FromQt(day.toString(QStringLiteral("MM/dd/yyyy")));
    const int64_t minutes = timeOfDay / 60000;
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(minutes / 60),
                  static_cast<int>(minutes % 60));
    time = text;
}

std::string TfrmLogGUI_1::UtcBaseDate(int daysBack) const {
    std::string date, time;
    UtcStamp(date, time);
    const QDate base = QDate::fromString(ToQt(date), QStringLiteral("MM/dd/yyyy"));
    return FromQt(base.addDays(-daysBack).toString(QStringLiteral("MM/dd/yyyy")));
}

// ---------------------------------------------------------------- layout

int32_t TfrmLogGUI_1::SetUPQSoGridHeader() {
    try {
        strGridQSOS->OpenEditor();
        if (const int32_t result = DimensionHeader(); result != 0)
            return result;
        ++GridRowCount;
        SetRowCount(GridRowCount);
        return FillQSORow(0, -2);
    } catch (...) {
        return 2;
    }
}

int32_t TfrmLogGUI_1::DimensionHeader() {
    try {
        strGridQSOS->SetColCount(kColumnCount);
        SetRowCount(GridRowCount);
        strGridQSOS->SetFixedCols(kFixedCols);
        for (int c = 0; c < kColumnCount; ++c) strGridQSOS->SetColWidth(c, kColumnWidths[c]);
        return 0;
    } catch (...) {
        return 2;
    }
}

int32_t TfrmLogGUI_1::FillQSORow(int row, int mode) {
    try {
        if (GridRowCount > 1)
            strGridQSOS->SetFixedRows(1);
        if (mode == -2) {
            const std::string header = kHeaderText;
            size_t start = 0;
            for (int c = 0; c < kColumnCount; ++c) {
                const size_t end = header.find('\r', start);
                SetCells(c, row, header.substr(start, end - start));
                start = end + 1;
            }
        } else if (mode == -1) {
            // A row past the grid's end is filled before the grid grows to it.
            if (row >= RowCount())
                SetRowCount(row + 1);
            std::string date, time;
            UtcStamp(date, time);
            SetCells(colDate, row, date);
            SetCells(colStart, row, time);
            SetCells(colEnd, row, time);
            SetCells(colCall, row, kTypeCall);
            SetCells(colFrequency, row, FromQt(edtFrequency->text()));
            SetCells(colPower, row, FromQt(edtPower->text()));
            SetCells(colMode, row, FromQt(cboMode->currentText()));
            SetCells(colSRST, row, FromQt(edtSRST->text()));
            SetCells(colRRST, row, FromQt(edtRRst->text()));
            SetCells(colLogID, row, "0");
            SetCells(colSQSL, row, "N");
            SetCells(colRQSL, row, "N");
            SetCells(colQsoID, row, "-1");
            SetCells(colZone, row, "00");
            for (int c : {colCountry, colCounty, colGrid, colQSLManager}) SetCells(c, row, "");
            SetCells(colLayout, row, "0");
            for (int c : {colContest2, colContest1, colContest3, colContest4}) SetCells(c, row, "");
            if (Row() >= 0)
                SetCurrentCell(colCall, Row());
        }
        if (GridRowCount - 1 >= 1)
            SetCurrentCell(Col() >= kFixedCols ? Col() : int{colCall}, GridRowCount - 1);
        return 0;
    } catch (...) {
        return 2;
    }
}

void TfrmLogGUI_1::UpdateCursorMark() {
    if (BlockProc != 0 || Row() < 0)
        return;
    const QRect cell = strGridQSOS->CellRect(std::max(Col(), int{colCall}), Row());
    const int top = strGridQSOS->y() + cell.top() + (cell.height() - shpCursor->height()) / 2;
    shpCursor->move(5, top);
}

void TfrmLogGUI_1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TfrmLogGUI_1::FormResize() {
    if (AppFailed != 0 || BlockProc != 0)
        return;
    try {
        if (width() < 618)
            resize(618, height());
        if (height() < 437)
            resize(width(), 437);
        pnlContainsQSOGridResize();
        pnlQSOTextResize();
        Memo1->resize(width() - 253, Memo1->height());
        memPreviousQsos->setGeometry(Memo1->width() + 30, memPreviousQsos->y(),
                                     pnlQSOText->width() - (Memo1->width() + 45),
                                     memPreviousQsos->height());
        const int right = memPreviousQsos->x() + memPreviousQsos->width();
        btnSave->move(right - btnSave->width(), Memo1->y() - (btnSave->height() + 6));
        lblSave->move(right - btnSave->width() - lblSave->width(), btnSave->y());
        lblGoCallCOl->move(lblSave->x() - (lblGoCallCOl->width() + 30), btnSave->y());
        lblGotoQSOText->move(lblGoCallCOl->x() - (lblGotoQSOText->width() + 30), btnSave->y());
        memFromFcc->setGeometry(Shape1->x() + Shape1->width() + 15, memFromFcc->y(),
                                pnlContainsQSOGrid->width() - (Shape1->width() + 30),
                                memFromFcc->height());
        btnCallData->move(memFromFcc->x() + 5, btnCallData->y());
        tlbMain->resize(pnl_QSODefaults->width(), tlbMain->height());
    } catch (...) {
        Dialogs().ShowMessage(
            "Unexpected operation has occurred.  Beta REF = RESIZE FORM OPERATION");
    }
}

void TfrmLogGUI_1::pnlContainsQSOGridResize() {
    if (BlockProc != 0)
        return;
    strGridQSOS->resize(pnlContainsQSOGrid->width() - 30, pnlContainsQSOGrid->height() - 30);
    UpdateCursorMark();
}

void TfrmLogGUI_1::pnlQSOTextResize() {
    if (BlockProc != 0)
        return;
    Memo1->resize(Memo1->width(), pnlQSOText->height() - 60);
    memPreviousQsos->resize(memPreviousQsos->width(), pnlQSOText->height() - 60);
    lblStatus->move(lblStatus->x(), pnlQSOText->height() - 30);
}

// ---------------------------------------------------------------- database check
