// The ADIF commands of the log window and their menu handlers.
#include "logwindow/TAdifCommands.h"

#include <QProgressDialog>
#include <string>

#include "adif/TAdifExporter.h"
#include "adif/TAdifImporter.h"
#include "records/TCountryTable.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TBusyCursor.h"
#include "platform/TDialogs.h"
#include "platform/TFileChooser.h"
#include "platform/qt/TQtFileChooser.h"

namespace {

TFileChooser& Chooser() {
    static TQtFileChooser qtChooser;
    TFileChooser* installed = InstalledFileChooser();
    return installed ? *installed : qtChooser;
}

}  // namespace

int32_t TAdifCommands::Export(QWidget* owner) {
    const std::string name = Chooser().SaveFileName("Export ADIF", kFilter, owner);
    if (name.empty())
        return -1;
    TAdifExporter exporter;
    int32_t count = 0;
    BusyCursor().Begin();
    const int32_t status = exporter.Export(name, count);
    BusyCursor().End();
    if (status != TAdifExporter::kOK) {
        Dialogs().InformationBox("ADIF export failed: " + exporter.Error, kCaption);
        return -1;
    }
    Dialogs().InformationBox(std::to_string(count) + (count == 1 ? " contact" : " contacts") +
                                 " exported to " + name + ".",
                             kCaption);
    return count;
}

int32_t TAdifCommands::Import(QWidget* owner) {
    const std::string name = Chooser().OpenFileName("Import ADIF", kFilter, owner);
    if (name.empty())
        return -1;
    QProgressDialog progress(QStringLiteral("Importing ADIF records…"), QStringLiteral("Cancel"), 0,
                             1, owner);
    progress.setWindowTitle(QStringLiteral("Import ADIF"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);

    TAdifImporter importer;
    importer.CountryOf = [](const std::string& call, std::string& country) {
        return TCountryTable::Lookup(call, country);
    };
    importer.Progress = [&progress](int done, int total) {
        if (progress.maximum() != total)
            progress.setMaximum(total);
        // Each update lets the dialog's events (Cancel) run.
        if (done % 10 == 0 || done == total) {
            progress.setLabelText(
                QStringLiteral("Importing ADIF records: %1 of %2").arg(done).arg(total));
            progress.setValue(done);
            if (OnProgress)
                OnProgress(progress);
        }
        return !progress.wasCanceled();
    };
    TAdifImportSummary summary;
    const int32_t status = importer.Import(name, summary);
    progress.close();
    if (status != TAdifImporter::kOK) {
        Dialogs().InformationBox(
            "ADIF import failed: " + importer.Error + "; nothing was imported.", kCaption);
        return -1;
    }
    Dialogs().InformationBox(summary.Text(), kCaption);
    return summary.Imported;
}

void TfrmLogGUI_1::ExportADIF1Click() {
    if (BlockProc != 0)
        return;
    try {
        CheckSave();
        TAdifCommands::Export(this);
    } catch (...) {
        Dialogs().ShowMessage(
            "Unexpected operation has occurred.  Beta REF = ADIF EXPORT OPERATION");
    }
}

void TfrmLogGUI_1::ImportADIF1Click() {
    if (BlockProc != 0)
        return;
    try {
        CheckSave();
        if (TAdifCommands::Import(this) >= 0)
            ReloadGrid();
    } catch (...) {
        Dialogs().ShowMessage(
            "Unexpected operation has occurred.  Beta REF = ADIF IMPORT OPERATION");
    }
}
