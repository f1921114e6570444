// tramb-admin: the administration window on its own, for preparing or
// inspecting a database file (db_default.sib in the current directory).
#include <QApplication>

#include "admin/TfrmMain.h"
#include "platform/TDialogs.h"
#include "platform/TEventPump.h"
#include "platform/qt/TQtDialogs.h"
#include "platform/qt/TQtEventPump.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("tramb-admin");

    int rc = 0;
    {
        TfrmMain frmMain;
        TQtDialogs dialogs(&frmMain);
        TQtEventPump pump;
        SetDialogs(&dialogs);
        SetEventPump(&pump);
        frmMain.show();
        rc = QApplication::exec();
        // The window closes its database on destruction; its messages then go
        // to stderr, as no window is left to own a box.
        SetEventPump(nullptr);
        SetDialogs(nullptr);
    }
    return rc;
}
