#include "platform/qt/TQtFileChooser.h"

#include <QFile>
#include <QFileDialog>
#include <QString>

namespace {

std::string Path(const QString& name) {
    return name.isEmpty() ? std::string() : QFile::encodeName(name).toStdString();
}

}  // namespace

std::string TQtFileChooser::SaveFileName(const std::string& caption, const std::string& filter,
                                         void* owner) {
    return Path(QFileDialog::getSaveFileName(static_cast<QWidget*>(owner),
                                             QString::fromLatin1(caption), QString(),
                                             QString::fromLatin1(filter)));
}

std::string TQtFileChooser::OpenFileName(const std::string& caption, const std::string& filter,
                                         void* owner) {
    return Path(QFileDialog::getOpenFileName(static_cast<QWidget*>(owner),
                                             QString::fromLatin1(caption), QString(),
                                             QString::fromLatin1(filter)));
}
