#include "platform/qt/TQtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QString>

TQtDialogs::TQtDialogs(QWidget* parent) : parent_(parent) {}

TQtDialogs::~TQtDialogs() = default;

namespace {

QString ToQt(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string FromQt(const QString& s) {
    QByteArray bytes = s.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace

void TQtDialogs::ShowMessage(const std::string& text) {
    // The caption of a plain message box is the application title.
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), ToQt(text),
                    QMessageBox::Ok, parent_);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void TQtDialogs::InformationBox(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::Information, ToQt(caption), ToQt(text), QMessageBox::Ok, parent_);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

std::string TQtDialogs::InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& defaultValue) {
    bool ok = false;
    QString answer = QInputDialog::getText(parent_, ToQt(caption), ToQt(prompt), QLineEdit::Normal,
                                           ToQt(defaultValue), &ok);
    if (!ok)
        return defaultValue;
    return FromQt(answer);
}
