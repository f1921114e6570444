// The log window's links to the station: the radio (its frequency and mode
// followed by the entry row) and the contacts reported by WSJT-X and its kin
// (stored and shown above the entry row). Settings menu: "Radio and WSJT-X".
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>

#include "logwindow/Latin1.h"
#include "logwindow/TQsoGrid.h"
#include "logwindow/TRadioSettingsDialog.h"
#include "logwindow/TRigFollower.h"
#include "logwindow/TWsjtxContactStore.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TDialogs.h"
#include "rig/TRigSettings.h"
#include "wsjtx/TWsjtxListener.h"

void TfrmLogGUI_1::BuildStationControls() {
    lblRig = new QLabel(QString::fromLatin1(TRigFollower::kOff), this);
    statusBar()->addPermanentWidget(lblRig);
    TRigFollower::TView view;
    view.EntryRowFree = [this] {
        return BlockProc == 0 && Loading == 0 && GridRowCount >= 2 &&
               Cells(colCall, GridRowCount - 1) == kTypeCall;
    };
    view.SetEntryCell = [this](int col, const std::string& text) {
        const int entry = GridRowCount - 1;
        // Never under the operator's typing: the cell with the editor keeps its text.
        if ((Row() != entry || Col() != col) && Cells(col, entry) != text)
            SetCells(col, entry, text);
    };
    view.SetStatus = [this](const QString& text, const QString& reason) {
        lblRig->setText(text);
        lblRig->setToolTip(reason);
    };
    RigFollower = std::make_unique<TRigFollower>(view, colFrequency, colMode);
    WsjtxStore = std::make_unique<TWsjtxContactStore>();
    WsjtxStore->Added = [this](const TQSO& qso) { ShowReportedContact(qso); };
    WsjtxListener = std::make_unique<TWsjtxListener>(*WsjtxStore);
    // Contacts wait while the grid is busy, a window is modal (the integrity
    // check among them) or the log is loading or closing: rows must not move
    // under a handler, nor the file change under the check.
    WsjtxListener->Ready = [this] {
        return BlockProc == 0 && Loading == 0 && !rebuilding_ && InGridClick == 0 &&
               InGridKeyDown == 0 && SavingRow == 0 && QApplication::activeModalWidget() == nullptr;
    };
}

void TfrmLogGUI_1::StartStationLinks() {
    ApplyStationSettings(TRigSettings::Load());
}

void TfrmLogGUI_1::StopStationLinks() {
    if (RigFollower)
        RigFollower->Stop();
    if (WsjtxListener)
        WsjtxListener->Stop();
}

void TfrmLogGUI_1::ApplyStationSettings(const TRigSettings& settings) {
    RigFollower->Start(settings);
    if (!WsjtxListener->Listen(static_cast<uint16_t>(settings.WsjtxPort)))
        Dialogs().ShowMessage("Contacts from WSJT-X cannot be received: UDP port " +
                              std::to_string(settings.WsjtxPort) + " is not free (" +
                              FromQt(WsjtxListener->Error) + ").");
}

void TfrmLogGUI_1::RadioandWSJTX1Click() {
    if (BlockProc != 0)
        return;
    try {
        TRadioSettingsDialog dialog(TRigConnection::Models(), this);
        dialog.Load(TRigSettings::Load());
        if (RunModal(dialog) != QDialog::Accepted)
            return;
        const TRigSettings settings = dialog.Settings();
        if (!settings.Save())
            Dialogs().ShowMessage("Could not save the radio settings.");
        ApplyStationSettings(settings);
    } catch (...) {
        Dialogs().ShowMessage("Unexpected operation has occurred.  Beta REF = RADIO SETTINGS");
    }
}

void TfrmLogGUI_1::ShowReportedContact(const TQSO& qso) {
    if (BlockProc != 0 || GridRowCount < 2)
        return;
    // The contact takes the entry row's place; the entry row, with whatever
    // the operator has typed into it, moves one row down.
    const int entry = GridRowCount - 1;
    std::vector<std::string> typed(kColumnCount);
    for (int col = 0; col < kColumnCount; ++col)
        typed[static_cast<size_t>(col)] = Cells(col, entry);
    const bool onEntry = Row() == entry;
    ++GridRowCount;
    SetRowCount(GridRowCount);
    FillGridRow(qso, entry);
    for (int col = 0; col < kColumnCount; ++col)
        SetCells(col, entry + 1, typed[static_cast<size_t>(col)]);
    if (LastRow == entry)
        LastRow = entry + 1;  // the cursor's row moved: no row was left or reached
    if (onEntry)
        SetCurrentCell(Col(), entry + 1);
    memPreviousQsos->setPlainText(ToQt(GetPreviousQSOs(qso.Call)));
    memPreviousQsos->show();
    strGridQSOS->viewport()->update();
}
