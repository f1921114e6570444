#include "logwindow/TfrmDatabaseCheck.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "kernel/TDbKernel.h"
#include "logwindow/Latin1.h"
#include "platform/TBusyCursor.h"
#include "platform/TMessageFloodGuard.h"
#include "records/TLogCheck.h"

TfrmDatabaseCheck* frmDatabaseCheck = nullptr;

TfrmDatabaseCheck::TfrmDatabaseCheck(QWidget* parent) : QDialog(parent) {
    frmDatabaseCheck = this;
    setWindowTitle(QStringLiteral("Database Check"));
    setFixedSize(517, 304);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xE1));
    setPalette(palette);
    setAutoFillBackground(true);
    memDbChecks = new QPlainTextEdit(this);
    memDbChecks->setGeometry(7, 8, 506, 262);
    memDbChecks->setReadOnly(true);
    memDbChecks->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(12);
    memDbChecks->setFont(mono);
    Button1 = new QPushButton(QStringLiteral("Check Database Now"), this);
    Button1->setGeometry(8, 275, 122, 23);
    btnOK = new QPushButton(QStringLiteral("&Done"), this);
    btnOK->setGeometry(390, 276, 122, 22);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
    Running = false;
}

TfrmDatabaseCheck::~TfrmDatabaseCheck() {
    if (frmDatabaseCheck == this)
        frmDatabaseCheck = nullptr;
}

void TfrmDatabaseCheck::Button1Click() {
    // One check per window: the events let through between tables must not
    // start a second one.
    Button1->setEnabled(false);
    if (Running)
        return;
    Running = true;
    TMessageFloodGuard once;
    memDbChecks->setPlainText(QStringLiteral("Checking database table integrity ... "));
    memDbChecks->repaint();
    BusyCursor().Begin();
    std::string report;
    if (DbKernel != nullptr)
        TLogCheck::Run(*DbKernel, report);
    QString text = ToQt(report);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    memDbChecks->setPlainText(text);
    BusyCursor().End();
    Running = false;
}

void TfrmDatabaseCheck::btnOKClick() {
    accept();
}
