#include "platform/qt/TQtBusyCursor.h"

#include <QApplication>
#include <QCursor>

void TQtBusyCursor::Begin() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void TQtBusyCursor::End() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
        QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
}
