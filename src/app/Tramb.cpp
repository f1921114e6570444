// tramb: the log program. One instance at a time (the lock "TrambMutex"),
// the database db_default.sib in the current directory; nothing else is read
// from the command line, a file or the environment (Qt's own options aside).
#include <QApplication>

#include "admin/TfrmMain.h"
#include "logwindow/TForm3.h"
#include "logwindow/TForm6.h"
#include "logwindow/TfrmALittleHelp.h"
#include "logwindow/TfrmAbout.h"
#include "logwindow/TfrmDatabaseCheck.h"
#include "logwindow/TfrmLogGUI_1.h"
#include "platform/TBusyCursor.h"
#include "platform/TDialogs.h"
#include "platform/TEventPump.h"
#include "platform/TInstanceMutex.h"
#include "platform/TLockFileMutex.h"
#include "platform/qt/TQtBusyCursor.h"
#include "platform/qt/TQtDialogs.h"
#include "platform/qt/TQtEventPump.h"
#include "platform/qt/TQtPrinter.h"
#include "platform/TPrinter.h"

int main(int argc, char** argv) {
    // A second instance waits two seconds for the first and ends silently.
    TLockFileMutex mutex("TrambMutex");
    if (!mutex.Wait(2000)) return 0;
    SetAppMutex(&mutex);

    QApplication app(argc, argv);
    QApplication::setApplicationName("Tramb");
    QApplication::setApplicationDisplayName("Tramb");
    QApplication::setQuitOnLastWindowClosed(true);

    TQtDialogs dialogs;
    TQtEventPump pump;
    TQtBusyCursor cursor;
    SetDialogs(&dialogs);
    SetEventPump(&pump);
    SetBusyCursor(&cursor);

    int rc = 0;
    {
        // The windows, in their order of creation. The main window's show
        // handler runs once the loop shows it, when all of them exist.
        TfrmLogGUI_1 logWindow;
        dialogs.SetParent(&logWindow);
        TfrmMain adminWindow;  // the administration window; no log command opens it
        // TfrmExEdit: not part of this program.
        TfrmAbout about(&logWindow);
        frmAbout = &about;
        TfrmDatabaseCheck databaseCheck(&logWindow);
        // TForm4: not part of this program.
        TForm3 alert(&logWindow);
        TfrmALittleHelp help(&logWindow);  // the help viewer from now on
        frmALittleHelp = &help;
        TQtPrinter printer;
        SetPrinter(&printer);
        TForm6 stationSettings(&logWindow);

        logWindow.showMaximized();
        rc = QApplication::exec();
        SetPrinter(nullptr);
        SetBusyCursor(nullptr);
        SetEventPump(nullptr);
        SetDialogs(nullptr);
    }
    mutex.Release();
    SetAppMutex(nullptr);
    return rc;
}
