#include "logwindow/TfrmAbout.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

TfrmAbout* frmAbout = nullptr;

namespace {
const QColor kInfoBk(0xFF, 0xFF, 0xE1);
// The ellipses are drawn in the pale inactive-caption-text colour with the
// mask pen mode: ANDed onto the background, which gives this tint.
const QColor kShapeColour(0xFF & 0xD4, 0xFF & 0xD0, 0xE1 & 0xC8);
}  // namespace

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle("About the QSO logging program");
    setFixedSize(kClientWidth, kClientHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kInfoBk);
    setPalette(pal);
    setAutoFillBackground(true);

    QFont arial("Arial");
    arial.setPixelSize(13);
    Label2 = new QLabel("This is Version 1.0 Beta of", this);
    Label2->setFont(arial);
    Label2->move(92, 16);
    Label2->adjustSize();
    Label1 = new QLabel("The QSO Logging Software", this);
    Label1->setFont(arial);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->move(83, 34);
    Label1->adjustSize();

    Button2 = new QPushButton("&Ok", this);
    Button2->setGeometry(201, 156, 136, 27);
    Button2->setDefault(true);
    Button2->setAutoDefault(true);
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

TfrmAbout::~TfrmAbout() {
    if (frmAbout == this)
        frmAbout = nullptr;
}

void TfrmAbout::Button2Click() {
    accept();
}

void TfrmAbout::FormShow() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->geometry();
    // C++ division rounds toward zero, as the window placement asks.
    move((area.width() - width()) / 2, (area.height() - height()) / 2);
}

void TfrmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(kShapeColour);
    painter.setBrush(kShapeColour);
    for (const QRect& r : {Shape1Rect(), Shape2Rect(), Shape4Rect()}) painter.drawEllipse(r);
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
    Button2->setFocus();
}

// Enter and Esc both press Ok, whichever control has the focus.
void TfrmAbout::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            Button2->click();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}
