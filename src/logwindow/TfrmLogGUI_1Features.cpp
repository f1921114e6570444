// The log window's feature commands: earlier contacts and the call-sign CD,
// the country lookup, finding contacts, export, printing, about and help.
#include <QListWidget>
#include <QPlainTextEdit>
#include <filesystem>
#include <vector>

#include "logwindow/TCallDataLookup.h"
#include "records/TCountryTable.h"
#include "logwindow/TExportCommand.h"
#include "logwindow/TFindCommands.h"
#include "logwindow/TGridCells.h"
#include "logwindow/TLogPrintout.h"
#include "logwindow/TQsoGrid.h"
#include "logwindow/TfrmALittleHelp.h"
#include "logwindow/TfrmAbout.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TDialogs.h"
#include "platform/THelpViewer.h"
#include "platform/TMessageFloodGuard.h"

namespace {

constexpr const char* kHelpFile = "QSOLOG.HLP";

void Unexpected(const char* tag) {
    Dialogs().ShowMessage(std::string("Unexpected operation has occurred.  Beta REF = ") + tag);
}

// The memos take CR LF texts; Qt wants plain line feeds.
QString ToMemoText(const std::string& text) {
    QString out = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    out.replace("\r\n", "\n");
    if (out.endsWith('\n'))
        out.chop(1);
    return out;
}

// The grid as the find and print commands see it.
class TWindowGrid : public TGridCells {
public:
    explicit TWindowGrid(TfrmLogGUI_1& window) : window_(window) {}
    int32_t RowsInUse() const override { return window_.GridRowCount; }
    int32_t RowCount() const override { return window_.RowCount(); }
    int32_t ColumnCount() const override { return window_.strGridQSOS->columnCount(); }
    std::string Cell(int32_t column, int32_t row) const override {
        return window_.Cells(column, row);
    }
    int32_t CurrentRow() const override { return window_.Row(); }
    void MakeCurrentRow(int32_t row) override { window_.SetCurrentCell(window_.Col(), row); }
    void FocusGrid() override { window_.strGridQSOS->setFocus(); }

private:
    TfrmLogGUI_1& window_;
};

std::string CurrentDirectory() {
    std::error_code error;
    const std::filesystem::path dir = std::filesystem::current_path(error);
    return error ? std::string(".") : dir.string();
}

}  // namespace

// ---- Countries ----

void TfrmLogGUI_1::FillCountryList() {
    // Appended, not replaced: a reload adds the table again, and the first
    // match still decides.
    for (const std::string& entry : TCountryTable::Entries())
        lstboxCountry->addItem(QString::fromLatin1(entry.c_str()));
}

int32_t TfrmLogGUI_1::GetCountry(std::string& country) {
    try {
        std::vector<std::string> items;
        items.reserve(static_cast<size_t>(lstboxCountry->count()));
        for (int i = 0; i < lstboxCountry->count(); ++i)
            items.push_back(lstboxCountry->item(i)->text().toLatin1().toStdString());
        return TCountryTable::Lookup(items, Cells(colCall, Row()), country) ? 0 : 999;
    } catch (...) {
        Unexpected("GET-COUNTRY OPERATION");
        return 2;
    }
}

void TfrmLogGUI_1::btnCountryClick() {}

// ---- Earlier contacts and the call-sign CD ----

std::string TfrmLogGUI_1::GetPreviousQSOs(const std::string& call) {
    if (BlockProc != 0)
        return std::string();
    return TCallDataLookup::GetPreviousQSOs(call);
}

void TfrmLogGUI_1::btnCallDataClick() {
    if (BlockProc != 0)
        return;
    TCallDataLookup::TCallDataView view;
    view.SetMemoVisible = [this](bool visible) { memFromFcc->setVisible(visible); };
    view.ClearMemo = [this] { memFromFcc->clear(); };
    view.SetMemoText = [this](const std::string& text) {
        memFromFcc->setPlainText(ToMemoText(text));
    };
    view.FocusGrid = [this] { strGridQSOS->setFocus(); };
    try {
        TCallDataLookup::LookUpCallData(Cells(colCall, Row()), CurrentDirectory(), view);
    } catch (...) {
    }
}

// ---- Find ----

void TfrmLogGUI_1::FindQSObyDate1Click() {
    if (BlockProc != 0)
        return;
    try {
        CheckSave();
        if (!TFindCommands::AskDaysToShow(DaysToShow))
            return;
        ReloadGrid();
        FormResize();
    } catch (...) {
        Unexpected("FIND-QSO OPERATION");
    }
}

void TfrmLogGUI_1::FindCallincurrentselection1Click() {
    if (BlockProc != 0)
        return;
    TMessageFloodGuard once;
    try {
        strGridQSOS->setFocus();
        CheckSave();
        TWindowGrid grid(*this);
        FindCommands.FindFirstCall(grid);
    } catch (...) {
        Unexpected("FIND-CALL OPERATION");
    }
}

void TfrmLogGUI_1::tlbbtnFindCallClick() {
    if (BlockProc != 0)
        return;
    CheckSave();
    FindCallincurrentselection1Click();
}

void TfrmLogGUI_1::SearchNext1Click() {
    if (BlockProc != 0)
        return;
    TMessageFloodGuard once;
    try {
        strGridQSOS->setFocus();
        CheckSave();
        TWindowGrid grid(*this);
        FindCommands.FindNextCall(grid);
    } catch (...) {
        Unexpected("FIND-CALL OPERATION");
    }
}

// ---- Export ----

void TfrmLogGUI_1::ExporttoTextFile1Click() {
    if (BlockProc != 0)
        return;
    TMessageFloodGuard once;
    CheckSave();
    TExportCommand::Run();
}

void TfrmLogGUI_1::tlbtnExpFileClick() {
    if (BlockProc != 0)
        return;
    CheckSave();
    ExporttoTextFile1Click();
}

// ---- Printing ----

void TfrmLogGUI_1::tlbbtnPrintClick() {
    if (BlockProc != 0)
        return;
    TMessageFloodGuard once;
    CheckSave();
    TWindowGrid grid(*this);
    TLogPrintout::PrintLog(grid, false, {}, this);
}

void TfrmLogGUI_1::ToolButton1Click() {
    if (BlockProc != 0)
        return;
    TMessageFloodGuard once;
    CheckSave();
    TWindowGrid grid(*this);
    // Making a row current loads its text into Memo1 (the click handling).
    TLogPrintout::PrintLog(
        grid, true, [this] { return MemoText(); }, this);
}

// ---- About and help ----

void TfrmLogGUI_1::AbouttheTrambleQSOlogprogram1Click() {
    if (BlockProc != 0)
        return;
    try {
        CheckSave();
        if (frmAbout == nullptr)
            frmAbout = new TfrmAbout(this);
        if (RunModal)
            RunModal(*frmAbout);
        else
            frmAbout->exec();
    } catch (...) {
        Unexpected("ABOUT OPERATION");
    }
}

void TfrmLogGUI_1::AFewHints1Click() {
    if (BlockProc != 0)
        return;
    try {
        CheckSave();
        if (InstalledHelpViewer() == nullptr && frmALittleHelp == nullptr)
            frmALittleHelp = new TfrmALittleHelp(this);
        HelpViewer().ShowContents(kHelpFile, this);
    } catch (...) {
        Dialogs().ShowMessage("Could not find help file.");
    }
}
