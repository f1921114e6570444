#include "logwindow/TForm3.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "logwindow/Latin1.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    Form3 = this;
    setWindowTitle(QStringLiteral("Preparing to run ..."));
    setFixedSize(360, 37);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xE1));
    setPalette(palette);
    setAutoFillBackground(true);
    lblAlert = new QLabel(QStringLiteral("..."), this);
    lblAlert->setGeometry(3, 1, 353, 32);
    lblAlert->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    lblAlert->setFont(font);
}

TForm3::~TForm3() {
    if (Form3 == this)
        Form3 = nullptr;
}

void TForm3::Showit(const std::string& text) {
    lblAlert->setText(ToQt(text));
}

void TForm3::showEvent(QShowEvent* event) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
    QDialog::showEvent(event);
}
