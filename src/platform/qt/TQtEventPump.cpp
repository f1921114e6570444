#include "platform/qt/TQtEventPump.h"

#include <QCoreApplication>

void TQtEventPump::ProcessMessages() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents();
}
